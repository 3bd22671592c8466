// Feeds any text to the number reader and checks its answer against the number that the
// text spells out: the nearest integer (a half going to the even one), held at the 32-bit
// limits. The expected value is worked out from the whole digit strings, so a long
// fraction or a long run of digits cannot hide a wrong rounding or a wrap-around.
#include <limits.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>

#include "config/number.h"

namespace {

struct Spelled {
  bool negative = false;
  std::string whole;     // the digits before the point, leading zeros dropped
  std::string fraction;  // the digits after it
  bool any_digit = false;
};

// Returns the number at the start of <text>, after blanks: sign, digits, point, digits.
Spelled spelled(const std::string& text) {
  Spelled s;
  size_t i = text.find_first_not_of(" \t\r\n");
  if (i == std::string::npos) return s;
  if (text[i] == '-' || text[i] == '+') s.negative = text[i++] == '-';
  size_t end = std::min(text.find_first_not_of("0123456789", i), text.size());
  s.whole = text.substr(i, end - i);
  s.any_digit = !s.whole.empty();
  if (end < text.size() && text[end] == '.') {
    size_t stop = std::min(text.find_first_not_of("0123456789", end + 1), text.size());
    s.fraction = text.substr(end + 1, stop - end - 1);
    s.any_digit |= !s.fraction.empty();
  }
  s.whole.erase(0, std::min(s.whole.find_first_not_of('0'), s.whole.size()));
  return s;
}

// Returns -1, 0 or 1 as 0.<fraction> is below, at or above one half.
int versus_half(const std::string& fraction) {
  std::string digits = fraction;
  digits.erase(std::min(digits.find_last_not_of('0') + 1, digits.size()));
  if (digits.empty() || digits < "5") return -1;
  return digits == "5" ? 0 : 1;
}

// Returns what the reader must answer for <text>.
int64_t expected(const std::string& text) {
  Spelled s = spelled(text);
  if (!s.any_digit) return 0;
  // Eighteen digits and more lie far beyond the 32-bit range, and still fit 64 bits below.
  if (s.whole.size() >= 18) return s.negative ? INT_MIN : INT_MAX;
  int64_t whole = s.whole.empty() ? 0 : std::stoll(s.whole);
  int half = versus_half(s.fraction);
  int64_t magnitude = half > 0 || (half == 0 && whole % 2 == 1) ? whole + 1 : whole;
  return s.negative ? std::max<int64_t>(-magnitude, INT_MIN)
                    : std::min<int64_t>(magnitude, INT_MAX);
}

void check(bool ok, const char* what, const std::string& text, int64_t want, int got) {
  if (ok) return;
  fprintf(stderr, "%s: text \"%s\" (%zu bytes): expected %lld, got %d\n", what, text.c_str(),
          text.size(), (long long)want, got);
  abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text((const char*)data, size);
  int got = read_number(text);
  int64_t want = expected(text);
  check(got == want, "value", text, want, got);
  // Blanks before the number and anything after it that cannot continue it change nothing.
  check(read_number(" \t" + text) == got, "after leading blanks", text, got,
        read_number(" \t" + text));
  check(read_number(text + "x") == got, "with a letter after it", text, got,
        read_number(text + "x"));
  return 0;
}
