#include "drive.h"

// Handles the messages of the calling thread's own windows, if it has any.
static void pump_own_messages(void) {
  MSG message;
  while (PeekMessageW(&message, NULL, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

bool wait_until(const std::function<bool()>& done, DWORD ms) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > ms) return false;
    pump_own_messages();
    Sleep(10);
  }
  return true;
}

struct DialogSearch {
  DWORD pid;
  const wchar_t* caption;
  HWND found;
};

// Stops the enumeration (returns FALSE) at the first window that matches the search.
static BOOL CALLBACK match_dialog(HWND window, LPARAM param) {
  DialogSearch* search = (DialogSearch*)param;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  wchar_t cls[32] = L"";
  GetClassNameW(window, cls, 32);
  if (pid != search->pid || !IsWindowVisible(window) || lstrcmpW(cls, L"#32770") != 0 ||
      text_of(window) != search->caption)
    return TRUE;
  search->found = window;
  return FALSE;
}

HWND find_dialog(DWORD pid, const wchar_t* caption) {
  DialogSearch search = {pid, caption, NULL};
  EnumWindows(match_dialog, (LPARAM)&search);
  return search.found;
}

std::wstring text_of(HWND window) {
  wchar_t text[512] = L"";
  GetWindowTextW(window, text, 512);
  return text;
}

std::wstring control_text(HWND control) {
  wchar_t text[256] = L"";
  SendMessageW(control, WM_GETTEXT, 256, (LPARAM)text);
  return text;
}

HWND focus_of(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, NULL), &info)) return NULL;
  return info.hwndFocus;
}

bool bring_to_front(HWND window) {
  if (GetForegroundWindow() == window) return true;
  DWORD mine = GetCurrentThreadId(), theirs = GetWindowThreadProcessId(window, NULL);
  AttachThreadInput(mine, theirs, TRUE);
  SetForegroundWindow(window);
  BringWindowToTop(window);
  AttachThreadInput(mine, theirs, FALSE);
  return wait_until([&] { return GetForegroundWindow() == window; }, 2000);
}

static INPUT key_event(WORD vk, DWORD flags) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.dwFlags = flags;
  return input;
}

static bool send_inputs(INPUT* inputs, UINT count) {
  return SendInput(count, inputs, sizeof(INPUT)) == count;
}

bool input_key(WORD vk) {
  INPUT inputs[2] = {key_event(vk, 0), key_event(vk, KEYEVENTF_KEYUP)};
  return send_inputs(inputs, 2);
}

bool input_alt_f4(void) {
  INPUT inputs[4] = {key_event(VK_MENU, 0), key_event(VK_F4, 0), key_event(VK_F4, KEYEVENTF_KEYUP),
                     key_event(VK_MENU, KEYEVENTF_KEYUP)};
  return send_inputs(inputs, 4);
}

bool input_text(const std::wstring& text) {
  for (wchar_t c : text) {
    INPUT inputs[2] = {key_event(0, KEYEVENTF_UNICODE),
                       key_event(0, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP)};
    inputs[0].ki.wScan = inputs[1].ki.wScan = c;
    if (!send_inputs(inputs, 2)) return false;
  }
  return true;
}

bool input_click(HWND control) {
  RECT r;
  if (!GetWindowRect(control, &r)) return false;
  return input_click_at((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

bool input_click_at(int screen_x, int screen_y) {
  int x = screen_x - GetSystemMetrics(SM_XVIRTUALSCREEN);
  int y = screen_y - GetSystemMetrics(SM_YVIRTUALSCREEN);
  int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  INPUT inputs[3] = {};
  for (INPUT& input : inputs) input.type = INPUT_MOUSE;
  inputs[0].mi.dx = MulDiv(x, 65535, width > 1 ? width - 1 : 1);
  inputs[0].mi.dy = MulDiv(y, 65535, height > 1 ? height - 1 : 1);
  inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  return send_inputs(inputs, 3);
}
