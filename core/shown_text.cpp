#include "core/shown_text.h"

#include "core/code_page.h"
#include "module/hex.h"

static std::string escaped(const std::string& bytes) {
  std::string text;
  for (unsigned char c : bytes) text += "\\x" + hex_digits(c, 2);
  return text;
}

std::string shown_text(const std::string& text) {
  std::string shown;
  for (size_t at = 0, length; at < text.size(); at += length) {
    uint32_t code = 0;
    length = utf8_character(text, at, &code);
    if (length == 0) {
      shown += escaped(text.substr(at, 1));
      length = 1;
    } else {
      std::string character = text.substr(at, length);
      shown += is_control_character(code) ? escaped(character) : character;
    }
  }
  return shown;
}
