#include "ui/controls.h"

#include "ui/window.h"

std::string ANSI_FROM_WIDE(const std::wstring& text) {
  if (text.empty()) return std::string();
  int size = WideCharToMultiByte(CP_ACP, 0, text.data(), (int)text.size(), NULL, 0, NULL, NULL);
  std::string bytes(size, '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), (int)text.size(), &bytes[0], size, NULL, NULL);
  return bytes;
}

std::wstring WIDE_FROM_ANSI(const std::string& bytes) {
  if (bytes.empty()) return std::wstring();
  int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), (int)bytes.size(), NULL, 0);
  std::wstring text(size, L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), (int)bytes.size(), &text[0], size);
  return text;
}

static HWND control(int id) { return GetDlgItem(g_main_window, id); }

std::string READ_TEXT(int id) {
  HWND box = control(id);
  std::wstring text(GetWindowTextLengthW(box) + 1, L'\0');
  text.resize(GetWindowTextW(box, &text[0], (int)text.size()));
  return ANSI_FROM_WIDE(text);
}

void SET_TEXT(int id, const std::string& bytes) {
  SetWindowTextW(control(id), WIDE_FROM_ANSI(bytes).c_str());
}

bool READ_CHECK(int id) { return SEND_TO_CONTROL(id, BM_GETCHECK, 0, 0) != 0; }

void SET_CHECK(int id, bool checked) {
  SEND_TO_CONTROL(id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void ENABLE_CONTROL(int id, bool enabled) { EnableWindow(control(id), enabled); }

void FOCUS_CONTROL(int id) {
  SetForegroundWindow(g_main_window);
  SetFocus(control(id));
}

int FOCUSED_CONTROL(void) {
  HWND focus = GetFocus();
  return focus && GetParent(focus) == g_main_window ? GetDlgCtrlID(focus) : 0;
}

void REACTIVATE_MAIN_WINDOW(int id) {
  SetForegroundWindow(g_main_window);
  // At once, also where a window manager grants the foreground only later.
  SetActiveWindow(g_main_window);
  if (id) SetFocus(control(id));
}

LRESULT SEND_TO_CONTROL(int id, UINT message, WPARAM wparam, LPARAM lparam) {
  return SendMessageW(control(id), message, wparam, lparam);
}

int NOTIFICATION_CODE(UINT message, WPARAM wparam) {
  return message == WM_COMMAND ? HIWORD(wparam) : -1;
}
