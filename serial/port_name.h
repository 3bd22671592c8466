// Port numbers and line rates as the serial channel accepts them; no platform calls.
#pragma once

#include <string>

// Returns the device name of COM<port>: "COM1" .. "COM9", and from 10 on with the "\\.\"
// prefix that the platform needs for such names ("\\.\COM10"). Returns "" for a port
// outside 1..255, the numbers Windows gives serial ports.
std::string port_device_name(int port);

// Returns true for the rates the channel supports: 1200, 2400, 4800 and 9600 bit/s.
bool rate_supported(int rate);
