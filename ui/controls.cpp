#include "ui/controls.h"

#include "ui/window.h"

std::string ansi_from_wide(const std::wstring& text) {
  if (text.empty()) return std::string();
  int size = WideCharToMultiByte(CP_ACP, 0, text.data(), (int)text.size(), NULL, 0, NULL, NULL);
  std::string bytes(size, '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), (int)text.size(), &bytes[0], size, NULL, NULL);
  return bytes;
}

std::wstring wide_from_ansi(const std::string& bytes) {
  if (bytes.empty()) return std::wstring();
  int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), (int)bytes.size(), NULL, 0);
  std::wstring text(size, L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), (int)bytes.size(), &text[0], size);
  return text;
}

static HWND control(int id) { return GetDlgItem(g_main_window, id); }

static std::wstring wide_text(int id) {
  HWND box = control(id);
  std::wstring text(GetWindowTextLengthW(box) + 1, L'\0');
  text.resize(GetWindowTextW(box, &text[0], (int)text.size()));
  return text;
}

std::string read_text(int id) { return ansi_from_wide(wide_text(id)); }

bool half_character_at_caret(int id) {
  DWORD start = 0, end = 0;
  send_to_control(id, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
  if (start != end || start == 0) return false;
  std::wstring text = wide_text(id);
  return start <= text.size() && IS_HIGH_SURROGATE(text[start - 1]);
}

void set_text(int id, const std::string& bytes) {
  SetWindowTextW(control(id), wide_from_ansi(bytes).c_str());
}

bool read_check(int id) { return send_to_control(id, BM_GETCHECK, 0, 0) != 0; }

void set_check(int id, bool checked) {
  send_to_control(id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void enable_control(int id, bool enabled) { EnableWindow(control(id), enabled); }

void focus_control(int id) {
  SetForegroundWindow(g_main_window);
  SetFocus(control(id));
}

int focused_control(void) {
  HWND focus = GetFocus();
  return focus && GetParent(focus) == g_main_window ? GetDlgCtrlID(focus) : 0;
}

void reactivate_main_window(int id) {
  SetForegroundWindow(g_main_window);
  // At once, also where a window manager grants the foreground only later.
  SetActiveWindow(g_main_window);
  if (id) SetFocus(control(id));
}

LRESULT send_to_control(int id, UINT message, WPARAM wparam, LPARAM lparam) {
  return SendMessageW(control(id), message, wparam, lparam);
}

int notification_code(UINT message, WPARAM wparam) {
  return message == WM_COMMAND ? HIWORD(wparam) : -1;
}
