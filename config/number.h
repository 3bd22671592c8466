// Reading the number that a text box holds; no platform calls.
#pragma once

#include <string>

// Returns the number that starts <text>, after leading blanks (space, tab, CR, LF): an
// optional sign, decimal digits and an optional decimal fraction, rounded to the nearest
// integer with a half going to the even neighbour. Whatever follows the number ends it.
// Returns 0 when the text holds no number. A value beyond the 32-bit range returns
// INT_MAX or INT_MIN, so it stays above (or below) every limit instead of wrapping.
int read_number(const std::string& text);
