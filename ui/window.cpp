#include "ui/window.h"

#include "ui/controls.h"

#include <commctrl.h>

#include <vector>

HWND g_main_window = NULL;

const wchar_t MAIN_WINDOW_CAPTION[] =
    L"Glimmerset v" GLIMMERSET_VERSION L" (www.glimmerset.example)";
const DWORD MAIN_WINDOW_STYLE = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                                DS_MODALFRAME | DS_CENTER | DS_SETFONT | DS_NOFAILCREATE |
                                DS_3DLOOK;

#define CHILD (WS_CHILD | WS_VISIBLE)
#define GROUP_BOX (CHILD | BS_GROUPBOX)
#define LABEL (CHILD | SS_LEFT)
#define FIRST_RADIO (CHILD | WS_GROUP | BS_AUTORADIOBUTTON)
#define RADIO (CHILD | BS_AUTORADIOBUTTON)
#define CHECKBOX (CHILD | BS_AUTOCHECKBOX)
#define SCREEN_LINE (CHILD | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL)

// Creation order is z-order: it fixes the Tab order and where each radio group ends.
// clang-format off
const ControlSpec CONTROL_TABLE[] = {
  {ID_GROUP_SCREEN_TYPE, L"BUTTON", L"Screen Type", 203, 5, 125, 42, GROUP_BOX, WS_EX_TRANSPARENT},
  {ID_GROUP_TEXT_SCREEN, L"BUTTON", L"EEPROM text screen", 203, 49, 125, 89, GROUP_BOX, WS_EX_TRANSPARENT},
  {ID_GROUP_OPTIONS, L"BUTTON", L"Configuration Options", 5, 49, 195, 89, GROUP_BOX, WS_EX_TRANSPARENT},
  {ID_GROUP_PORT, L"BUTTON", L"Comm Port", 93, 5, 107, 42, GROUP_BOX, WS_EX_TRANSPARENT},
  {ID_GROUP_BAUD, L"BUTTON", L"Baud Rate", 5, 5, 85, 42, GROUP_BOX, WS_EX_TRANSPARENT},
  {ID_LABEL_BRIGHTNESS, L"STATIC", L"Brightness at startup:", 11, 108, 163, 12, LABEL, 0},
  {ID_LABEL_DELAY, L"STATIC", L"units power-up delay (0-120 units of 0.5 sec)", 45, 94, 152, 12, LABEL, 0},
  {ID_BAUD_9600, L"BUTTON", L"9600", 11, 20, 35, 12, FIRST_RADIO, 0},
  {ID_BAUD_2400, L"BUTTON", L"2400", 48, 20, 37, 12, RADIO, 0},
  {ID_SHOW_STARTUP, L"BUTTON", L"Show startup screen", 13, 62, 93, 12, CHECKBOX, 0},
  {ID_PORT, L"EDIT", L"1", 125, 20, 42, 14, CHILD | ES_NUMBER | ES_CENTER, WS_EX_CLIENTEDGE},
  {ID_PORT_UPDOWN, UPDOWN_CLASSW, L"msctls_updown32_3", 179, 18, 18, 14,
   CHILD | UDS_ARROWKEYS | UDS_AUTOBUDDY | UDS_ALIGNRIGHT | UDS_SETBUDDYINT | UDS_WRAP, 0},
  {ID_WRITE_PROTECT, L"BUTTON", L"EEPROM write protect", 13, 74, 96, 12, CHECKBOX, 0},
  {ID_OLD_MODE, L"BUTTON", L"Old mode (TQS style)", 109, 62, 88, 12, CHECKBOX, 0},
  {ID_SEND, L"BUTTON", L"Send", 272, 140, 53, 15, CHILD | BS_DEFPUSHBUTTON, 0},
  {ID_DELAY, L"EDIT", L"0", 13, 91, 29, 12, CHILD | WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},
  {ID_BRIGHT_25, L"BUTTON", L"25%", 27, 121, 32, 12, FIRST_RADIO, 0},
  {ID_BRIGHT_50, L"BUTTON", L"50%", 67, 121, 40, 12, RADIO, 0},
  {ID_BRIGHT_75, L"BUTTON", L"75%", 107, 121, 40, 12, RADIO, 0},
  {ID_BRIGHT_100, L"BUTTON", L"100%", 147, 121, 43, 12, RADIO, 0},
  {ID_LINE_1, L"EDIT", L"", 211, 62, 112, 12, SCREEN_LINE, WS_EX_CLIENTEDGE},
  {ID_LINE_2, L"EDIT", L"", 211, 76, 112, 12, SCREEN_LINE, WS_EX_CLIENTEDGE},
  {ID_LINE_3, L"EDIT", L"", 211, 91, 112, 12, SCREEN_LINE, WS_EX_CLIENTEDGE},
  {ID_LINE_4, L"EDIT", L"", 211, 106, 112, 12, SCREEN_LINE, WS_EX_CLIENTEDGE},
  {ID_SEND_TEXT, L"BUTTON", L"send text", 213, 121, 48, 12, CHECKBOX, 0},
  {ID_STORE_TO_EE, L"BUTTON", L"store to EE", 261, 121, 61, 12, CHECKBOX, 0},
  {ID_FOUR_LINES, L"BUTTON", L"4x20 (4 lines of 20 characters)", 211, 15, 115, 12, FIRST_RADIO | WS_TABSTOP, 0},
  {ID_TWO_LINES, L"BUTTON", L"2x20 (2 lines of 20 characters)", 211, 30, 115, 12, RADIO | WS_TABSTOP, 0},
  {ID_NO_AUTO_DIM, L"BUTTON", L"Disable auto dim", 109, 74, 88, 12, CHECKBOX | WS_TABSTOP, 0},
};  // clang-format on

const int CONTROL_COUNT = sizeof CONTROL_TABLE / sizeof CONTROL_TABLE[0];

static void push_dword(std::vector<WORD>& t, DWORD value) {
  t.push_back(LOWORD(value));
  t.push_back(HIWORD(value));
}

static void push_text(std::vector<WORD>& t, const wchar_t* text) {
  do t.push_back(*text);
  while (*text++);
}

// An extended dialog description without controls: style, client size, no menu, the
// standard dialog class, the caption and the font that defines the dialog units (the
// extended form is the one that carries the font's weight and character set).
static std::vector<WORD> describe_main_window(void) {
  std::vector<WORD> t;
  t.push_back(1);       // version
  t.push_back(0xFFFF);  // extended description
  push_dword(t, 0);     // help id
  push_dword(t, 0);     // extended style
  push_dword(t, MAIN_WINDOW_STYLE);
  t.push_back(0);  // no controls: they are created one by one afterwards
  t.push_back(0);  // x and y: DS_CENTER places the window
  t.push_back(0);
  t.push_back(MAIN_WINDOW_CX);
  t.push_back(MAIN_WINDOW_CY);
  t.push_back(0);  // no menu
  t.push_back(0);  // the platform's dialog class
  push_text(t, MAIN_WINDOW_CAPTION);
  t.push_back(8);  // points
  t.push_back(FW_NORMAL);
  t.push_back(MAKEWORD(FALSE, ANSI_CHARSET));  // not italic; character set
  push_text(t, L"MS Sans Serif");
  return t;
}

// Converts a rectangle of dialog units edge by edge, so that neighbouring controls meet
// exactly as they do in dialog units.
static RECT to_pixels(HWND window, int x, int y, int w, int h) {
  RECT r = {x, y, x + w, y + h};
  MapDialogRect(window, &r);
  return r;
}

// Rounds the window's outer size to whole dialog units and applies it again.
static void size_in_dialog_units(HWND window) {
  RECT outer, unit = to_pixels(window, 0, 0, 4, 8);
  GetWindowRect(window, &outer);
  RECT size = to_pixels(window, 0, 0, MulDiv(outer.right - outer.left, 4, unit.right),
                        MulDiv(outer.bottom - outer.top, 8, unit.bottom));
  SetWindowPos(window, NULL, 0, 0, size.right, size.bottom,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

static void create_control(HWND window, const ControlSpec& c, HFONT font) {
  RECT r = to_pixels(window, c.x, c.y, c.w, c.h);
  HWND control = CreateWindowExW(c.ex_style, c.window_class, c.caption, c.style, r.left, r.top,
                                 r.right - r.left, r.bottom - r.top, window, (HMENU)(INT_PTR)c.id,
                                 GetModuleHandleW(NULL), NULL);
  SendMessageW(control, WM_SETFONT, (WPARAM)font, TRUE);
}

HWND build_main_window(DLGPROC dispatch, void (*attach_window_handler)(HWND window)) {
  std::vector<WORD> description = describe_main_window();
  g_main_window = CreateDialogIndirectParamW(
      GetModuleHandleW(NULL), (LPCDLGTEMPLATEW)description.data(), NULL, dispatch, 0);
  if (!g_main_window) return NULL;
  size_in_dialog_units(g_main_window);
  HFONT font = (HFONT)SendMessageW(g_main_window, WM_GETFONT, 0, 0);
  for (int i = 0; i < CONTROL_COUNT; i++) create_control(g_main_window, CONTROL_TABLE[i], font);
  // The range message carries the upper limit in its low word.
  send_to_control(ID_PORT_UPDOWN, UDM_SETRANGE, 0, MAKELPARAM(99, 1));
  set_text(ID_PORT, "1");
  attach_window_handler(g_main_window);
  ShowWindow(g_main_window, SW_SHOW);
  RedrawWindow(g_main_window, NULL, NULL,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  return g_main_window;
}
