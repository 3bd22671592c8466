// Bytes as lowercase hex pairs, so that any byte value, 0x00 and line ends included, fits in
// one line of text: in the module's state record and on the pty host's text protocol.
#pragma once

#include <string>

// Returns <bytes> as lowercase hex pairs.
inline std::string hex_of(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += digits[c >> 4];
    hex += digits[c & 15];
  }
  return hex;
}
