// A serial device of a POSIX system, under send_to_line and glimmerset module --device
// (cli/serial_line.cpp): opened without taking it as a controlling terminal or waiting for
// carrier, locked against other programs, set to raw 8N1 at the run's rate, written within
// the same time limits as the Windows channel and drained before it is closed. Not on
// Windows, whose console program uses the window's serial channel.
#pragma once

#include <string>

// Opens the serial device <path> as it is set: not as a controlling terminal, without
// waiting for carrier, and locked with flock against other programs that lock it too.
// Returns "" with the open descriptor in <fd>, or why the device cannot be used (it is then
// closed, and a device that is no terminal is not even opened).
std::string serial_device_open(const char* path, int* fd);

// Opens the serial device <path> for a run at <rate> bit/s (2400 or 9600) and sets the line.
// Returns "" with the open descriptor in <fd>, or why the device cannot be used (it is then
// closed, and a device that is no terminal is not even opened).
std::string serial_line_open(const char* path, unsigned long rate, int* fd);

// Writes every byte of <bytes> and waits until they have left the driver, each within its
// time limit at <rate>. Returns "" when every byte left as far as the driver can tell,
// else what went wrong.
std::string serial_line_send(int fd, unsigned long rate, const std::string& bytes);

// Returns the cause of a failed call on a serial device from its errno, in the words a
// user acts on ("in use by another program", "the device went away", ...).
std::string device_cause(int error);

// Closes the line; with <discard>, output still queued is dropped first and the close is
// cut short, since the driver would otherwise hold it for up to 30 s to let the output
// drain. Returns nothing.
void serial_line_close(int fd, bool discard);

// The two driver calls that tell whether the output has left: tcdrain and the count of
// bytes queued (TIOCOUTQ). Each returns 0, or -1 with errno. Tests replace them to fail as
// a device that goes away does, since a pseudo-terminal always drains at once.
struct DrainCalls {
  int (*drain)(int fd);
  int (*queued)(int fd, int* count);
};
extern DrainCalls g_drain_calls;
