// The serial channel: one port at a time, opened by number with fixed line settings
// (the rate asked for, 8 data bits, no parity, one stop bit), written with counted byte
// strings and closed again. Nothing is ever read from the line.
#pragma once

#include <stddef.h>

extern "C" {

// Opens COM<port> (1..99) at <rate> (1200, 2400, 4800 or 9600 bit/s), applies the line
// settings and limits how long a write may block. Returns 1 when the port is open, 0 when
// no port was opened: the number or the rate is out of range, the port cannot be opened,
// it is a disk file, its line does not take the settings (or it has none), or a port is
// already open (that port stays open as it is).
int SER_OPEN(int port, int rate);

// Hands <count> bytes to the open port in one synchronous write; nothing happens when no
// port is open. A failed, short or timed-out write drops the rest of the bytes and is
// remembered for SER_WRITE_FAILED; every later send until the next open is dropped
// unwritten. Returns nothing.
void SER_SEND(const char* bytes, size_t count);

// Puts back the open port's time-outs as found and releases it, if any. Returns 1 in
// every case. Also exported by the executable.
int SER_CLOSE(void);
}

// Returns 1 when a write since the last successful SER_OPEN failed or took fewer bytes
// than it was given, otherwise 0.
int SER_WRITE_FAILED(void);

// Opens COM<port> as SER_OPEN does, for any number Windows gives a port (1..255), not only
// the window's 1..99. Returns 1 when the port is open, else 0 (see SER_OPEN_FAILURE).
int SER_OPEN_PORT(int port, int rate);

// Why the last SER_OPEN or SER_OPEN_PORT gave 0.
enum OpenFailure {
  OPEN_DONE,             // it gave 1
  OPEN_OUT_OF_RANGE,     // the number or the rate
  OPEN_ALREADY_OPEN,     // the channel holds a port
  OPEN_DEVICE_REFUSED,   // the device cannot be opened: SER_OPEN_ERROR() tells why
  OPEN_DISK_FILE,        // the name leads to a file
  OPEN_LINE_REFUSED,     // the line does not take the settings, or has none
  OPEN_TIMEOUTS_REFUSED  // the port takes no write time-outs
};
OpenFailure SER_OPEN_FAILURE(void);

// Returns the platform's error code of the last open or write that failed, 0 for none (a
// write that timed out or was short has none).
unsigned long SER_LAST_ERROR(void);

// Waits until the port has sent every byte handed to it since the open: the driver's
// output queue is empty. A program that reports success to a script must not report it
// while the bytes still wait. Bounded by the write time-outs for those bytes. Returns 1
// when the queue is empty, 0 when it did not empty in time, the port cannot tell, a write
// failed or SER_ABORT was called; nothing is open counts as empty.
int SER_DRAIN(void);

// Makes the run end at once, from any thread (a console's Ctrl+C handler): the port's
// output is purged, a write that waits returns, and later sends and SER_DRAIN fail.
// Returns nothing.
void SER_ABORT(void);

#include <string>

// Hands the whole byte string to the open port in one write, as SER_SEND above.
inline void SER_SEND(const std::string& bytes) { SER_SEND(bytes.data(), bytes.size()); }
