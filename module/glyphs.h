// The module's 5x7 dot characters for printable ASCII. No platform calls.
#pragma once

enum { GLYPH_COLUMNS = 5, GLYPH_ROWS = 7 };

// Returns the five columns of the character <c>, bit 0 the top row. Bytes outside 0x20..0x7E
// get a hollow box: the module's own characters there are unknown to us.
const unsigned char* glyph(unsigned char c);
