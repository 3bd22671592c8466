#include "config/number.h"

#include <gtest/gtest.h>
#include <limits.h>

#include <string>

struct NumberCase {
  std::string text;
  int expected;
};

static void expect_numbers(const NumberCase* cases, size_t count) {
  for (size_t i = 0; i < count; i++)
    EXPECT_EQ(cases[i].expected, read_number(cases[i].text)) << "text \"" << cases[i].text << "\"";
}

TEST(ReadNumber, DigitsAndBlanks) {
  static const NumberCase cases[] = {
      {"0", 0},     {"1", 1},          {"99", 99},
      {"120", 120}, {"007", 7},        {"0000000000000000000042", 42},
      {" 5", 5},    {"\t\r\n 12", 12}, {"", 0},
      {"   ", 0},   {"\v5", 0},        {"5 6", 5},
  };
  expect_numbers(cases, sizeof cases / sizeof *cases);
}

TEST(ReadNumber, SignsAndJunk) {
  static const NumberCase cases[] = {
      {"-5", -5},          {"+5", 5},     {"-", 0},     {"+", 0},    {"--5", 0}, {"- 5", 0},
      {" -12x", -12},      {"12abc", 12}, {"abc12", 0}, {"0x10", 0}, {"1e3", 1}, {"1,5", 1},
      {"\xE2\x82\xAC", 0},
  };
  expect_numbers(cases, sizeof cases / sizeof *cases);
}

TEST(ReadNumber, FractionsRoundHalfToEven) {
  static const NumberCase cases[] = {
      {"0.5", 0},      {"1.5", 2},     {"2.5", 2},  {"3.5", 4},     {"2.50000", 2},
      {"2.500001", 3}, {"2.49999", 2}, {"2.6", 3},  {"120.4", 120}, {"120.5", 120},
      {"121.5", 122},  {".5", 0},      {".6", 1},   {"5.", 5},      {".", 0},
      {"-2.5", -2},    {"-3.5", -4},   {"-0.4", 0}, {"1.5.5", 2},
  };
  expect_numbers(cases, sizeof cases / sizeof *cases);
}

TEST(ReadNumber, HugeValuesSaturateInsteadOfWrapping) {
  static const NumberCase cases[] = {
      {"2147483647", INT_MAX},
      {"2147483648", INT_MAX},
      {"4294967297", INT_MAX},  // would wrap to 1 in 32 bits
      {"4294967296", INT_MAX},
      {"18446744073709551617", INT_MAX},  // would wrap to 1 in 64 bits
      {"2147483646.5", 2147483646},
      {"2147483647.5", INT_MAX},
      {"-2147483648", INT_MIN},
      {"-2147483649", INT_MIN},
      {"-4294967297", INT_MIN},
      {std::string(10000, '9'), INT_MAX},
      {std::string(10000, '0') + "7", 7},
      {"1." + std::string(10000, '0') + "1", 1},
  };
  expect_numbers(cases, sizeof cases / sizeof *cases);
}
