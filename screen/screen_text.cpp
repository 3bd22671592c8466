#include "screen/screen_text.h"

const char FORM_FEED = 0x0C;
const std::string STORE_COMMAND = "\x1BX0";

std::string PAD_LINE(const std::string& line, const CodePage& code_page) {
  std::string padded = line.substr(0, fit_length(line, SCREEN_WIDTH, code_page));
  padded.resize(SCREEN_WIDTH, ' ');
  return padded;
}

std::string build_screen_text(const std::string lines[4], bool four_lines,
                              const CodePage& code_page) {
  std::string text = PAD_LINE(lines[0], code_page) + PAD_LINE(lines[1], code_page);
  if (four_lines) text += PAD_LINE(lines[2], code_page) + PAD_LINE(lines[3], code_page);
  return text;
}

std::string screen_message(const std::string lines[4], bool four_lines, const CodePage& code_page) {
  return FORM_FEED + build_screen_text(lines, four_lines, code_page);
}

// Returns the length of the well-formed UTF-8 sequence at <at>, or 1 when none starts there.
// The second byte's range excludes overlong forms, surrogates and values above U+10FFFF, which
// the platform's conversion turns into replacement characters.
static size_t utf8_length(const std::string& bytes, size_t at) {
  unsigned char lead = bytes[at];
  size_t length = lead < 0xC2 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 1;
  if (length == 1 || at + length > bytes.size()) return 1;
  unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
  unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
  for (size_t i = 1; i < length; i++) {
    unsigned char byte = bytes[at + i];
    if (byte < low || byte > high) return 1;
    low = 0x80;
    high = 0xBF;
  }
  return length;
}

// Returns the length in bytes of the character that starts at <at>.
static size_t character_length(const std::string& bytes, size_t at, const CodePage& code_page) {
  switch (code_page.kind) {
    case DOUBLE_BYTE_CODE_PAGE:
      return code_page.is_lead_byte((unsigned char)bytes[at]) && at + 1 < bytes.size() ? 2 : 1;
    case UTF8_CODE_PAGE:
      return utf8_length(bytes, at);
    default:
      return 1;
  }
}

size_t fit_length(const std::string& bytes, size_t limit, const CodePage& code_page) {
  size_t end = 0;
  while (end < bytes.size()) {
    size_t length = character_length(bytes, end, code_page);
    if (end + length > limit) break;
    end += length;
  }
  return end;
}
