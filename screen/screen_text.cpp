#include "screen/screen_text.h"

const char FORM_FEED = 0x0C;
const std::string STORE_COMMAND = "\x1BX0";

std::string PAD_LINE(const std::string& line) {
  std::string padded = line.substr(0, SCREEN_WIDTH);
  padded.resize(SCREEN_WIDTH, ' ');
  return padded;
}

std::string BUILD_SCREEN_TEXT(const std::string lines[4], bool four_lines) {
  std::string text = PAD_LINE(lines[0]) + PAD_LINE(lines[1]);
  if (four_lines) text += PAD_LINE(lines[2]) + PAD_LINE(lines[3]);
  return text;
}

size_t FIT_LENGTH(const std::string& bytes, size_t limit, bool (*is_lead_byte)(unsigned char)) {
  size_t end = 0;
  while (end < bytes.size()) {
    size_t width = is_lead_byte((unsigned char)bytes[end]) && end + 1 < bytes.size() ? 2 : 1;
    if (end + width > limit) break;
    end += width;
  }
  return end;
}
