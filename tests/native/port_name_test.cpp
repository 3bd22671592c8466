#include "serial/port_name.h"

#include <climits>

#include <gtest/gtest.h>

TEST(PortName, DeviceNameByNumber) {
  static const struct {
    int port;
    const char* name;
  } cases[] = {
      {1, "COM1"},
      {9, "COM9"},
      {10, "\\\\.\\COM10"},
      {42, "\\\\.\\COM42"},
      {99, "\\\\.\\COM99"},
      {0, ""},
      {-1, ""},
      {100, "\\\\.\\COM100"},
      {255, "\\\\.\\COM255"},
      {256, ""},
      {INT_MIN, ""},
      {INT_MAX, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.name, port_device_name(c.port)) << "port " << c.port << ": device name";
}

TEST(PortName, RatesSupported) {
  static const struct {
    int rate;
    bool supported;
  } cases[] = {
      {1200, true},   {2400, true},   {4800, true},     {9600, true},
      {0, false},     {300, false},   {1199, false},    {9601, false},
      {19200, false}, {-9600, false}, {INT_MIN, false}, {INT_MAX, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.supported, rate_supported(c.rate)) << "rate " << c.rate << ": supported";
}

TEST(PortName, ComPortNumberAsTyped) {
  static const struct {
    const char* name;
    int number;
  } cases[] = {{"COM1", 1},
               {"com5", 5},
               {"Com255", 255},
               {"\\\\.\\COM10", 10},
               {"\\\\.\\com200", 200},
               {"COM0", 0},
               {"COM256", 0},
               {"COM05", 0},
               {"COM", 0},
               {"COM1a", 0},
               {"LPT1", 0},
               {"/dev/pts/1", 0},
               {"\\\\.\\", 0},
               {"COM-1", 0},
               {"", 0},
               {"COM1000", 0}};
  for (const auto& c : cases) EXPECT_EQ(c.number, com_port_number(c.name)) << "'" << c.name << "'";
}
