// Bytes as lowercase hex pairs, so that any byte value, 0x00 and line ends included, fits in
// one line of text: in the module's state record and on the pty host's text protocol. And
// numbers in hex for messages, without the printf family, whose formatting code alone is a
// tenth of a program that must stay small on Windows.
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

// Returns true and sets <bytes> when <hex> is lowercase hex pairs; false otherwise.
inline bool bytes_of_hex(const std::string& hex, std::string* bytes) {
  static const std::string digits = "0123456789abcdef";
  if (hex.size() % 2) return false;
  bytes->clear();
  for (size_t i = 0; i < hex.size(); i += 2) {
    size_t high = digits.find(hex[i]), low = digits.find(hex[i + 1]);
    if (high == std::string::npos || low == std::string::npos) return false;
    *bytes += (char)(high * 16 + low);
  }
  return true;
}

// Returns the low <count> hex digits of <value>, uppercase: hex_digits(0xE9, 4) is "00E9".
inline std::string hex_digits(unsigned long value, int count) {
  static const char digits[] = "0123456789ABCDEF";
  std::string hex((size_t)count, '0');
  for (int i = count - 1; i >= 0; i--, value >>= 4) hex[(size_t)i] = digits[value & 15];
  return hex;
}
