#include "cli/line_text.h"

#include <errno.h>
#include <stdint.h>
#include <stdio.h>

#include "screen/screen_text.h"

namespace {

// Converts all of <in> with <cd> into <out>. Returns false when a character cannot be
// converted or is cut off.
bool convert(iconv_t cd, const std::string& in, std::string* out) {
  char buffer[64];
  char* from = const_cast<char*>(in.data());
  size_t from_left = in.size();
  out->clear();
  iconv(cd, NULL, NULL, NULL, NULL);
  while (from_left > 0) {
    char* to = buffer;
    size_t to_left = sizeof buffer;
    size_t done = iconv(cd, &from, &from_left, &to, &to_left);
    out->append(buffer, (size_t)(to - buffer));
    if (done == (size_t)-1 && errno != E2BIG) return false;
  }
  return true;
}

// Returns the length of the UTF-8 character that starts <text> at <at>, with its code point
// in <code>; 0 when no well-formed character starts there.
size_t next_character(const std::string& text, size_t at, uint32_t* code) {
  static iconv_t to_utf32 = iconv_open("UTF-32LE", "UTF-8");
  char* from = const_cast<char*>(text.data() + at);
  size_t from_left = text.size() - at;
  unsigned char out[4];
  char* to = (char*)out;
  size_t to_left = sizeof out;
  iconv(to_utf32, NULL, NULL, NULL, NULL);
  iconv(to_utf32, &from, &from_left, &to, &to_left);  // stops after one character
  if (to_left != 0) return 0;
  *code = out[0] | out[1] << 8 | out[2] << 16 | (uint32_t)out[3] << 24;
  return text.size() - at - from_left;
}

std::string code_point(uint32_t code) {
  char text[16];
  snprintf(text, sizeof text, "U+%04X", (unsigned)code);
  return text;
}

bool is_control(uint32_t code) { return code < 0x20 || (code >= 0x7F && code < 0xA0); }

}  // namespace

std::string line_converter_open(const char* code_page, LineConverter* converter) {
  converter->code_page = code_page;
  converter->to_code_page = iconv_open(code_page, "UTF-8");
  if (converter->to_code_page == (iconv_t)-1) return "the system knows no such code page";
  std::string ascii, converted;
  for (char c = 0x20; c < 0x7F; c++) ascii += c;
  if (!convert(converter->to_code_page, ascii, &converted) || converted != ascii) {
    iconv_close(converter->to_code_page);
    return "not a code page that keeps ASCII as single bytes";
  }
  return "";
}

void line_converter_close(LineConverter* converter) { iconv_close(converter->to_code_page); }

std::string line_bytes(const std::string& text, LineConverter& converter, std::string* bytes) {
  bytes->clear();
  std::string beyond;  // the first character that does not fit in the line
  for (size_t at = 0, length; at < text.size(); at += length) {
    uint32_t code = 0;
    length = next_character(text, at, &code);
    if (length == 0) return "not valid UTF-8 text (at byte " + std::to_string(at + 1) + ")";
    std::string character = text.substr(at, length), converted;
    if (is_control(code)) return "control character " + code_point(code);
    if (!convert(converter.to_code_page, character, &converted))
      return "\"" + character + "\" (" + code_point(code) + ") is not in " + converter.code_page;
    if (bytes->size() + converted.size() > SCREEN_WIDTH && beyond.empty()) beyond = character;
    *bytes += converted;
  }
  if (beyond.empty()) return "";
  return std::to_string(bytes->size()) + " bytes in " + converter.code_page + ", more than the " +
         std::to_string(SCREEN_WIDTH) + " of a line (\"" + beyond +
         "\" is the first character that does not fit)";
}
