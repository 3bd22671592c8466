// The screen line editors with UTF-8 as the system code page, where one character takes up
// to four bytes of a line's 20. The test environment starts this program in such a locale.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "gui_support.h"
#include "ptyhost_client.h"
#include "ui/window.h"

typedef ProgramTest Utf8Editing;

static std::wstring times(int count, const std::wstring& text) {
  std::wstring repeated;
  for (int i = 0; i < count; i++) repeated += text;
  return repeated;
}

TEST_F(Utf8Editing, LinesHoldWholeCharactersOnly) {
  ASSERT_EQ(65001u, GetACP()) << "the test environment did not give a UTF-8 system code page";
  static const struct {
    const wchar_t* name;
    std::wstring typed, kept;
    int focus;
  } cases[] = {
      {L"10 x U+00E4 fill 20 bytes", times(10, L"\x00E4"), times(10, L"\x00E4"), ID_LINE_2},
      {L"7 x U+20AC keep 6", times(7, L"\x20AC"), times(6, L"\x20AC"), ID_LINE_2},
      {L"19 ASCII and U+20AC keep 19", times(19, L"a") + L"\x20AC", times(19, L"a"), ID_LINE_2},
      {L"16 ASCII and U+1F600 fill 20 bytes", times(16, L"a") + L"\xD83D\xDE00",
       times(16, L"a") + L"\xD83D\xDE00", ID_LINE_2},
      {L"6 x U+20AC stay", times(6, L"\x20AC"), times(6, L"\x20AC"), ID_LINE_1},
  };
  for (const auto& c : cases) {
    SetDlgItemTextW(g_main_window, ID_LINE_1, L"");
    SetFocus(GetDlgItem(g_main_window, ID_LINE_1));
    PUMP();
    TYPE_TEXT(c.typed);
    std::wstring text = WINDOW_TEXT(ID_LINE_1);
    EXPECT_EQ(c.kept, text) << c.name;
    EXPECT_EQ(std::wstring::npos, text.find(L'\xFFFD')) << c.name << ": a broken character";
    EXPECT_EQ(c.focus, FOCUS_ID()) << c.name;
  }
}

TEST_F(Utf8Editing, WholeCharactersAreSent) {
  ASSERT_EQ(65001u, GetACP()) << "the test environment did not give a UTF-8 system code page";
  ASSERT_TRUE(PTY_FRESH(1));
  SetFocus(GetDlgItem(g_main_window, ID_LINE_1));
  TYPE_TEXT(times(7, L"\x20AC"));
  SendDlgItemMessageW(g_main_window, ID_SEND, BM_CLICK, 0, 0);
  PUMP();
  std::string line_1;
  for (int i = 0; i < 6; i++) line_1 += "\xE2\x82\xAC";
  std::string sent = PTY_BYTES(1);
  ASSERT_GE(sent.size(), 21u);
  EXPECT_EQ(HEX_OF("\x0C" + line_1 + "  "), HEX_OF(sent.substr(0, 21)));
}
