// The main window as the platform and a user see it once it is built.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/dispatch.h"
#include "gui_support.h"
#include "ui/window.h"

static const DWORD CHILD = WS_CHILD | WS_VISIBLE;

// clang-format off
static const struct {
  int id;
  const wchar_t* cls;
  const wchar_t* caption;
  int x, y, w, h;
  DWORD style, ex_style;
} EXPECTED[] = {
  {100, L"Button", L"Screen Type", 203, 5, 125, 42, CHILD | BS_GROUPBOX, WS_EX_TRANSPARENT},
  {105, L"Button", L"EEPROM text screen", 203, 49, 125, 89, CHILD | BS_GROUPBOX, WS_EX_TRANSPARENT},
  {110, L"Button", L"Configuration Options", 5, 49, 195, 89, CHILD | BS_GROUPBOX, WS_EX_TRANSPARENT},
  {115, L"Button", L"Comm Port", 93, 5, 107, 42, CHILD | BS_GROUPBOX, WS_EX_TRANSPARENT},
  {120, L"Button", L"Baud Rate", 5, 5, 85, 42, CHILD | BS_GROUPBOX, WS_EX_TRANSPARENT},
  {125, L"Static", L"Brightness at startup:", 11, 108, 163, 12, CHILD | SS_LEFT, 0},
  {130, L"Static", L"units power-up delay (0-120 units of 0.5 sec)", 45, 94, 152, 12, CHILD | SS_LEFT, 0},
  {135, L"Button", L"9600", 11, 20, 35, 12, CHILD | WS_GROUP | BS_AUTORADIOBUTTON, 0},
  {140, L"Button", L"2400", 48, 20, 37, 12, CHILD | BS_AUTORADIOBUTTON, 0},
  {145, L"Button", L"Show startup screen", 13, 62, 93, 12, CHILD | BS_AUTOCHECKBOX, 0},
  {1012, L"Edit", L"1", 125, 20, 42, 14, CHILD | ES_NUMBER | ES_CENTER, WS_EX_CLIENTEDGE},
  {1013, L"msctls_updown32", L"msctls_updown32_3", 179, 18, 18, 14,
   CHILD | UDS_ARROWKEYS | UDS_AUTOBUDDY | UDS_ALIGNRIGHT | UDS_SETBUDDYINT | UDS_WRAP, 0},
  {190, L"Button", L"EEPROM write protect", 13, 74, 96, 12, CHILD | BS_AUTOCHECKBOX, 0},
  {195, L"Button", L"Old mode (TQS style)", 109, 62, 88, 12, CHILD | BS_AUTOCHECKBOX, 0},
  {1, L"Button", L"Send", 272, 140, 53, 15, CHILD | BS_DEFPUSHBUTTON, 0},
  {205, L"Edit", L"0", 13, 91, 29, 12, CHILD | WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},
  {210, L"Button", L"25%", 27, 121, 32, 12, CHILD | WS_GROUP | BS_AUTORADIOBUTTON, 0},
  {215, L"Button", L"50%", 67, 121, 40, 12, CHILD | BS_AUTORADIOBUTTON, 0},
  {220, L"Button", L"75%", 107, 121, 40, 12, CHILD | BS_AUTORADIOBUTTON, 0},
  {225, L"Button", L"100%", 147, 121, 43, 12, CHILD | BS_AUTORADIOBUTTON, 0},
  {230, L"Edit", L"", 211, 62, 112, 12, CHILD | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},
  {235, L"Edit", L"", 211, 76, 112, 12, CHILD | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},
  {240, L"Edit", L"", 211, 91, 112, 12, CHILD | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},
  {245, L"Edit", L"", 211, 106, 112, 12, CHILD | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},
  {250, L"Button", L"send text", 213, 121, 48, 12, CHILD | BS_AUTOCHECKBOX, 0},
  {255, L"Button", L"store to EE", 261, 121, 61, 12, CHILD | BS_AUTOCHECKBOX, 0},
  {260, L"Button", L"4x20 (4 lines of 20 characters)", 211, 15, 115, 12,
   CHILD | WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON, 0},
  {265, L"Button", L"2x20 (2 lines of 20 characters)", 211, 30, 115, 12,
   CHILD | WS_TABSTOP | BS_AUTORADIOBUTTON, 0},
  {270, L"Button", L"Disable auto dim", 109, 74, 88, 12, CHILD | WS_TABSTOP | BS_AUTOCHECKBOX, 0},
};  // clang-format on

static const int EXPECTED_COUNT = sizeof EXPECTED / sizeof *EXPECTED;

// Builds the window alone, without the start-up's check marks.
static void build_window(void) {
  INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&classes);
  ASSERT_TRUE(build_main_window(dispatch, attach_window_handler));
  pump();
}

static RECT dialog_rect(int x, int y, int w, int h) {
  RECT r = {x, y, x + w, y + h};
  MapDialogRect(g_main_window, &r);
  return r;
}

static RECT client_rect_of(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(NULL, g_main_window, (POINT*)&r, 2);
  return r;
}

#define EXPECT_RECT(want, got, what)                                                         \
  EXPECT_TRUE(EqualRect(&(want), &(got)))                                                    \
      << what << ": expected (" << (want).left << "," << (want).top << ")-(" << (want).right \
      << "," << (want).bottom << "), got (" << (got).left << "," << (got).top << ")-("       \
      << (got).right << "," << (got).bottom << ")"

TEST(MainWindow, ControlsInCreationOrderWithTheirClassesCaptionsAndStyles) {
  build_window();
  HWND control = GetWindow(g_main_window, GW_CHILD);
  for (int i = 0; i < EXPECTED_COUNT; i++, control = GetWindow(control, GW_HWNDNEXT)) {
    const auto& want = EXPECTED[i];
    ASSERT_TRUE(control) << "control " << want.id << " missing at z-order place " << i;
    EXPECT_EQ(want.id, GetDlgCtrlID(control)) << "id at z-order place " << i;
    wchar_t text[128];
    GetClassNameW(control, text, 128);
    EXPECT_STREQ(want.cls, text) << "class of " << want.id;
    GetWindowTextW(control, text, 128);
    EXPECT_STREQ(want.caption, text) << "caption of " << want.id;
    EXPECT_EQ(want.style, (DWORD)GetWindowLongW(control, GWL_STYLE))
        << std::hex << "style of " << std::dec << want.id;
    EXPECT_EQ(want.ex_style, (DWORD)GetWindowLongW(control, GWL_EXSTYLE))
        << std::hex << "extended style of " << std::dec << want.id;
    EXPECT_TRUE(IsWindowEnabled(control)) << "enabled: " << want.id;
    EXPECT_TRUE(IsWindowVisible(control)) << "visible: " << want.id;
    if (want.id == 1012 || want.id == 1013) continue;  // placed by the up-down control
    RECT expected = dialog_rect(want.x, want.y, want.w, want.h), got = client_rect_of(control);
    EXPECT_RECT(expected, got, "rectangle of " << want.id);
  }
  EXPECT_FALSE(control) << "a control beyond the table: " << GetDlgCtrlID(control);
  end_program();
}

TEST(MainWindow, UpDownSitsAtThePortFieldsRightEdgeAndWrapsWithin1To99) {
  build_window();
  HWND port = GetDlgItem(g_main_window, 1012), updown = GetDlgItem(g_main_window, 1013);
  EXPECT_EQ(port, (HWND)SendMessageW(updown, UDM_GETBUDDY, 0, 0));
  int low = -1, high = -1;
  SendMessageW(updown, UDM_GETRANGE32, (WPARAM)&low, (LPARAM)&high);
  EXPECT_EQ(1, low);
  EXPECT_EQ(99, high);
  EXPECT_STREQ(L"1", window_text(1012).c_str());

  // The platform narrows the buddy and puts the up-down control into the freed space.
  RECT table = dialog_rect(125, 20, 42, 14), field = client_rect_of(port),
       arrows = client_rect_of(updown);
  EXPECT_EQ(table.left, field.left);
  EXPECT_EQ(table.top, field.top);
  EXPECT_EQ(table.bottom, field.bottom);
  EXPECT_LT(field.right, table.right);
  EXPECT_EQ(table.top, arrows.top);
  EXPECT_EQ(table.bottom, arrows.bottom);
  EXPECT_GE(arrows.left, field.right - 2);
  EXPECT_LE(arrows.right, table.right + 2);
  end_program();
}

TEST(MainWindow, WindowStyleCaptionClientSizeAndFont) {
  build_window();
  EXPECT_EQ(1, g_open_windows) << "the window handler's own WM_INITDIALOG counted again";
  wchar_t text[128];
  GetWindowTextW(g_main_window, text, 128);
  EXPECT_STREQ(L"Glimmerset v1.1 (www.glimmerset.example)", text);
  GetClassNameW(g_main_window, text, 128);
  EXPECT_STREQ(L"#32770", text);
  DWORD style = GetWindowLongW(g_main_window, GWL_STYLE);
  DWORD wanted = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_CENTER |
                 DS_SETFONT | DS_NOFAILCREATE | DS_3DLOOK | WS_VISIBLE;
  EXPECT_EQ(wanted, style & ~WS_CLIPSIBLINGS) << std::hex << "window style " << style;
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MAXIMIZEBOX));
  EXPECT_EQ(NULL, GetWindow(g_main_window, GW_OWNER));
  EXPECT_EQ(NULL, GetMenu(g_main_window));

  RECT client, expected = dialog_rect(0, 0, 331, 158);
  GetClientRect(g_main_window, &client);
  RECT unit = dialog_rect(0, 0, 1, 1);  // whole dialog units may round the outer size
  EXPECT_NEAR(expected.right, client.right, unit.right) << "client width";
  EXPECT_NEAR(expected.bottom, client.bottom, unit.bottom) << "client height";

  HFONT font = (HFONT)SendMessageW(g_main_window, WM_GETFONT, 0, 0);
  LOGFONTW logfont = {};
  ASSERT_TRUE(GetObjectW(font, sizeof logfont, &logfont));
  EXPECT_STREQ(L"MS Sans Serif", logfont.lfFaceName);
  HDC screen = GetDC(NULL);
  EXPECT_EQ(-MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72), logfont.lfHeight);
  ReleaseDC(NULL, screen);
  EXPECT_EQ(FW_NORMAL, logfont.lfWeight);
  EXPECT_FALSE(logfont.lfItalic);
  // The description asks for the ANSI character set; Wine builds every dialog font with
  // DEFAULT_CHARSET, which maps to the same ANSI font there.
  EXPECT_TRUE(logfont.lfCharSet == ANSI_CHARSET || logfont.lfCharSet == DEFAULT_CHARSET)
      << "character set " << (int)logfont.lfCharSet;
  for (HWND c = GetWindow(g_main_window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (GetDlgCtrlID(c) != 1013) {  // the up-down control draws arrows only, keeps no font
      EXPECT_EQ(font, (HFONT)SendMessageW(c, WM_GETFONT, 0, 0)) << "font of " << GetDlgCtrlID(c);
    }
  end_program();
  EXPECT_EQ(0, g_open_windows);
}

static bool is_radio(HWND control) {
  return (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
}

TEST(MainWindow, ThreeIndependentRadioGroups) {
  build_window();
  static const struct {
    int first;
    std::vector<int> radios;
  } groups[] = {{135, {135, 140}}, {210, {210, 215, 220, 225}}, {260, {260, 265}}};
  for (const auto& g : groups) {
    HWND first = GetDlgItem(g_main_window, g.first), c = first;
    std::vector<int> radios;
    do {
      if (is_radio(c)) radios.push_back(GetDlgCtrlID(c));
      c = GetNextDlgGroupItem(g_main_window, c, FALSE);
    } while (c && c != first && radios.size() < 10);
    std::sort(radios.begin(), radios.end());
    EXPECT_EQ(g.radios, radios) << "radio buttons in the group starting at " << g.first;
  }
  for (HWND c = GetWindow(g_main_window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    int id = GetDlgCtrlID(c);
    bool starts = id == 135 || id == 210 || id == 260;
    EXPECT_EQ(starts, (GetWindowLongW(c, GWL_STYLE) & WS_GROUP) != 0) << "WS_GROUP on " << id;
  }
  end_program();
}

TEST(MainWindow, ChoosingAnOptionClearsOnlyItsOwnGroup) {
  start_program();
  SendDlgItemMessageW(g_main_window, 215, BM_CLICK, 0, 0);
  pump();
  static const struct {
    int id;
    bool checked;
  } after[] = {{215, true}, {225, false}, {135, true}, {260, true}, {250, true}, {255, true}};
  for (const auto& a : after)
    EXPECT_EQ(a.checked, IsDlgButtonChecked(g_main_window, a.id) == BST_CHECKED)
        << "check of " << a.id;
  end_program();
}
