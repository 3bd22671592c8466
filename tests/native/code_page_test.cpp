// The code pages offered convert exactly as the build machine's iconv converts them: every
// character that iconv turns into one byte, and no other.
#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "core/code_page.h"

namespace {

std::string utf8(uint32_t code) {
  std::string text;
  if (code < 0x80) return text += (char)code;
  if (code < 0x800) return text += {(char)(0xC0 | code >> 6), (char)(0x80 | (code & 0x3F))};
  return text += {(char)(0xE0 | code >> 12), (char)(0x80 | (code >> 6 & 0x3F)),
                  (char)(0x80 | (code & 0x3F))};
}

// Returns the one byte iconv gives for <code> in <cd>'s code page, or -1.
int iconv_byte(iconv_t cd, uint32_t code) {
  std::string in = utf8(code);
  char out[8], *from = &in[0], *to = out;
  size_t from_left = in.size(), to_left = sizeof out;
  iconv(cd, NULL, NULL, NULL, NULL);
  if (iconv(cd, &from, &from_left, &to, &to_left) != 0) return -1;
  iconv(cd, NULL, NULL, &to, &to_left);
  return to - out == 1 ? (unsigned char)out[0] : -1;
}

}  // namespace

// Single-byte code pages hold characters below U+3000 only.
TEST(CodePages, ConvertAsIconvDoes) {
  for (int i = 0; i < CODE_PAGE_COUNT; i++) {
    const CodePageTable& page = CODE_PAGE_TABLES[i];
    iconv_t cd = iconv_open(page.name, "UTF-8");
    ASSERT_NE((iconv_t)-1, cd) << page.name;
    int mismatches = 0;
    for (uint32_t code = 0; code < 0x3000 && mismatches < 5; code++) {
      if (code >= 0xD800 && code < 0xE000) continue;
      int ours = code_page_byte(page, code), theirs = iconv_byte(cd, code);
      EXPECT_EQ(theirs, ours) << page.name << ": U+" << std::hex << code;
      mismatches += ours != theirs;
    }
    iconv_close(cd);
    EXPECT_EQ(&page, find_code_page(page.name)) << page.name;
  }
}

TEST(CodePages, NamesInAnyCase) {
  static const struct {
    const char* name;
    const char* found;  // NULL: not offered
  } cases[] = {
      {"windows-1252", "windows-1252"},
      {"CP1252", "windows-1252"},
      {"Latin1", "iso-8859-1"},
      {"IBM437", "cp437"},
      {"KOI8-U", "koi8-u"},
      {"windows-1258", NULL},
      {"UTF-8", NULL},
      {"cp1252 ", NULL},
      {"", NULL},
  };
  for (const auto& c : cases) {
    const CodePageTable* page = find_code_page(c.name);
    EXPECT_STREQ(c.found, page ? page->name : NULL) << "'" << c.name << "'";
  }
}

TEST(CodePages, Utf8IsTakenOnlyWhenWellFormed) {
  static const struct {
    std::string text;
    size_t length;  // 0: refused
    uint32_t code;
  } cases[] = {
      {"A", 1, 0x41},
      {"\xC3\xA9", 2, 0xE9},
      {"\xE2\x82\xAC", 3, 0x20AC},
      {"\xF0\x9F\x98\x80", 4, 0x1F600},
      {"\xC0\xA0", 0, 0},          // an overlong space
      {"\xE0\x80\x8A", 0, 0},      // an overlong line feed
      {"\xED\xA0\x80", 0, 0},      // a surrogate
      {"\xF4\x90\x80\x80", 0, 0},  // above U+10FFFF
      {"\xE2\x82", 0, 0},          // cut off
      {"\x80", 0, 0},              // a continuation byte alone
      {"\xC3\x28", 0, 0},          // a lead byte without its continuation
  };
  for (const auto& c : cases) {
    uint32_t code = 0;
    size_t length = utf8_character(c.text, 0, &code);
    EXPECT_EQ(c.length, length) << testing::PrintToString(c.text);
    EXPECT_EQ(c.code, length ? code : 0) << testing::PrintToString(c.text);
  }
}
