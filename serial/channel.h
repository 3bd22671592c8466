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

#include <string>

// Hands the whole byte string to the open port in one write, as SER_SEND above.
inline void SER_SEND(const std::string& bytes) { SER_SEND(bytes.data(), bytes.size()); }
