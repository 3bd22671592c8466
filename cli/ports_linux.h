// glimmerset ports: the serial devices of a Linux machine, from sysfs and /dev alone. No
// device is opened: opening a serial port raises DTR, which resets some boards.
#pragma once

#include <string>
#include <vector>

#include "cli/port_list.h"

// Returns true with the serial ports that sysfs at <sys_root> ("/sys") lists and that have a
// device file under <dev_root> ("/dev"), sorted, each with its stable names from
// <dev_root>/serial/, its driver and its USB device. Terminals with no hardware (virtual
// consoles, pseudo-terminals) and UART slots with no UART behind them are left out. Returns
// false with the reason in <error> when <sys_root>/class/tty cannot be read.
bool linux_ports(const std::string& sys_root, const std::string& dev_root,
                 std::vector<SerialPort>* ports, std::string* error);

// Runs "ports" with the <argc> words of <argv> that follow it; <name> is the command as the
// user typed it, for messages. Returns the exit status: 0 when the list was printed (an empty
// one too), 1 when sysfs cannot be read, 2 for wrong arguments.
int ports_command(const char* name, int argc, char** argv);
