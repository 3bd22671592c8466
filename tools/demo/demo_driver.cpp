// Drives a running Glimmerset window the way a person would, for the headless
// demonstration of tools/run. Runs in the same Wine prefix as Glimmerset.
//
//   demo_driver wait-window   waits until the window is shown and takes input, brings it to
//                             the foreground, prints "window X Y WIDTH HEIGHT" (screen pixels)
//   demo_driver press-send    presses Enter (the default button, Send), waits for the message
//                             box, prints "box: CAPTION: TEXT", dismisses it; exit 0 only
//                             for the "Done" box
//   demo_driver close         closes the window from its system menu and waits until it is gone
//
// Every wait is bounded; on a time-out or any other failure it prints a line on stderr and
// exits non-zero, so that the script never waits for a person.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

const wchar_t DIALOG_CLASS[] = L"#32770";
const wchar_t MAIN_CAPTION[] = L"Glimmerset v1.1 (www.glimmerset.example)";
const int SEND_BUTTON_ID = IDOK;        // the Send button is the default button, id 1
const int BOX_TEXT_ID = 0xFFFF;         // the static that holds a message box's text
const DWORD WINDOW_TIMEOUT_MS = 20000;  // a first start in a fresh prefix takes a while
const DWORD BOX_TIMEOUT_MS = 10000;
const DWORD CLOSE_TIMEOUT_MS = 10000;
const DWORD POLL_MS = 50;

std::string UTF8(const std::wstring& text) {
  if (text.empty()) return std::string();
  int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), NULL, 0, NULL, NULL);
  std::string out((size_t)size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), &out[0], size, NULL, NULL);
  return out;
}

std::wstring WINDOW_TEXT(HWND window) {
  wchar_t buffer[512] = L"";
  GetWindowTextW(window, buffer, 512);
  return buffer;
}

int FAIL(const char* what) {
  std::fprintf(stderr, "demo_driver: %s\n", what);
  return 1;
}

bool IS_DIALOG(HWND window) {
  wchar_t name[64] = L"";
  GetClassNameW(window, name, 64);
  return lstrcmpW(name, DIALOG_CLASS) == 0;
}

HWND MAIN_WINDOW() {
  HWND window = FindWindowW(DIALOG_CLASS, MAIN_CAPTION);
  return window && IsWindowVisible(window) ? window : NULL;
}

// Calls `found` every POLL_MS until it returns a window or `timeout_ms` has passed.
template <class Find>
HWND WAIT_FOR(Find found, DWORD timeout_ms) {
  DWORD start = GetTickCount();
  for (;;) {
    HWND window = found();
    if (window) return window;
    if (GetTickCount() - start >= timeout_ms) return NULL;
    Sleep(POLL_MS);
  }
}

// A message box of the same process as the main window: a visible dialog whose caption
// says how the configuration run ended.
struct BoxSearch {
  DWORD process;
  HWND main;
  HWND box;
};

BOOL CALLBACK FIND_BOX(HWND window, LPARAM param) {
  BoxSearch* search = (BoxSearch*)param;
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (window == search->main || process != search->process || !IsWindowVisible(window) ||
      !IS_DIALOG(window))
    return TRUE;
  std::wstring caption = WINDOW_TEXT(window);
  if (caption == L"Done" || caption == L"Error") {
    search->box = window;
    return FALSE;
  }
  return TRUE;
}

HWND MESSAGE_BOX_OF(HWND main) {
  BoxSearch search = {0, main, NULL};
  GetWindowThreadProcessId(main, &search.process);
  EnumWindows(FIND_BOX, (LPARAM)&search);
  return search.box;
}

// SetForegroundWindow from another process is honoured more readily while the two input
// queues are attached.
bool BRING_TO_FRONT(HWND window) {
  if (GetForegroundWindow() == window) return true;
  DWORD mine = GetCurrentThreadId();
  DWORD theirs = GetWindowThreadProcessId(window, NULL);
  AttachThreadInput(mine, theirs, TRUE);
  SetForegroundWindow(window);
  BringWindowToTop(window);
  AttachThreadInput(mine, theirs, FALSE);
  DWORD start = GetTickCount();
  while (GetForegroundWindow() != window && GetTickCount() - start < 2000) Sleep(POLL_MS);
  return GetForegroundWindow() == window;
}

void KEY(WORD key, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
}

// Moves the mouse to the middle of `control` and clicks the left button there.
void CLICK(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
  int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  INPUT input[3] = {};
  for (INPUT& i : input) i.type = INPUT_MOUSE;
  input[0].mi.dx = (LONG)(((x - left) * 65535LL) / (width > 1 ? width - 1 : 1));
  input[0].mi.dy = (LONG)(((y - top) * 65535LL) / (height > 1 ? height - 1 : 1));
  input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(3, input, sizeof input[0]);
}

// The window exists, is shown and its program has reached its message loop.
HWND READY_WINDOW(DWORD timeout_ms) {
  DWORD start = GetTickCount();
  HWND window = WAIT_FOR(MAIN_WINDOW, timeout_ms);
  if (!window) return NULL;
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  HANDLE handle = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, process);
  if (handle) {
    DWORD spent = GetTickCount() - start;
    WaitForInputIdle(handle, spent < timeout_ms ? timeout_ms - spent : 0);
    CloseHandle(handle);
  }
  return IsWindowEnabled(window) ? window : NULL;
}

int WAIT_WINDOW() {
  HWND window = READY_WINDOW(WINDOW_TIMEOUT_MS);
  if (!window) return FAIL("the Glimmerset window did not appear within 20 s");
  if (!BRING_TO_FRONT(window))
    std::fprintf(stderr, "demo_driver: note: the window is not the foreground window\n");
  RECT r;
  GetWindowRect(window, &r);
  std::printf("window %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
  return 0;
}

int PRESS_SEND() {
  HWND window = READY_WINDOW(WINDOW_TIMEOUT_MS);
  if (!window) return FAIL("no Glimmerset window to press Send in");
  HWND send = GetDlgItem(window, SEND_BUTTON_ID);
  if (!send) return FAIL("the window has no Send button");
  // Enter presses the default button wherever the focus is; that needs the keyboard focus
  // in this window. Should another window keep the foreground (a window manager may refuse
  // the request), click the button instead.
  if (BRING_TO_FRONT(window)) {
    KEY(VK_RETURN, false);
    KEY(VK_RETURN, true);
  } else {
    CLICK(send);
  }
  HWND box = WAIT_FOR([&] { return MESSAGE_BOX_OF(window); }, BOX_TIMEOUT_MS);
  if (!box) return FAIL("no message box within 10 s of pressing Send");
  Sleep(200);  // let the box finish drawing; the caller may want to see it
  std::wstring caption = WINDOW_TEXT(box);
  std::wstring text = WINDOW_TEXT(GetDlgItem(box, BOX_TEXT_ID));
  for (wchar_t& c : text)
    if (c == L'\r' || c == L'\n') c = L' ';
  std::printf("box: %s: %s\n", UTF8(caption).c_str(), UTF8(text).c_str());
  std::fflush(stdout);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  if (WAIT_FOR([&] { return IsWindow(box) ? NULL : window; }, BOX_TIMEOUT_MS) == NULL)
    return FAIL("the message box did not close");
  return caption == L"Done" ? 0 : FAIL("the configuration run reported an error");
}

int CLOSE() {
  HWND window = MAIN_WINDOW();
  if (!window) return FAIL("no Glimmerset window to close");
  // What Alt+F4 and the close box both send; posted, so it works without the foreground.
  PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  if (WAIT_FOR([&] { return IsWindow(window) ? NULL : window; }, CLOSE_TIMEOUT_MS) == NULL)
    return FAIL("the window did not close within 10 s");
  return 0;
}

int USAGE() {
  std::fprintf(stderr, "usage: demo_driver wait-window | press-send | close\n");
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return USAGE();
  std::wstring phase = argv[1];
  int result = phase == L"wait-window"  ? WAIT_WINDOW()
               : phase == L"press-send" ? PRESS_SEND()
               : phase == L"close"      ? CLOSE()
                                        : USAGE();
  std::fflush(stdout);
  return result;
}
