// Port numbers and line rates as the serial channel accepts them.
#include "serial/port_name.h"

// Returns "COM<n>" for 1..9, "\\.\COM<n>" for 10..255 (the platform resolves only COM1
// to COM9 as plain names; higher numbers need the device namespace prefix), "" otherwise.
std::string port_device_name(int port) {
  if (port < 1 || port > 255) return "";
  std::string name = "COM" + std::to_string(port);
  if (port >= 10) name = "\\\\.\\" + name;
  return name;
}

// Returns true for 1200, 2400, 4800 and 9600 bit/s, the rates the display accepts.
bool rate_supported(int rate) {
  return rate == 1200 || rate == 2400 || rate == 4800 || rate == 9600;
}
