// The module's 5x7 dot characters for printable ASCII, and the colours of its glass. No
// platform calls.
#pragma once

enum { GLYPH_COLUMNS = 5, GLYPH_ROWS = 7 };

struct Rgb {
  unsigned char r, g, b;
};
const Rgb GLASS = {10, 14, 16};
const Rgb DARK_DOT = {22, 32, 34};
const Rgb LIT_DOT = {120, 255, 225};  // the blue-green of a vacuum-fluorescent phosphor

// Returns the five columns of the character <c>, bit 0 the top row. Bytes outside 0x20..0x7E
// get a hollow box: the module's own characters there are unknown to us.
const unsigned char* glyph(unsigned char c);
