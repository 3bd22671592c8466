#include "core/line_text.h"

#include <stdint.h>

#include <vector>

#include "core/shown_text.h"
#include "module/hex.h"
#include "screen/screen_text.h"

namespace {

// Returns "U+00E9": at least four hex digits, as many as the code point needs.
std::string code_point(uint32_t code) {
  int digits = 4;
  while (code >> (4 * digits)) digits++;
  return "U+" + hex_digits(code, digits);
}

// Combining marks follow the letter they belong to. A code page that lacks the mark mostly
// has the letter with the mark as one character, which the user can type instead.
bool is_combining(uint32_t code) {
  static const uint32_t RANGES[][2] = {
      {0x0300, 0x036F}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x20D0, 0x20FF}, {0xFE20, 0xFE2F}};
  for (const auto& range : RANGES)
    if (code >= range[0] && code <= range[1]) return true;
  return false;
}

// Returns why the character <code>, the <length> bytes at <at> of <text>, is not sent in
// <page>; <base> is the character before it, or "".
std::string missing(const std::string& text, size_t at, size_t length, uint32_t code,
                    const std::string& base, const char* page) {
  std::string character = text.substr(at, length);
  if (!is_combining(code))
    return "\"" + character + "\" (" + code_point(code) + ") is not in " + page;
  if (base.empty()) return "the combining mark " + code_point(code) + " follows no letter";
  return "\"" + base + character + "\" (\"" + base + "\" and the combining mark " +
         code_point(code) + ") is not in " + page +
         "; type the letter with its mark as one character";
}

}  // namespace

const CodePageTable* line_code_page(const std::string& name, std::string* error) {
  const CodePageTable* page = find_code_page(name);
  if (!page) *error = "not one of the code pages offered";
  return page;
}

std::string line_bytes(const std::string& text, const CodePageTable& page, std::string* bytes) {
  bytes->clear();
  std::string base, beyond;  // the character before; the first that does not fit
  for (size_t at = 0, length; at < text.size(); at += length) {
    uint32_t code = 0;
    length = utf8_character(text, at, &code);
    if (length == 0)
      return "not valid UTF-8 text (byte " + shown_text(text.substr(at, 1)) + " at " +
             std::to_string(at + 1) + ")";
    if (is_control_character(code)) return "control character " + code_point(code);
    int byte = code_page_byte(page, code);
    if (byte < 0) return missing(text, at, length, code, base, page.name);
    if (bytes->size() == SCREEN_WIDTH && beyond.empty()) beyond = text.substr(at, length);
    *bytes += (char)byte;
    base = text.substr(at, length);
  }
  if (beyond.empty()) return "";
  return std::to_string(bytes->size()) + " bytes in " + page.name + ", more than the " +
         std::to_string(SCREEN_WIDTH) + " of a line (\"" + beyond +
         "\" is the first character that does not fit)";
}

std::string line_cut(const std::string& text, const CodePageTable& page) {
  std::string bytes;
  std::vector<size_t> ends;  // where in <text> each character of <bytes> ends
  for (size_t at = 0, length; at < text.size(); at += length) {
    uint32_t code = 0;
    length = utf8_character(text, at, &code);
    if (length == 0) length = 1;
    int byte = code_page_byte(page, code);
    bytes += byte < 0 ? '?' : (char)byte;
    ends.push_back(at + length);
  }
  size_t kept = fit_length(bytes, SCREEN_WIDTH, {SINGLE_BYTE_CODE_PAGE, NULL});
  return text.substr(0, kept ? ends[kept - 1] : 0);
}
