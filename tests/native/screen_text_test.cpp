#include "screen/screen_text.h"

#include <gtest/gtest.h>

TEST(ScreenText, PadLine) {
  static const struct {
    std::string line, padded;
  } cases[] = {
      {"", std::string(20, ' ')},
      {"Hello", "Hello" + std::string(15, ' ')},
      {"  two  ", "  two  " + std::string(13, ' ')},
      {"12345678901234567890", "12345678901234567890"},
      {"123456789012345678901234", "12345678901234567890"},
      {std::string("a\0b", 3), std::string("a\0b", 3) + std::string(17, ' ')},
      {"\x80\xFF", "\x80\xFF" + std::string(18, ' ')},
  };
  for (const auto& c : cases) EXPECT_EQ(c.padded, PAD_LINE(c.line)) << "line \"" << c.line << "\"";
}

TEST(ScreenText, FourLinesFollowOneAnother) {
  const std::string lines[4] = {"12345678901234567890", "B", "", " d "};
  std::string text = BUILD_SCREEN_TEXT(lines, true);
  ASSERT_EQ(80u, text.size());
  EXPECT_EQ("12345678901234567890B" + std::string(19, ' ') + std::string(20, ' ') + " d " +
                std::string(17, ' '),
            text);
}

TEST(ScreenText, TwoLinesLeaveLinesThreeAndFourOut) {
  const std::string lines[4] = {"one", "two", "three", "four"};
  EXPECT_EQ("one" + std::string(17, ' ') + "two" + std::string(17, ' '),
            BUILD_SCREEN_TEXT(lines, false));
  const std::string empty[4];
  EXPECT_EQ(std::string(40, ' '), BUILD_SCREEN_TEXT(empty, false));
  EXPECT_EQ(std::string(80, ' '), BUILD_SCREEN_TEXT(empty, true));
}

// A double-byte code page stand-in: bytes from 0x81 up lead a two-byte character.
static bool lead_from_0x81(unsigned char byte) { return byte >= 0x81; }
static bool no_lead(unsigned char) { return false; }

TEST(ScreenText, FitLengthNeverSplitsACharacter) {
  static const struct {
    std::string bytes;
    size_t limit, fit;
    bool double_byte;
  } cases[] = {
      {std::string(25, 'a'), 20, 20, false},
      {std::string(19, 'a') + "\x82\xA0"
                              "b",
       20, 19, true},
      {std::string(18, 'a') + "\x82\xA0"
                              "b",
       20, 20, true},
      {std::string(19, 'a') + "\x82\xA0", 20, 19, true},
      {std::string(20, 'a') + "\x82\xA0", 20, 20, true},
      {std::string(19, 'a') + "\x82", 20, 20, true},  // a lone lead byte at the end is one byte
      {"abc", 20, 3, true},
      {std::string(19, 'a') + "\x82\xA0", 20, 20, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.fit, FIT_LENGTH(c.bytes, c.limit, c.double_byte ? lead_from_0x81 : no_lead))
        << "bytes \"" << c.bytes << "\" limit " << c.limit;
}
