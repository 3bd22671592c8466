// A serial line on Linux for one configuration run: opened without taking it as a controlling
// terminal or waiting for carrier, locked against other programs, set to raw 8N1 at the
// run's rate, written within the same time limits as the Windows channel and drained before
// it is closed. Nothing is read from it.
#pragma once

#include <string>

// Opens the serial device <path> for a run at <rate> bit/s (2400 or 9600) and sets the line.
// Returns "" with the open descriptor in <fd>, or why the device cannot be used (it is then
// closed, and a device that is no terminal is not even opened).
std::string serial_line_open(const char* path, unsigned long rate, int* fd);

// Writes every byte of <bytes> and waits until they have left the driver, each within its
// time limit at <rate>. Returns "" when every byte left, else what went wrong.
std::string serial_line_send(int fd, unsigned long rate, const std::string& bytes);

// Closes the line; with <discard>, output still queued is dropped first, since the driver
// would otherwise hold the close for up to 30 s to let it drain. Returns nothing.
void serial_line_close(int fd, bool discard);
