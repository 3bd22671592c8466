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

int com_port_number(const std::string& name) {
  std::string com = name.compare(0, 4, "\\\\.\\") == 0 ? name.substr(4) : name;
  if (com.size() < 4 || com.size() > 6 || (com[0] | 0x20) != 'c' || (com[1] | 0x20) != 'o' ||
      (com[2] | 0x20) != 'm' || com[3] == '0')
    return 0;
  int number = 0;
  for (size_t i = 3; i < com.size(); i++) {
    if (com[i] < '0' || com[i] > '9') return 0;
    number = number * 10 + (com[i] - '0');
  }
  return number <= 255 ? number : 0;
}
