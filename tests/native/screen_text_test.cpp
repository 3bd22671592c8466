#include "screen/screen_text.h"

#include <gtest/gtest.h>

#include <vector>

// A double-byte code page stand-in: bytes from 0x81 up lead a two-byte character.
static bool lead_from_0x81(unsigned char byte) { return byte >= 0x81; }

static const CodePage SINGLE_BYTE = {SINGLE_BYTE_CODE_PAGE, nullptr};
static const CodePage DOUBLE_BYTE = {DOUBLE_BYTE_CODE_PAGE, lead_from_0x81};
static const CodePage UTF8 = {UTF8_CODE_PAGE, nullptr};

TEST(ScreenText, PadLine) {
  static const struct {
    std::string line, padded;
    const CodePage& code_page;
  } cases[] = {
      {"", std::string(20, ' '), SINGLE_BYTE},
      {"Hello", "Hello" + std::string(15, ' '), SINGLE_BYTE},
      {"  two  ", "  two  " + std::string(13, ' '), SINGLE_BYTE},
      {"12345678901234567890", "12345678901234567890", SINGLE_BYTE},
      {"123456789012345678901234", "12345678901234567890", SINGLE_BYTE},
      {std::string("a\0b", 3), std::string("a\0b", 3) + std::string(17, ' '), SINGLE_BYTE},
      {"\x80\xFF", "\x80\xFF" + std::string(18, ' '), SINGLE_BYTE},
      // A character that would not fit whole is left out and its place filled with a space.
      {std::string(19, 'a') + "\x82\xA0", std::string(19, 'a') + " ", DOUBLE_BYTE},
      {std::string(18, 'a') + "\xE2\x82\xAC", std::string(18, 'a') + "  ", UTF8},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.padded, PAD_LINE(c.line, c.code_page)) << "line \"" << c.line << "\"";
}

TEST(ScreenText, FourLinesFollowOneAnother) {
  const std::string lines[4] = {"12345678901234567890", "B", "", " d "};
  std::string text = build_screen_text(lines, true, SINGLE_BYTE);
  ASSERT_EQ(80u, text.size());
  EXPECT_EQ("12345678901234567890B" + std::string(19, ' ') + std::string(20, ' ') + " d " +
                std::string(17, ' '),
            text);
}

TEST(ScreenText, TwoLinesLeaveLinesThreeAndFourOut) {
  const std::string lines[4] = {"one", "two", "three", "four"};
  EXPECT_EQ("one" + std::string(17, ' ') + "two" + std::string(17, ' '),
            build_screen_text(lines, false, SINGLE_BYTE));
  const std::string empty[4];
  EXPECT_EQ(std::string(40, ' '), build_screen_text(empty, false, SINGLE_BYTE));
  EXPECT_EQ(std::string(80, ' '), build_screen_text(empty, true, SINGLE_BYTE));
}

static std::string hex(const std::string& bytes) {
  static const char DIGITS[] = "0123456789ABCDEF";
  std::string text;
  for (unsigned char byte : bytes) text += std::string(" ") + DIGITS[byte >> 4] + DIGITS[byte & 15];
  return text;
}

struct FitCase {
  std::string bytes;
  size_t limit, fit;
};

static void expect_fits(const char* kind, const CodePage& code_page,
                        const std::vector<FitCase>& cases) {
  for (const FitCase& c : cases)
    EXPECT_EQ(c.fit, fit_length(c.bytes, c.limit, code_page))
        << kind << " bytes" << hex(c.bytes) << " limit " << c.limit;
}

TEST(ScreenText, FitLengthSingleByteCutsAtTheLimit) {
  expect_fits("single-byte", SINGLE_BYTE,
              {{std::string(25, 'a'), 20, 20},
               {std::string(19, 'a') + "\x82\xA0", 20, 20},
               {"abc", 20, 3},
               {"", 20, 0},
               {"abc", 0, 0}});
}

static std::string a(size_t count) { return std::string(count, 'a'); }

TEST(ScreenText, FitLengthDoubleByteNeverSplitsACharacter) {
  const std::string pair = "\x82\xA0";
  expect_fits("double-byte", DOUBLE_BYTE,
              {{a(19) + pair + "b", 20, 19},
               {a(18) + pair + "b", 20, 20},
               {a(19) + pair, 20, 19},
               {a(20) + pair, 20, 20},
               // A lone lead byte at the end is a character of its own.
               {a(19) + "\x82", 20, 20},
               // Pairs are found from the start: 82 82 is one character, 82 A0 the next.
               {a(17) + "\x82\x82" + pair, 20, 19},
               {"abc", 20, 3}});
}

TEST(ScreenText, FitLengthUtf8NeverSplitsASequence) {
  const std::string a_umlaut = "\xC3\xA4", euro = "\xE2\x82\xAC", smile = "\xF0\x9F\x98\x80";
  std::string euros;
  for (int i = 0; i < 7; i++) euros += euro;
  expect_fits("UTF-8", UTF8,
              {{a(18) + a_umlaut + "b", 20, 20},
               {a(19) + a_umlaut, 20, 19},
               {a(17) + euro, 20, 20},
               {a(18) + euro, 20, 18},
               {a(19) + euro, 20, 19},
               {euros, 20, 18},
               {a(16) + smile, 20, 20},
               {a(17) + smile, 20, 17},
               {a(19) + smile, 20, 19},
               {smile, 3, 0},
               {a(17) + "\xED\x9F\xBF", 20, 20},      // U+D7FF, just below the surrogates
               {a(16) + "\xF4\x8F\xBF\xBF", 20, 20},  // U+10FFFF
               // Malformed bytes are one character each and never carry the cut past the end.
               {a(19) + "\xE2\x82", 20, 20},  // a sequence cut off by the end of the bytes
               {a(18) + "\xE2\x82" + "a", 20, 20},
               {"\xF0\x9F\x98", 20, 3},
               {a(19) + "\x80\x80", 20, 20},          // stray continuation bytes
               {a(19) + "\xC0\xAF", 20, 20},          // overlong "/"
               {a(18) + "\xE0\x80\xAF", 20, 20},      // overlong "/" in three bytes
               {a(19) + "\xED\xA0\x80", 20, 20},      // a surrogate
               {a(19) + "\xF4\x90\x80\x80", 20, 20},  // above U+10FFFF
               {a(19) + "\xFF", 20, 20}});
}
