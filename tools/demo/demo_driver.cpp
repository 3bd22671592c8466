// Drives a running Glimmerset window the way a person would, for the headless
// demonstration of tools/run. Runs in the same Wine prefix as Glimmerset.
//
//   demo_driver wait-window   waits until the window is shown and takes input, brings it to
//                             the foreground, prints "window X Y WIDTH HEIGHT" (screen pixels)
//   demo_driver set-startup LINE...
//                             types the lines into the start-up screen, ticks "Show startup
//                             screen" and picks 75 %, with clicks and keys; prints "set" once
//                             the window shows all of it
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

#include "drive.h"

namespace {

const wchar_t DIALOG_CLASS[] = L"#32770";
const wchar_t MAIN_CAPTION[] = L"Glimmerset v1.1 (www.glimmerset.example)";
const int SEND_BUTTON_ID = IDOK;  // the Send button is the default button, id 1
const int SHOW_STARTUP_ID = 145, BRIGHT_75_ID = 220;
const int LINE_IDS[] = {230, 235, 240, 245};
const int BOX_TEXT_ID = 0xFFFF;         // the static that holds a message box's text
// The bound of every wait for the window: a window, a click or typed text shows within a
// second, but a loaded machine is many times slower.
const DWORD WAIT_MS = 60000;

std::string utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), NULL, 0, NULL, NULL);
  std::string out((size_t)size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), &out[0], size, NULL, NULL);
  return out;
}

int fail(const char* what) {
  std::fprintf(stderr, "demo_driver: %s\n", what);
  return 1;
}

HWND main_window() {
  HWND window = FindWindowW(DIALOG_CLASS, MAIN_CAPTION);
  return window && IsWindowVisible(window) ? window : NULL;
}

// Returns the box with which the configuration run ended ("Done" or "Error"), or NULL.
HWND message_box_of(HWND main) {
  DWORD process = 0;
  GetWindowThreadProcessId(main, &process);
  HWND box = find_dialog(process, L"Done");
  return box ? box : find_dialog(process, L"Error");
}

// The window exists, is shown and its program has reached its message loop.
HWND ready_window() {
  DWORD start = GetTickCount();
  HWND window = NULL;
  if (!wait_until([&] { return (window = main_window()) != NULL; }, WAIT_MS)) return NULL;
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  HANDLE handle = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, process);
  if (handle) {
    DWORD spent = GetTickCount() - start;
    WaitForInputIdle(handle, spent < WAIT_MS ? WAIT_MS - spent : 0);
    CloseHandle(handle);
  }
  return IsWindowEnabled(window) ? window : NULL;
}

int wait_window() {
  HWND window = ready_window();
  if (!window) return fail("the Glimmerset window did not appear within 60 s");
  if (!bring_to_front(window))
    std::fprintf(stderr, "demo_driver: note: the window is not the foreground window\n");
  RECT r;
  GetWindowRect(window, &r);
  std::printf("window %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
  return 0;
}

// Clicks the start-up screen line <id> and types <text> there once it has the focus.
bool type_line(HWND window, int id, const std::wstring& text) {
  HWND line = GetDlgItem(window, id);
  return input_click(line) &&
         wait_until([&] { return focus_of(window) == line; }, WAIT_MS) &&
         input_text(text) &&
         wait_until([&] { return control_text(line) == text; }, WAIT_MS);
}

// Clicks button <id> and waits until it is checked.
bool check_button(HWND window, int id) {
  HWND button = GetDlgItem(window, id);
  return input_click(button) &&
         wait_until([&] { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; },
                    WAIT_MS);
}

int set_startup(int count, wchar_t** lines) {
  HWND window = ready_window();
  if (!window) return fail("no Glimmerset window to fill in");
  if (count > 4) return fail("the start-up screen has four lines");
  if (!bring_to_front(window)) return fail("the window did not come to the front");
  for (int i = 0; i < count; i++)
    if (!type_line(window, LINE_IDS[i], lines[i])) return fail("a start-up line took no text");
  if (!check_button(window, SHOW_STARTUP_ID)) return fail("\"Show startup screen\" is not ticked");
  if (!check_button(window, BRIGHT_75_ID)) return fail("75 % is not picked");
  std::printf("set\n");
  return 0;
}

int press_send() {
  HWND window = ready_window();
  if (!window) return fail("no Glimmerset window to press Send in");
  HWND send = GetDlgItem(window, SEND_BUTTON_ID);
  if (!send) return fail("the window has no Send button");
  // Enter presses the default button wherever the focus is; that needs the keyboard focus
  // in this window. Should another window keep the foreground (a window manager may refuse
  // the request), click the button instead.
  if (bring_to_front(window))
    input_key(VK_RETURN);
  else
    input_click(send);
  HWND box = NULL;
  if (!wait_until([&] { return (box = message_box_of(window)) != NULL; }, WAIT_MS))
    return fail("no message box within 60 s of pressing Send");
  Sleep(200);  // let the box finish drawing; the caller may want to see it
  std::wstring caption = text_of(box);
  std::wstring text = text_of(GetDlgItem(box, BOX_TEXT_ID));
  for (wchar_t& c : text)
    if (c == L'\r' || c == L'\n') c = L' ';
  std::printf("box: %s: %s\n", utf8(caption).c_str(), utf8(text).c_str());
  std::fflush(stdout);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  if (!wait_until([&] { return !IsWindow(box); }, WAIT_MS))
    return fail("the message box did not close");
  return caption == L"Done" ? 0 : fail("the configuration run reported an error");
}

int close() {
  HWND window = main_window();
  if (!window) return fail("no Glimmerset window to close");
  // What Alt+F4 and the close box both send; posted, so it works without the foreground.
  PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  if (!wait_until([&] { return !IsWindow(window); }, WAIT_MS))
    return fail("the window did not close within 60 s");
  return 0;
}

int usage() {
  std::fprintf(stderr,
               "usage: demo_driver wait-window | set-startup LINE... | press-send | close\n");
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return usage();
  std::wstring phase = argv[1];
  int result = phase == L"set-startup"   ? set_startup(argc - 2, argv + 2)
               : argc != 2               ? usage()
               : phase == L"wait-window" ? wait_window()
               : phase == L"press-send"  ? press_send()
               : phase == L"close"       ? close()
                                         : usage();
  std::fflush(stdout);
  return result;
}
