// The program's start-up, pump step and dispatch, fed real messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/dispatch.h"
#include "app/startup.h"
#include "gui_support.h"
#include "ptyhost_client.h"
#include "ui/window.h"

typedef ProgramTest Program;

TEST_F(Program, StartsWithTheInitialMarksTextsAndEnabledStates) {
  static const int CHECKED[] = {135, 225, 250, 255, 260};
  static const int UNCHECKED[] = {140, 210, 215, 220, 145, 190, 195, 265, 270};
  for (int id : CHECKED)
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(g_main_window, id)) << "control " << id;
  for (int id : UNCHECKED)
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(g_main_window, id)) << "control " << id;
  EXPECT_STREQ(L"1", window_text(ID_PORT).c_str());
  EXPECT_STREQ(L"0", window_text(ID_DELAY).c_str());
  for (HWND c = GetWindow(g_main_window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    EXPECT_TRUE(IsWindowEnabled(c)) << "control " << GetDlgCtrlID(c);
  for (int id : {ID_LINE_1, ID_LINE_2, ID_LINE_3, ID_LINE_4})
    EXPECT_STREQ(L"", window_text(id).c_str()) << "line " << id;
  EXPECT_EQ(1, g_open_windows);
  EXPECT_EQ(g_main_window, g_active_window);
  EXPECT_EQ(ID_DELAY, focus_id()) << "focus when the window first becomes active";
}

// Presses Tab (or Shift+Tab) until the focus is back where it started; returns the ids.
static std::vector<int> tab_round(bool shift) {
  std::vector<int> visited;
  int start = focus_id();
  do {
    press_key(VK_TAB, shift);
    visited.push_back(focus_id());
  } while (visited.back() != start && visited.size() < 40);
  return visited;
}

TEST_F(Program, TabVisitsTheTabStopsAndTheCheckedBaudAndBrightnessOptions) {
  std::vector<int> forward = {225, 230, 235, 240, 245, 260, 265, 270, 135, 205};
  EXPECT_EQ(forward, tab_round(false));
  std::vector<int> backward = {135, 270, 265, 260, 245, 240, 235, 230, 225, 205};
  EXPECT_EQ(backward, tab_round(true));
}

TEST_F(Program, ArrowsMoveTheCheckWithinARadioGroup) {
  press_key(VK_TAB);  // onto "100%"
  ASSERT_EQ(225, focus_id());
  press_key(VK_LEFT);
  EXPECT_EQ(220, focus_id());
  EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(g_main_window, 220));
  EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(g_main_window, 225));
  EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(g_main_window, 135)) << "another group changed";
  press_key(VK_TAB, true);  // back to the delay field, then onto "9600"
  press_key(VK_TAB, true);
  ASSERT_EQ(135, focus_id());
  press_key(VK_DOWN);
  EXPECT_EQ(140, focus_id());
  EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(g_main_window, 140));
  EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(g_main_window, 135));
  EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(g_main_window, 220)) << "another group changed";
}

TEST_F(Program, EnterFromAScreenLineStartsTheRun) {
  ASSERT_TRUE(pty_fresh(1));
  SetFocus(GetDlgItem(g_main_window, ID_LINE_2));
  type_text(L"hi");
  press_key(VK_RETURN);
  std::string sent = pty_bytes(1);
  EXPECT_EQ(94u, sent.size()) << hex_of(sent);
  EXPECT_EQ("hi", sent.substr(21, 2));
  std::vector<SeenMessageBox> boxes = take_message_boxes();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_STREQ(L"Done", boxes[0].caption.c_str());
  EXPECT_STREQ(L"hi", window_text(ID_LINE_2).c_str()) << "Enter went into the line";
}

TEST_F(Program, EveryMessageBoxGivesTheWindowBackWithItsFocus) {
  static const struct {
    const wchar_t* port;
    int focus;
    const wchar_t* caption;
  } cases[] = {{L"1", ID_LINE_1, L"Done"}, {L"1", ID_DELAY, L"Done"}, {L"0", ID_LINE_3, L"Error"}};
  for (const auto& c : cases) {
    ASSERT_TRUE(pty_fresh(1));
    SetDlgItemTextW(g_main_window, ID_PORT, c.port);
    SetFocus(GetDlgItem(g_main_window, c.focus));
    for (int run = 1; run <= 2; run++) {
      press_key(VK_RETURN);
      std::vector<SeenMessageBox> boxes = take_message_boxes();
      ASSERT_EQ(1u, boxes.size()) << "Enter number " << run << " from " << c.focus;
      EXPECT_STREQ(c.caption, boxes[0].caption.c_str());
      EXPECT_EQ(g_main_window, GetActiveWindow()) << "after \"" << boxes[0].caption.c_str()
                                                  << "\" (run " << run << ")";
      EXPECT_EQ(g_main_window, GetForegroundWindow()) << "run " << run << " from " << c.focus;
      EXPECT_EQ(c.focus, focus_id()) << "focus after run " << run;
    }
  }
}

TEST_F(Program, EscapeChangesNothing) {
  SetFocus(GetDlgItem(g_main_window, ID_LINE_1));
  type_text(L"keep");
  press_key(VK_ESCAPE);
  EXPECT_TRUE(IsWindow(g_main_window));
  EXPECT_EQ(1, g_open_windows);
  EXPECT_STREQ(L"keep", window_text(ID_LINE_1).c_str());
  EXPECT_EQ(ID_LINE_1, focus_id());
  EXPECT_TRUE(take_message_boxes().empty());
}

TEST_F(Program, TextOutsideLatin1IsTypedIntact) {
  SetFocus(GetDlgItem(g_main_window, ID_LINE_1));
  const std::wstring typed = L"\x20AC \x0416\x03BB\x00E4";  // euro sign, Cyrillic, Greek, a-umlaut
  type_text(typed);
  EXPECT_EQ(typed, window_text(ID_LINE_1));
}

TEST_F(Program, InactiveWindowGetsNoDialogKeyboardHandling) {
  SendMessageW(g_main_window, WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_EQ(NULL, g_active_window);
  EXPECT_EQ(1, g_open_windows);
  int focus = focus_id();
  press_key(VK_TAB);
  EXPECT_EQ(focus, focus_id()) << "Tab moved the focus while the window was inactive";
  SendMessageW(g_main_window, WM_ACTIVATE, WA_CLICKACTIVE, 0);
  EXPECT_EQ(g_main_window, g_active_window);
  EXPECT_EQ(1, g_open_windows);
}

TEST_F(Program, CloseCommandEndsTheLoop) {
  PostMessageW(g_main_window, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(0, pump());
  EXPECT_FALSE(IsWindow(g_main_window));
  EXPECT_EQ(0, g_open_windows);
  EXPECT_TRUE(take_message_boxes().empty());
}

TEST_F(Program, AltF4EndsTheLoop) {
  HWND focus = GetFocus();
  PostMessageW(focus, WM_SYSKEYDOWN, VK_F4, 1 | (1 << 29));
  PostMessageW(focus, WM_SYSKEYUP, VK_F4, 1 | (1 << 29) | 0xC0000000);
  EXPECT_EQ(0, pump());
  EXPECT_FALSE(IsWindow(g_main_window));
}

static HHOOK s_refuse_hook;

static LRESULT CALLBACK refuse_activation(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_ACTIVATE) return 1;
  return CallNextHookEx(s_refuse_hook, code, wparam, lparam);
}

// Activation that comes only after start-up, as from a window manager or when another program
// held the foreground: the focus still starts in the delay field, and Tab goes on from there in
// the platform's order.
TEST(ProgramStart, FirstFocusIsTheDelayFieldWhenActivationComesLater) {
  static const struct {
    const char* how;
    void (*activate)(void);
  } ways[] = {
      {"SetForegroundWindow", [] { SetForegroundWindow(g_main_window); }},
      {"SetActiveWindow", [] { SetActiveWindow(g_main_window); }},
  };
  for (const auto& way : ways) {
    s_refuse_hook = SetWindowsHookExW(WH_CBT, refuse_activation, NULL, GetCurrentThreadId());
    start_program();
    UnhookWindowsHookEx(s_refuse_hook);
    EXPECT_EQ(NULL, g_active_window) << way.how << ": active before activation";
    way.activate();
    pump();
    EXPECT_EQ(g_main_window, g_active_window) << way.how;
    EXPECT_EQ(ID_DELAY, focus_id()) << way.how << ": first focus";
    press_key(VK_TAB);
    EXPECT_EQ(ID_BRIGHT_100, focus_id()) << way.how << ": focus after Tab";
    end_program();
  }
}

static LRESULT CALLBACK refuse_dialogs(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_CREATEWND) {
    const CBT_CREATEWNDW* create = (const CBT_CREATEWNDW*)lparam;
    if (create->lpcs->lpszClass == MAKEINTATOM(32770)) return 1;
  }
  return CallNextHookEx(s_refuse_hook, code, wparam, lparam);
}

TEST(ProgramStart, WindowThatCannotBeCreatedEndsTheProgramAtOnceWithCode0) {
  s_refuse_hook = SetWindowsHookExW(WH_CBT, refuse_dialogs, NULL, GetCurrentThreadId());
  DWORD start = GetTickCount();
  EXPECT_EQ(0, glimmerset_main());
  UnhookWindowsHookEx(s_refuse_hook);
  EXPECT_LT(GetTickCount() - start, 2000u);
  EXPECT_EQ(0, g_open_windows);
}
