#include "config/command.h"

#include <gtest/gtest.h>
#include <limits.h>

TEST(Command, BaudRate) {
  EXPECT_EQ(9600, baud_rate(true, false));
  EXPECT_EQ(2400, baud_rate(false, true));
  EXPECT_EQ(0, baud_rate(false, false));
}

TEST(Command, BrightnessCode) {
  static const struct {
    bool b25, b50, b75, b100;
    int code;
  } cases[] = {
      {true, false, false, false, 0x80},  {false, true, false, false, 0x81},
      {false, false, true, false, 0x82},  {false, false, false, true, 0x83},
      {false, false, false, false, 0x00},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.code, brightness_code(c.b25, c.b50, c.b75, c.b100))
        << "checks 25/50/75/100 = " << c.b25 << c.b50 << c.b75 << c.b100;
}

TEST(Command, StartupFlag) {
  EXPECT_EQ(0x81, startup_flag(true));
  EXPECT_EQ(0x80, startup_flag(false));
}

TEST(Command, DelayByteNeverZero) {
  static const struct {
    int units, byte;
  } cases[] = {
      {0, 0x80},   {-1, 0x80},  {INT_MIN, 0x80}, {1, 0x01},   {60, 0x3C},      {119, 0x77},
      {120, 0x78}, {121, 0x78}, {255, 0x78},     {256, 0x78}, {INT_MAX, 0x78},
  };
  for (const auto& c : cases) EXPECT_EQ(c.byte, delay_byte(c.units)) << "delay " << c.units;
}

// The window's field and the page's both keep what this gives.
TEST(Command, DelayFieldHeldAt120) {
  static const struct {
    const char *text, *held;
  } cases[] = {
      {"", ""},        {"0", "0"},       {"120", "120"},         {"0120", "0120"}, {"121", "120"},
      {" 130", "120"}, {"120.6", "120"}, {"99999999999", "120"}, {"12a", "12a"},   {"-500", "-500"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.held, held_delay_text(c.text)) << "'" << c.text << "'";
}

TEST(Command, ModeFlags) {
  for (int bits = 0; bits < 8; bits++) {
    bool old_mode = bits & 1, protect = bits & 2, no_dim = bits & 4;
    EXPECT_EQ(0x80 + bits, mode_flags(old_mode, protect, no_dim))
        << "old mode " << old_mode << ", write protect " << protect << ", no auto dim " << no_dim;
  }
}
