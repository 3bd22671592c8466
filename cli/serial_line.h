// The serial line of one configuration run, as every system has it (cli/serial_line*.cpp):
// opened, set, written within the same time limits as the window's channel, drained and
// closed. Nothing is read from it.
#pragma once

#include <string>

// Sends <bytes> on the serial line <port> at <rate> bit/s (2400 or 9600): opens it, sets
// it, writes and waits until the bytes have left, and closes it. Returns "" when every byte
// left as far as the driver can tell, else what went wrong, naming the port.
std::string send_to_line(const char* port, unsigned long rate, const std::string& bytes);

// How a port is named here ("DEVICE", "COMn"), and the help of --port.
extern const char PORT_NAME[];
extern const char PORT_HELP[];

// Returns NULL when <port> may name a serial line here, else what it must be (on Windows
// "COM1" to "COM255"): such a port is a wrong argument, refused before anything is opened.
const char* port_argument_error(const char* port);
