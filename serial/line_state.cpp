#include "serial/line_state.h"

void separate_flow_chars(LineState* state) {
  // Some USB serial drivers report both characters as 0, and the platform then refuses
  // the whole state on every later step. Equal characters can only work with XON/XOFF
  // off, where the usual pair changes nothing.
  if (state->xon != state->xoff) return;
  state->xon = 0x11;
  state->xoff = 0x13;
}

bool line_state_fits(const LineState& state, unsigned long rate) {
  return state.rate == rate && state.data_bits == 8 && state.parity == 0 && state.stop_bits == 0;
}

WriteTimeouts write_timeouts_for(unsigned long rate) {
  // A byte takes 10 bits on the wire (start, 8 data, stop). A write may last twice its
  // wire time, rounded up to whole milliseconds a byte, plus one second for adapter and
  // driver latency and a busy machine. The longest write, the 81-byte screen at 2400
  // bit/s, needs 0.34 s on the wire and may take 1.73 s before it counts as failed.
  WriteTimeouts timeouts = {(2 * 10 * 1000 + rate - 1) / rate, 1000};
  return timeouts;
}

long long write_limit_ms(unsigned long rate, size_t count) {
  WriteTimeouts limits = write_timeouts_for(rate);
  return (long long)limits.per_byte_ms * (long long)count + (long long)limits.constant_ms;
}
