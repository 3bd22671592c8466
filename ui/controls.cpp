#include "ui/controls.h"

#include "ui/window.h"

static bool is_lead_byte(unsigned char byte) { return IsDBCSLeadByte(byte) != 0; }

CodePage SYSTEM_CODE_PAGE(void) {
  // With UTF-8 as the system code page (an option since Windows 10) the lead-byte test is
  // false for every byte, so UTF-8 sequences are told by their own rule.
  if (GetACP() == CP_UTF8) return {UTF8_CODE_PAGE, NULL};
  CPINFO info;
  if (GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 1) return {SINGLE_BYTE_CODE_PAGE, NULL};
  return {DOUBLE_BYTE_CODE_PAGE, is_lead_byte};
}

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

static std::wstring wide_text(int id) {
  HWND box = control(id);
  std::wstring text(GetWindowTextLengthW(box) + 1, L'\0');
  text.resize(GetWindowTextW(box, &text[0], (int)text.size()));
  return text;
}

std::string READ_TEXT(int id) { return ANSI_FROM_WIDE(wide_text(id)); }

bool HALF_CHARACTER_AT_CARET(int id) {
  DWORD start = 0, end = 0;
  SEND_TO_CONTROL(id, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
  if (start != end || start == 0) return false;
  std::wstring text = wide_text(id);
  return start <= text.size() && IS_HIGH_SURROGATE(text[start - 1]);
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
