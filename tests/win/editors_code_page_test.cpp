// The screen line editors in system code pages whose characters take more than one byte of
// a line's 20: UTF-8 and a double-byte code page. The test environment starts this program
// once in each, and each run selects the tests of its own code page.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gui_support.h"
#include "ptyhost_client.h"
#include "ui/window.h"

typedef ProgramTest Utf8Editing;
typedef ProgramTest DoubleByteEditing;

static std::wstring times(int count, const std::wstring& text) {
  std::wstring repeated;
  for (int i = 0; i < count; i++) repeated += text;
  return repeated;
}

struct TypingCase {
  const char* name;
  std::wstring typed, kept;
  int focus;
};

// Types each case into an empty line 1 and checks what the line keeps and where the focus is.
static void expect_lines(const std::vector<TypingCase>& cases) {
  for (const TypingCase& c : cases) {
    SetDlgItemTextW(g_main_window, ID_LINE_1, L"");
    SetDlgItemTextW(g_main_window, ID_LINE_2, L"");
    SetFocus(GetDlgItem(g_main_window, ID_LINE_1));
    pump();
    type_text(c.typed);
    std::wstring text = window_text(ID_LINE_1);
    EXPECT_TRUE(c.kept == text) << c.name << ": line 1 holds " << text.size() << " units, "
                                << std::count(text.begin(), text.end(), L'\xFFFD')
                                << " of them U+FFFD";
    EXPECT_EQ(c.focus, focus_id()) << c.name;
    EXPECT_EQ(0, GetWindowTextLengthW(GetDlgItem(g_main_window, ID_LINE_2)))
        << c.name << ": typing spilled into line 2";
  }
}

TEST_F(Utf8Editing, LinesHoldWholeCharactersOnly) {
  ASSERT_EQ(65001u, GetACP()) << "the test environment did not give a UTF-8 system code page";
  expect_lines({
      {"10 x U+00E4 fill 20 bytes", times(10, L"\x00E4"), times(10, L"\x00E4"), ID_LINE_2},
      {"7 x U+20AC keep 6", times(7, L"\x20AC"), times(6, L"\x20AC"), ID_LINE_2},
      {"19 ASCII and U+20AC keep 19", times(19, L"a") + L"\x20AC", times(19, L"a"), ID_LINE_2},
      {"16 ASCII and U+1F600 fill 20 bytes", times(16, L"a") + L"\xD83D\xDE00",
       times(16, L"a") + L"\xD83D\xDE00", ID_LINE_2},
      {"17 ASCII and U+1F600 keep 17", times(17, L"a") + L"\xD83D\xDE00", times(17, L"a"),
       ID_LINE_2},
      {"6 x U+20AC stay", times(6, L"\x20AC"), times(6, L"\x20AC"), ID_LINE_1},
  });
}

TEST_F(Utf8Editing, WholeCharactersAreSent) {
  ASSERT_EQ(65001u, GetACP()) << "the test environment did not give a UTF-8 system code page";
  ASSERT_TRUE(pty_fresh(1));
  SetFocus(GetDlgItem(g_main_window, ID_LINE_1));
  type_text(times(7, L"\x20AC"));
  SendDlgItemMessageW(g_main_window, ID_SEND, BM_CLICK, 0, 0);
  pump();
  std::string line_1;
  for (int i = 0; i < 6; i++) line_1 += "\xE2\x82\xAC";
  std::string sent = pty_bytes(1);
  ASSERT_GE(sent.size(), 21u);
  EXPECT_EQ(hex_of("\x0C" + line_1 + "  "), hex_of(sent.substr(0, 21)));
}

// U+3042 is two bytes in code page 932.
TEST_F(DoubleByteEditing, LinesHoldWholeCharactersOnly) {
  ASSERT_EQ(932u, GetACP()) << "the test environment did not give code page 932";
  expect_lines({
      {"10 x U+3042 fill 20 bytes", times(10, L"\x3042"), times(10, L"\x3042"), ID_LINE_2},
      {"19 ASCII and U+3042 keep 19", times(19, L"a") + L"\x3042", times(19, L"a"), ID_LINE_2},
      {"9 x U+3042 stay", times(9, L"\x3042"), times(9, L"\x3042"), ID_LINE_1},
  });
}
