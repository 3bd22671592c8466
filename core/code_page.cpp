#include "core/code_page.h"

#include <string.h>
#include <strings.h>

namespace {

// Returns true when <name> is one of the space-separated words of <aliases>, in any case.
bool among(const std::string& name, const char* aliases) {
  for (const char* at = aliases; *at;) {
    size_t length = strcspn(at, " ");
    if (length == name.size() && !strncasecmp(at, name.c_str(), length)) return true;
    at += length + (at[length] == ' ');
  }
  return false;
}

// The lead byte of a sequence of <length> bytes keeps this many bits of the code point.
const unsigned char LEAD_BITS[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
// The smallest code point that needs a sequence of <length> bytes: a smaller one in that
// many bytes is an overlong form, which could hide a control character.
const uint32_t SMALLEST[] = {0, 0, 0x80, 0x800, 0x10000};

// Returns how many bytes the UTF-8 sequence that <lead> begins has, 0 for a byte that
// begins none (a continuation byte, the lead of an overlong pair, or beyond U+10FFFF).
size_t sequence_length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead < 0xC2) return 0;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  return lead < 0xF5 ? 4 : 0;
}

}  // namespace

const CodePageTable* find_code_page(const std::string& name) {
  for (int i = 0; i < CODE_PAGE_COUNT; i++)
    if (!strcasecmp(name.c_str(), CODE_PAGE_TABLES[i].name) ||
        among(name, CODE_PAGE_TABLES[i].aliases))
      return &CODE_PAGE_TABLES[i];
  return NULL;
}

int code_page_byte(const CodePageTable& page, uint32_t character) {
  if (character < 0x80) return (int)character;
  for (int i = 0; i < 128; i++)
    if (page.upper[i] == character && character != CODE_PAGE_NO_CHARACTER) return 0x80 + i;
  return -1;
}

std::string code_page_names() {
  std::string names;
  for (int i = 0; i < CODE_PAGE_COUNT; i++)
    names += (i ? ", " : "") + std::string(CODE_PAGE_TABLES[i].name);
  return names;
}

size_t utf8_character(const std::string& text, size_t at, uint32_t* code) {
  size_t length = sequence_length((unsigned char)text[at]);
  if (length == 0 || at + length > text.size()) return 0;
  uint32_t value = (unsigned char)text[at] & LEAD_BITS[length];
  for (size_t i = 1; i < length; i++) {
    unsigned char next = (unsigned char)text[at + i];
    if ((next & 0xC0) != 0x80) return 0;
    value = value << 6 | (next & 0x3F);
  }
  if (value < SMALLEST[length] || value > 0x10FFFF || (value >= 0xD800 && value < 0xE000)) return 0;
  *code = value;
  return length;
}

bool is_control_character(uint32_t code) { return code < 0x20 || (code >= 0x7F && code < 0xA0); }
