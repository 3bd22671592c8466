// Client for the pseudo-terminal host (tools/ptyhost) that the Windows test environment
// runs beside Wine. Every COM number 1..255 of the test prefix is a link that the host
// points at a pty, an unopenable folder, /dev/full, /dev/null or a plain file; these
// functions tell it what to do and read back what the program under test did to the port.
//
// The host's TCP port comes from the environment variable GLIMMERSET_PTYHOST_PORT, which
// `tools/winenv exec` sets. The connection is made on first use and kept for the process.
// A command the host refuses, or a host that cannot be reached, fails the running
// GoogleTest test (ADD_FAILURE with the command and the answer) and the function returns
// an empty or default result; nothing throws or aborts.
//
// Typical use:
//     pty_fresh(3);                      // COM3 is now a fresh raw pty
//     SER_OPEN(3, 9600); SER_SEND("\x1b@", 2);
//     EXPECT_EQ(std::string("\x1b@"), pty_bytes(3));
#pragma once

#include <string>
#include <vector>

#include "module/hex.h"

// Sends one command line (see tools/ptyhost/ptyhost.cpp) and returns the host's reply
// line without its line end: "OK ..." or "ERR <reason>". Returns "" and fails the test
// when the host cannot be reached.
std::string ptyhost(const std::string& command);

// Points COM<port> at a fresh raw pty, dropping whatever it had. With speed != 0 the pty
// is first set to that speed (e.g. 19200), two stop bits when stopbits == 2, RTS/CTS flow
// control when crtscts, XON/XOFF (IXON and IXOFF) when ixon. Returns true on success.
bool pty_fresh(int port, int speed = 0, int stopbits = 1, bool crtscts = false, bool ixon = false);

// Returns the raw bytes written to COM<port>'s pty since pty_fresh or the last pty_bytes,
// after the line has been quiet for about 100 ms. Returns "" on failure.
std::string pty_bytes(int port);

// Returns the bytes written to COM<port>'s pty, as pty_bytes does, once at least <count> of
// them have reached the far side or a bound far beyond what that takes has passed. A drain
// of a pty ends at once, whatever the far side has read, and a purge then takes back what it
// has not: a test that aborts after a drain waits for the bytes first.
std::string pty_bytes_of(int port, size_t count);

// Returns what a 20x4 display module makes of the bytes written to COM<port>'s pty since
// pty_fresh or the last pty_view (pty_bytes does not take them away), after the line has
// been quiet for about 100 ms: one line of JSON with the keys screen, stored_screen, config
// and anomalies. Returns "" on failure.
std::string pty_view(int port);

// Line settings of a pty as its slave side reports them (tcgetattr).
struct PtyAttr {
  bool valid;    // false when the host could not answer
  long speed;    // bit/s, e.g. 9600
  int csize;     // data bits, 5..8
  bool parenb;   // parity generation on
  bool cstopb;   // two stop bits
  bool crtscts;  // RTS/CTS flow control
  bool ixon;     // XON/XOFF on output
  bool ixoff;    // XON/XOFF on input
  int vstart;    // XON character
  int vstop;     // XOFF character
};

// Returns the line settings of COM<port>'s pty; .valid is false on failure.
PtyAttr pty_attr(int port);

// Stops reading COM<port>'s pty until the next pty_bytes: once its buffer (a few
// kilobytes) is full, a write to the port blocks. Returns nothing.
void pty_stall(int port);

// Stops reading COM<port>'s pty and fills it until nothing more fits, as a device that
// holds the line off; the filler never shows in pty_bytes. Returns the filler's size.
long pty_fill(int port);

// Makes COM<port>'s pty take bytes at <bytes_per_second> until the next pty_bytes: a
// writer waits while the line is busy with what it sent before. Returns nothing.
void pty_pace(int port, int bytes_per_second);

// Sets the XON (start) and XOFF (stop) characters of COM<port>'s pty. Returns nothing.
void pty_flow_chars(int port, int start, int stop);

// Closes the master of COM<port>'s pty, as if the device went away: later writes fail.
// Returns nothing.
void pty_gone(int port);

// Points COM<port> at a folder: opening it fails with access denied, as for a port that
// another program holds. Returns nothing.
void port_held(int port);

// Points COM<port> at /dev/full: it opens, its line settings cannot be read, and every
// write fails. Returns nothing.
void port_full(int port);

// Points COM<port> at /dev/null: it opens, but it is no terminal and has no line
// settings. Returns nothing.
void port_null(int port);

// Points COM<port> at a new plain file holding "untouched\n". Returns nothing.
void port_file(int port);

// Returns the current bytes of the plain file behind COM<port> (see port_file), or "".
std::string file_content(int port);

// Returns what "glimmerset send --output - <args>" writes, run by the host (the Linux program
// beside it); "" and a failed test when it does not end with exit status 0.
std::string glimmerset_send(const std::vector<std::string>& args);
