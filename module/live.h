// The display module on a live line. Bytes arrive in bursts, and the module has no way to
// tell where one configuration run ends and the next begins except that the line falls
// quiet after the run's configuration command. Each run is decoded on its own (its
// anomalies are its own), on a module that still shows and remembers what the runs
// before it left there. No platform calls.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

#include "module/model.h"

struct LiveModule {
  Module run;             // the current run, on the module as the runs before left it
  uint64_t received = 0;  // bytes received in all
  int runs = 0;           // runs begun
  bool run_over = false;  // the line fell quiet after the run's configuration command
};

// Returns a live module that powers up as <module> (fresh, or loaded from a state record).
LiveModule live_new(const Module& module);

// Takes the next <count> bytes from the line; the first byte after a run is over begins a
// new run. Returns nothing.
void live_take(LiveModule& live, const char* bytes, size_t count);

// Tells the module that the line has fallen quiet after a burst: once the run holds its
// whole configuration command, the run is over. Returns true when it is.
bool live_settle(LiveModule& live);

// Returns the current run's view in words (as if the stream ended here) under a header line
// that counts its bytes.
std::string live_run_view(const LiveModule& live);

// Returns the view in words of the last run under a header line, or of the module as it
// powered up when nothing has arrived.
std::string live_final_view(const LiveModule& live);

// Returns the view in words of the module as it powers up, under a header line.
std::string live_ready_view(const LiveModule& live);
