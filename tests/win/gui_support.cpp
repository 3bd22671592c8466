#include "gui_support.h"

#include "app/dispatch.h"
#include "app/startup.h"
#include "ui/window.h"

void start_program(void) {
  start_up();
  pump();
}

int pump(void) {
  MSG message;
  while (PeekMessageW(&message, NULL, 0, 0, PM_NOREMOVE)) pump_step(0);
  return g_open_windows;
}

void end_program(void) {
  if (IsWindow(g_main_window)) DestroyWindow(g_main_window);
  pump();
}

static void post_key(HWND target, UINT message, UINT vk, LPARAM flags) {
  UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  PostMessageW(target, message, vk, 1 | (scan << 16) | flags);
}

void press_key(UINT vk, bool shift) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  SetKeyboardState(keys);
  HWND target = GetFocus() ? GetFocus() : g_main_window;
  post_key(target, WM_KEYDOWN, vk, 0);
  post_key(target, WM_KEYUP, vk, (LPARAM)0xC0000000);
  pump();
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
}

void type_text(const std::wstring& text) {
  for (wchar_t c : text) {
    PostMessageW(GetFocus() ? GetFocus() : g_main_window, WM_CHAR, c, 1);
    pump();
  }
}

int focus_id(void) {
  HWND focus = GetFocus();
  return focus && GetParent(focus) == g_main_window ? GetDlgCtrlID(focus) : 0;
}

std::wstring window_text(int id) {
  wchar_t text[512] = L"";
  GetDlgItemTextW(g_main_window, id, text, 512);
  return text;
}

static std::vector<SeenMessageBox> s_seen;
static HHOOK s_hook = NULL;

static BOOL CALLBACK inspect_child(HWND child, LPARAM lparam) {
  SeenMessageBox* box = (SeenMessageBox*)lparam;
  wchar_t cls[32];
  GetClassNameW(child, cls, 32);
  LONG style = GetWindowLongW(child, GWL_STYLE);
  if (!lstrcmpiW(cls, L"Static") && (style & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child) &&
      SendMessageW(child, STM_GETICON, 0, 0))
    box->icon = true;
  int id = GetDlgCtrlID(child);
  if (!lstrcmpiW(cls, L"Button") && IsWindowVisible(child) && id != IDOK) box->only_ok = false;
  return TRUE;
}

static HWND s_opening_box = NULL;
static DWORD s_opening_tick = 0;

// Runs from the message box's own modal loop, once the box has set its text and disabled
// the windows of the task: records it and presses OK.
static void CALLBACK inspect_box(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(NULL, timer);
  HWND window = s_opening_box;
  if (!IsWindow(window)) return;
  SeenMessageBox box = {};
  wchar_t text[512] = L"";
  GetWindowTextW(window, text, 512);
  box.caption = text;
  GetDlgItemTextW(window, 0xFFFF, text, 512);
  box.text = text;
  box.has_owner = GetWindow(window, GW_OWNER) != NULL;
  box.main_was_disabled = IsWindow(g_main_window) && !IsWindowEnabled(g_main_window);
  box.only_ok = IsWindowVisible(GetDlgItem(window, IDOK)) != FALSE;
  box.activated_tick = s_opening_tick;
  EnumChildWindows(window, inspect_child, (LPARAM)&box);
  s_seen.push_back(box);
  PostMessageW(window, WM_COMMAND, IDOK, 0);
}

static LRESULT CALLBACK watch(int code, WPARAM wparam, LPARAM lparam) {
  HWND window = (HWND)wparam;
  wchar_t cls[16];
  if (code == HCBT_ACTIVATE && window != g_main_window && GetClassNameW(window, cls, 16) &&
      !lstrcmpW(cls, L"#32770")) {
    s_opening_box = window;
    s_opening_tick = GetTickCount();
    SetTimer(NULL, 0, 10, inspect_box);
  }
  return CallNextHookEx(s_hook, code, wparam, lparam);
}

void watch_message_boxes(void) {
  if (!s_hook) s_hook = SetWindowsHookExW(WH_CBT, watch, NULL, GetCurrentThreadId());
}

std::vector<SeenMessageBox> take_message_boxes(void) {
  std::vector<SeenMessageBox> seen;
  seen.swap(s_seen);
  return seen;
}

void ProgramTest::SetUp() {
  start_program();
  watch_message_boxes();
}

void ProgramTest::TearDown() {
  end_program();
  take_message_boxes();
}
