// The display module on a live line. Bytes arrive in bursts. A configuration run ends with
// its configuration command; the next run begins where the line falls quiet after it, or at
// once with the next screen message or configuration command (a sender that configures
// one module after the other without a pause). Each run is decoded on its own (its
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
  // The bytes after a whole run that may begin the next one (an ESC waiting for its "W"),
  // and the run as it was before them.
  std::string held;
  Module before_held;
};

// Returns a live module that powers up as <module> (fresh, or loaded from a state record).
LiveModule live_new(const Module& module);

// Takes the next <count> bytes from the line; the first byte after a run is over begins a
// new run. Returns the views in words of the runs that these bytes ended by beginning the
// next one, each under its header line ("" for none).
std::string live_take(LiveModule& live, const char* bytes, size_t count);

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
