// What the serial channel decides about a port's line state and write time-outs; no
// platform calls, so that the decisions are tested on any host.
#pragma once

#include <stddef.h>

// The fields of a port's line state that the channel sets or checks, in the platform's
// own encoding.
struct LineState {
  unsigned long rate;  // bit/s
  int data_bits;       // 5..8
  int parity;          // 0 none, 1 odd, 2 even, 3 mark, 4 space
  int stop_bits;       // 0 one, 1 one and a half, 2 two
  unsigned char xon;   // character that resumes output under XON/XOFF flow control
  unsigned char xoff;  // character that pauses it
};

// Gives equal XON and XOFF characters the usual 0x11 and 0x13, leaving every other field
// alone. Returns nothing.
void separate_flow_chars(LineState* state);

// Returns true when <state>, read back from the port, carries <rate> with 8 data bits, no
// parity and one stop bit: the only frame the display understands.
bool line_state_fits(const LineState& state, unsigned long rate);

// Write time-outs of a port, as the platform takes them: a write may last
// per_byte_ms * bytes + constant_ms.
struct WriteTimeouts {
  unsigned long per_byte_ms;
  unsigned long constant_ms;
};

// Returns the write time-outs for a line at <rate> bit/s (above 0).
WriteTimeouts write_timeouts_for(unsigned long rate);

// Returns how long <count> bytes at <rate> bit/s may take to leave, in milliseconds, by the
// write time-outs above.
long long write_limit_ms(unsigned long rate, size_t count);
