#include "module/live.h"

#include "module/views.h"

namespace {

// Returns <run> with the stream ended there, as a view needs it; the run itself goes on.
Module finished_copy(const Module& run) {
  Module copy = run;
  module_finish(copy);
  return copy;
}

// A run whose configuration command is missing or still arriving is not over: the rest
// may follow after a pause (a loaded sender, or a slow line).
bool holds_configuration(const Module& finished) {
  for (const Anomaly& a : finished.anomalies)
    if (a.kind == ANOMALY_NO_CONFIG || a.kind == ANOMALY_CUT_SHORT) return false;
  return true;
}

// Returns a module at the start of a new stream that shows and remembers what <last> does.
Module next_run(const Module& last) {
  Module next = module_new(last.lines);
  next.screen = last.screen;
  next.stored = last.stored;
  next.stored_screen = last.stored_screen;
  next.configured = last.configured;
  next.config = last.config;
  return next;
}

std::string run_header(const LiveModule& live, const char* when) {
  uint64_t bytes = live.run.offset;
  return std::string("== ") + when + "run " + std::to_string(live.runs) + ": " +
         std::to_string(bytes) + (bytes == 1 ? " byte (" : " bytes (") +
         std::to_string(live.received) + " received in all) ==\n";
}

}  // namespace

LiveModule live_new(const Module& module) {
  LiveModule live;
  live.run = module;
  return live;
}

void live_take(LiveModule& live, const char* bytes, size_t count) {
  if (count == 0) return;
  if (live.run_over || live.runs == 0) {
    live.run = next_run(live.run);
    live.runs++;
    live.run_over = false;
  }
  module_feed(live.run, bytes, count);
  live.received += count;
}

bool live_settle(LiveModule& live) {
  live.run_over = holds_configuration(finished_copy(live.run));
  return live.run_over;
}

std::string live_run_view(const LiveModule& live) {
  return run_header(live, "") + words_view(finished_copy(live.run));
}

std::string live_final_view(const LiveModule& live) {
  if (live.runs == 0) return "== end: nothing received ==\n" + words_view(live.run);
  return run_header(live, "end, last ") + words_view(finished_copy(live.run));
}

std::string live_ready_view(const LiveModule& live) {
  return "== power-up: what the module shows and remembers ==\n" + words_view(live.run);
}
