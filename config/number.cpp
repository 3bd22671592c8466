#include "config/number.h"

#include <limits.h>
#include <stdint.h>

// Any magnitude from here on is out of the 32-bit range; stop growing there.
static const uint64_t BEYOND_RANGE = 1ull << 32;

static bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
static bool is_digit(char c) { return c >= '0' && c <= '9'; }

static uint64_t add_digit(uint64_t value, char digit) {
  value = value * 10 + (digit - '0');
  return value < BEYOND_RANGE ? value : BEYOND_RANGE;
}

static int to_int(uint64_t magnitude, bool negative) {
  if (negative) return magnitude > (uint64_t)INT_MAX + 1 ? INT_MIN : (int)-(int64_t)magnitude;
  return magnitude > (uint64_t)INT_MAX ? INT_MAX : (int)magnitude;
}

int read_number(const std::string& text) {
  size_t i = 0, n = text.size();
  while (i < n && is_blank(text[i])) i++;
  bool negative = i < n && text[i] == '-';
  if (i < n && (text[i] == '-' || text[i] == '+')) i++;

  bool any_digit = false;
  uint64_t whole = 0;
  for (; i < n && is_digit(text[i]); i++, any_digit = true) whole = add_digit(whole, text[i]);

  int first_decimal = 0;
  bool more_decimals = false;
  if (i < n && text[i] == '.') {
    size_t first = ++i;
    for (; i < n && is_digit(text[i]); i++, any_digit = true) {
      if (i == first)
        first_decimal = text[i] - '0';
      else
        more_decimals |= text[i] != '0';
    }
  }
  if (!any_digit) return 0;

  bool odd = whole % 2 == 1;
  if (first_decimal > 5 || (first_decimal == 5 && (more_decimals || odd)))
    whole = whole < BEYOND_RANGE ? whole + 1 : BEYOND_RANGE;
  return to_int(whole, negative);
}
