#include "serial/line_state.h"

#include <gtest/gtest.h>

// The state a run needs at 9600 bit/s, with the usual flow-control characters.
static const LineState GOOD = {9600, 8, 0, 0, 0x11, 0x13};

TEST(LineState, FitsOnlyTheRateAndEightNOne) {
  static const struct {
    const char* name;
    LineState state;
    bool fits;
  } cases[] = {
      {"9600 8N1", GOOD, true},
      {"rate kept at 19200", {19200, 8, 0, 0, 0x11, 0x13}, false},
      {"rate 2400 for 9600", {2400, 8, 0, 0, 0x11, 0x13}, false},
      {"7 data bits", {9600, 7, 0, 0, 0x11, 0x13}, false},
      {"even parity", {9600, 8, 2, 0, 0x11, 0x13}, false},
      {"two stop bits", {9600, 8, 0, 2, 0x11, 0x13}, false},
      {"one and a half stop bits", {9600, 8, 0, 1, 0x11, 0x13}, false},
      {"flow characters play no part", {9600, 8, 0, 0, 0, 0}, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.fits, line_state_fits(c.state, 9600)) << c.name << ": fits 9600";
}

TEST(LineState, EqualFlowCharsBecomeTheUsualPair) {
  static const struct {
    unsigned char xon, xoff, want_xon, want_xoff;
  } cases[] = {
      {0, 0, 0x11, 0x13},       {0x13, 0x13, 0x11, 0x13}, {0xFF, 0xFF, 0x11, 0x13},
      {0x11, 0x13, 0x11, 0x13}, {0x01, 0x02, 0x01, 0x02}, {0x13, 0x11, 0x13, 0x11},
  };
  for (const auto& c : cases) {
    LineState state = {2400, 7, 2, 2, c.xon, c.xoff};
    separate_flow_chars(&state);
    EXPECT_EQ(c.want_xon, state.xon) << "xon " << +c.xon << " xoff " << +c.xoff << ": xon";
    EXPECT_EQ(c.want_xoff, state.xoff) << "xon " << +c.xon << " xoff " << +c.xoff << ": xoff";
    EXPECT_EQ(2400u, state.rate) << "xon " << +c.xon << ": other fields kept";
    EXPECT_EQ(7, state.data_bits) << "xon " << +c.xon << ": other fields kept";
    EXPECT_EQ(2, state.parity) << "xon " << +c.xon << ": other fields kept";
    EXPECT_EQ(2, state.stop_bits) << "xon " << +c.xon << ": other fields kept";
  }
}

// A write must have room for twice its wire time (10 bits a byte), yet the longest one,
// the 81-byte screen, must give up well within the 5 s a user waits for an answer.
TEST(LineState, WriteTimeoutsFitTheLine) {
  for (unsigned long rate : {1200ul, 2400ul, 4800ul, 9600ul}) {
    WriteTimeouts t = write_timeouts_for(rate);
    for (unsigned long bytes : {1ul, 2ul, 81ul}) {
      double wire_ms = bytes * 10 * 1000.0 / rate;
      unsigned long limit_ms = t.per_byte_ms * bytes + t.constant_ms;
      EXPECT_GE(limit_ms, 2 * wire_ms) << rate << " bit/s, " << bytes << " bytes: time-out";
      EXPECT_GE(limit_ms, wire_ms + 500) << rate << " bit/s, " << bytes << " bytes: margin";
      if (rate >= 2400) {  // the rates the window offers
        EXPECT_LE(limit_ms, 2000u) << rate << " bit/s, " << bytes << " bytes: time-out";
      }
    }
  }
}
