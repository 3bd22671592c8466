// The screen line editors and the option controls while a user edits, through the
// program's own message loop.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "gui_support.h"
#include "ptyhost_client.h"
#include "screen/line_editors.h"
#include "ui/window.h"

static const std::wstring ALPHABET = L"abcdefghijklmnopqrstuvwxyz";

typedef ProgramTest Editing;

static void focus(int id) {
  SetFocus(GetDlgItem(g_main_window, id));
  pump();
}

static void select(int id, int from, int to) {
  SendDlgItemMessageW(g_main_window, id, EM_SETSEL, from, to);
}

// Puts <text> on the clipboard and pastes it into the control with the focus.
static void paste(const std::wstring& text) {
  ASSERT_TRUE(OpenClipboard(g_main_window));
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(memory);
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
  PostMessageW(GetFocus(), WM_PASTE, 0, 0);
  pump();
}

// Fills <id> with 20 characters as typed, which moves the focus on.
static void fill_line(int id, const std::wstring& twenty) {
  focus(id);
  type_text(twenty);
}

struct LineCase {
  const char* name;
  void (*act)(void);
  int line;           // the line whose text is checked
  std::wstring text;  // its text afterwards
  int focus;          // the focus afterwards
};

static const LineCase LINE_CASES[] = {
    {"19 characters keep the focus",
     [] {
       focus(230);
       type_text(ALPHABET.substr(0, 19));
     },
     230, ALPHABET.substr(0, 19), 230},
    {"the 20th character moves on",
     [] {
       focus(230);
       type_text(ALPHABET.substr(0, 20));
     },
     230, ALPHABET.substr(0, 20), 235},
    {"line 4 wraps to line 1",
     [] {
       focus(245);
       type_text(ALPHABET.substr(0, 20));
     },
     245, ALPHABET.substr(0, 20), 230},
    {"a paste of 26 keeps 20",
     [] {
       focus(235);
       paste(ALPHABET);
     },
     235, ALPHABET.substr(0, 20), 240},
    {"typed into the middle of a full line",
     [] {
       fill_line(230, ALPHABET.substr(0, 20));
       focus(230);
       select(230, 10, 10);
       type_text(L"X");
     },
     230, ALPHABET.substr(0, 10) + L"X" + ALPHABET.substr(10, 9), 235},
    {"a replaced selection that stays at 20",
     [] {
       fill_line(240, ALPHABET.substr(0, 20));
       focus(240);
       select(240, 5, 6);
       SendDlgItemMessageW(g_main_window, 240, EM_REPLACESEL, TRUE, (LPARAM)L"Z");
       pump();
     },
     240, ALPHABET.substr(0, 5) + L"Z" + ALPHABET.substr(6, 14), 245},
    {"deleting keeps the focus",
     [] {
       fill_line(230, ALPHABET.substr(0, 20));
       focus(230);
       select(230, 20, 20);
       type_text(L"\b\b");
     },
     230, ALPHABET.substr(0, 18), 230},
    {"a full line entered by Tab stays",
     [] {
       fill_line(235, ALPHABET.substr(0, 20));
       focus(230);
       press_key(VK_TAB);
     },
     235, ALPHABET.substr(0, 20), 235},
    {"a character the code page lacks shows as its replacement",
     [] {
       focus(230);
       type_text(ALPHABET.substr(0, 19) + L"\x2713");
     },
     230, ALPHABET.substr(0, 19) + L"?", 235},
    {"both halves of a character beyond U+FFFF stay in their line",
     [] {
       focus(230);
       type_text(ALPHABET.substr(0, 19) + L"\xD83D\xDE00");
     },
     235, L"", 235},
    {"a best-fit character shows as its close one",
     [] {
       focus(230);
       type_text(L"\x0100" + ALPHABET.substr(0, 19));
     },
     230, L"A" + ALPHABET.substr(0, 19), 235},
};

TEST_F(Editing, ScreenLinesHoldTwentyAndMoveOn) {
  for (const LineCase& c : LINE_CASES) {
    end_program();
    start_program();
    c.act();
    EXPECT_EQ(c.text, window_text(c.line)) << c.name;
    EXPECT_EQ(c.focus, focus_id()) << c.name;
    EXPECT_FALSE(g_edit_guard) << c.name << ": the edit guard was left set";
  }
}

TEST_F(Editing, FullLine2OfATwoLineScreenKeepsItsTextWhileTypingGoesOn) {
  SendDlgItemMessageW(g_main_window, ID_TWO_LINES, BM_CLICK, 0, 0);
  pump();
  fill_line(235, ALPHABET.substr(0, 20));
  EXPECT_EQ(ALPHABET.substr(0, 20), window_text(235));
  // The focus goes to line 3 in the fixed order; the platform may refuse it to a disabled
  // box and leave it in line 2. Either way, what the user typed stays whole.
  type_text(L"zz");
  EXPECT_EQ(ALPHABET.substr(0, 20), window_text(235));
  EXPECT_EQ(L"", window_text(240));
  int focus = focus_id();
  EXPECT_TRUE(focus == 240 || focus == 235) << "focus ended on " << focus;
}

TEST_F(Editing, TypedEuroSignIsSentAs0x80) {
  ASSERT_TRUE(pty_fresh(1));
  focus(230);
  type_text(L"\x20AC");
  SendDlgItemMessageW(g_main_window, ID_SEND, BM_CLICK, 0, 0);
  pump();
  std::string sent = pty_bytes(1);
  ASSERT_GE(sent.size(), 3u);
  EXPECT_EQ(hex_of(std::string("\x0C\x80 ")), hex_of(sent.substr(0, 3)));
}

TEST_F(Editing, DelayFieldHeldAt120) {
  static const struct {
    const char* name;
    void (*act)(void);
    const wchar_t* text;
  } cases[] = {
      {"typing 1 2", [] { type_text(L"12"); }, L"12"},
      {"typing 1 2 5", [] { type_text(L"125"); }, L"120"},
      {"typing 9 9", [] { type_text(L"99"); }, L"99"},
      {"typing 9 9 9", [] { type_text(L"999"); }, L"120"},
      {"typing 1 2 0", [] { type_text(L"120"); }, L"120"},
      {"pasting 130", [] { paste(L"130"); }, L"120"},
      {"pasting 60", [] { paste(L"60"); }, L"60"},
      {"pasting 30 digits", [] { paste(std::wstring(30, L'9')); }, L"120"},
      {"pasting 4294967297", [] { paste(L"4294967297"); }, L"120"},
      {"clearing",
       [] {
         PostMessageW(GetFocus(), WM_CLEAR, 0, 0);
         pump();
       },
       L""},
  };
  for (const auto& c : cases) {
    focus(ID_DELAY);
    select(ID_DELAY, 0, -1);
    type_text(L"\b");
    c.act();
    EXPECT_STREQ(c.text, window_text(ID_DELAY).c_str()) << c.name;
    EXPECT_FALSE(g_edit_guard) << c.name;
  }
}

TEST_F(Editing, SendTextGreysStoreToEEAndKeepsItsMark) {
  HWND store = GetDlgItem(g_main_window, ID_STORE_TO_EE);
  SendDlgItemMessageW(g_main_window, ID_SEND_TEXT, BM_CLICK, 0, 0);
  pump();
  EXPECT_FALSE(IsWindowEnabled(store));
  EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(g_main_window, ID_STORE_TO_EE));
  SendDlgItemMessageW(g_main_window, ID_SEND_TEXT, BM_CLICK, 0, 0);
  pump();
  EXPECT_TRUE(IsWindowEnabled(store));
  EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(g_main_window, ID_STORE_TO_EE));
}

TEST_F(Editing, ScreenTypeGreysLines3And4AndKeepsTheirText) {
  SetDlgItemTextW(g_main_window, ID_LINE_3, L"three");
  SetDlgItemTextW(g_main_window, ID_LINE_4, L"four");
  SendDlgItemMessageW(g_main_window, ID_TWO_LINES, BM_CLICK, 0, 0);
  pump();
  for (int id : {ID_LINE_3, ID_LINE_4})
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(g_main_window, id))) << id;
  for (int id : {ID_LINE_1, ID_LINE_2})
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(g_main_window, id))) << id;
  EXPECT_STREQ(L"three", window_text(ID_LINE_3).c_str());
  EXPECT_STREQ(L"four", window_text(ID_LINE_4).c_str());
  SendDlgItemMessageW(g_main_window, ID_FOUR_LINES, BM_CLICK, 0, 0);
  pump();
  for (int id : {ID_LINE_3, ID_LINE_4})
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(g_main_window, id))) << id;
  EXPECT_STREQ(L"three", window_text(ID_LINE_3).c_str());
}

// Windows reports a click from an unchecked option that gains the focus by Tab, without
// checking it: the lines must follow the check marks, not the sender.
TEST_F(Editing, ScreenTypeClickWithoutANewMarkKeepsLinesAsTheMarksSay) {
  static const struct {
    int sender;
    bool four_checked;
  } cases[] = {
      {ID_TWO_LINES, true}, {ID_FOUR_LINES, false}, {ID_FOUR_LINES, true}, {ID_TWO_LINES, false}};
  for (const auto& c : cases) {
    CheckRadioButton(g_main_window, ID_FOUR_LINES, ID_TWO_LINES,
                     c.four_checked ? ID_FOUR_LINES : ID_TWO_LINES);
    for (int id : {ID_LINE_3, ID_LINE_4})  // the opposite of what the marks say
      EnableWindow(GetDlgItem(g_main_window, id), !c.four_checked);
    SendMessageW(g_main_window, WM_COMMAND, MAKEWPARAM(c.sender, BN_CLICKED),
                 (LPARAM)GetDlgItem(g_main_window, c.sender));
    pump();
    for (int id : {ID_LINE_3, ID_LINE_4})
      EXPECT_EQ(c.four_checked, IsWindowEnabled(GetDlgItem(g_main_window, id)) != FALSE)
          << "click from " << c.sender << " with 4x20 checked " << c.four_checked << ": line "
          << id;
    EXPECT_EQ(c.four_checked, IsDlgButtonChecked(g_main_window, ID_FOUR_LINES) == BST_CHECKED)
        << "click from " << c.sender << " changed the mark of 4x20";
  }
}

TEST_F(Editing, PortArrowsWrapWithin1To99) {
  static const struct {
    const wchar_t* before;
    UINT key;
    const wchar_t* after;
  } cases[] = {
      {L"99", VK_UP, L"1"}, {L"1", VK_DOWN, L"99"}, {L"41", VK_UP, L"42"}, {L"41", VK_DOWN, L"40"}};
  for (const auto& c : cases) {
    SetDlgItemTextW(g_main_window, ID_PORT, c.before);
    focus(ID_PORT);
    press_key(c.key);
    EXPECT_STREQ(c.after, window_text(ID_PORT).c_str()) << "key " << c.key << " at " << c.before;
  }
}

TEST_F(Editing, HandlersIgnoreOtherNotifications) {
  HWND delay = GetDlgItem(g_main_window, ID_DELAY);
  g_edit_guard = true;  // put a number above the limit there without the clamp
  SetWindowTextW(delay, L"500");
  g_edit_guard = false;
  SendMessageW(g_main_window, WM_COMMAND, MAKEWPARAM(ID_DELAY, EN_KILLFOCUS), (LPARAM)delay);
  EXPECT_STREQ(L"500", window_text(ID_DELAY).c_str());
  SendMessageW(g_main_window, WM_COMMAND, MAKEWPARAM(ID_DELAY, EN_CHANGE), (LPARAM)delay);
  EXPECT_STREQ(L"120", window_text(ID_DELAY).c_str());

  CheckDlgButton(g_main_window, ID_SEND_TEXT, BST_UNCHECKED);  // no click
  HWND send_text = GetDlgItem(g_main_window, ID_SEND_TEXT);
  SendMessageW(g_main_window, WM_COMMAND, MAKEWPARAM(ID_SEND_TEXT, BN_SETFOCUS), (LPARAM)send_text);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(g_main_window, ID_STORE_TO_EE)));

  HWND send = GetDlgItem(g_main_window, ID_SEND);
  SendMessageW(g_main_window, WM_COMMAND, MAKEWPARAM(ID_SEND, BN_SETFOCUS), (LPARAM)send);
  SendMessageW(g_main_window, WM_COMMAND, MAKEWPARAM(ID_SEND, BN_KILLFOCUS), (LPARAM)send);
  pump();
  EXPECT_TRUE(take_message_boxes().empty()) << "a focus notification of Send started a run";
}
