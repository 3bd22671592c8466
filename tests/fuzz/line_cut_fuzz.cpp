// Fuzz target for the character-safe line cut. The first input byte chooses the code page
// kind, the second the limit; the rest are the line's bytes. The cut must stay within the
// limit, end on a character boundary of the input, and be the longest such prefix. The
// boundaries are worked out here independently of the cut's own rules.
#include <stdint.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "screen/screen_text.h"

// Shift-JIS lead bytes.
static bool shift_jis_lead(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Returns the length of the well-formed UTF-8 sequence at <at>, found by decoding it and
// checking the code point it gives, or 0 when none starts there.
static size_t decoded_length(const std::string& bytes, size_t at) {
  unsigned char lead = bytes[at];
  size_t length = (lead & 0xE0) == 0xC0   ? 2
                  : (lead & 0xF0) == 0xE0 ? 3
                  : (lead & 0xF8) == 0xF0 ? 4
                                          : 0;
  if (length == 0 || at + length > bytes.size()) return 0;
  uint32_t point = lead & (0x7F >> length);
  for (size_t i = 1; i < length; i++) {
    unsigned char byte = bytes[at + i];
    if ((byte & 0xC0) != 0x80) return 0;
    point = point << 6 | (byte & 0x3F);
  }
  static const uint32_t SMALLEST[] = {0, 0, 0x80, 0x800, 0x10000};
  if (point < SMALLEST[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
    return 0;
  return length;
}

// Returns, for each position 0..size, whether a character of the code page starts there
// (the end counts as one).
static std::vector<bool> boundaries(const std::string& bytes, const CodePage& code_page) {
  std::vector<bool> boundary(bytes.size() + 1, true);
  if (code_page.kind == DOUBLE_BYTE_CODE_PAGE) {
    for (size_t at = 0; at < bytes.size(); at++)
      if (code_page.is_lead_byte((unsigned char)bytes[at]) && at + 1 < bytes.size())
        boundary[++at] = false;
  } else if (code_page.kind == UTF8_CODE_PAGE) {
    for (size_t at = 0; at < bytes.size(); at++)
      for (size_t i = 1; i < decoded_length(bytes, at); i++) boundary[at + i] = false;
  }
  return boundary;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static const CodePage KINDS[] = {{SINGLE_BYTE_CODE_PAGE, nullptr},
                                   {DOUBLE_BYTE_CODE_PAGE, shift_jis_lead},
                                   {UTF8_CODE_PAGE, nullptr}};
  const CodePage& code_page = KINDS[data[0] % 3];
  size_t limit = data[1] % 40;
  std::string bytes((const char*)data + 2, size - 2);

  size_t cut = fit_length(bytes, limit, code_page);
  if (cut > limit || cut > bytes.size()) abort();
  std::vector<bool> boundary = boundaries(bytes, code_page);
  if (!boundary[cut]) abort();  // the cut splits a character
  for (size_t end = cut + 1; end <= limit && end <= bytes.size(); end++)
    if (boundary[end]) abort();  // a longer prefix of whole characters fits
  // A padded line is the whole characters that fit in 20 bytes, then spaces.
  size_t kept = fit_length(bytes, SCREEN_WIDTH, code_page);
  std::string padded = PAD_LINE(bytes, code_page);
  if (padded != bytes.substr(0, kept) + std::string(SCREEN_WIDTH - kept, ' ')) abort();
  return 0;
}
