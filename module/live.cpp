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
  next.cursor = last.cursor;
  next.stored = last.stored;
  next.stored_screen = last.stored_screen;
  next.configured = last.configured;
  next.config = last.config;
  return next;
}

// Returns the view of <run>, the run numbered <number>, under a header that counts its
// bytes and the <received> bytes of the line up to its end.
std::string run_view(const Module& run, int number, uint64_t received, const char* when) {
  uint64_t bytes = run.offset;
  return std::string("== ") + when + "run " + std::to_string(number) + ": " +
         std::to_string(bytes) + (bytes == 1 ? " byte (" : " bytes (") + std::to_string(received) +
         " received in all) ==\n" + words_view(finished_copy(run));
}

void begin_run(LiveModule& live, const Module& last) {
  live.run = next_run(last);
  live.runs++;
  live.run_over = false;
}

}  // namespace

LiveModule live_new(const Module& module) {
  LiveModule live;
  live.run = module;
  return live;
}

std::string live_take(LiveModule& live, const char* bytes, size_t count) {
  std::string ended;
  for (size_t i = 0; i < count; i++) {
    if (live.run_over || live.runs == 0) begin_run(live, live.run);
    bool holding = !live.held.empty() || module_between_runs(live.run);
    if (holding && live.held.empty()) live.before_held = live.run;
    if (holding) live.held += bytes[i];
    int runs = live.run.runs;
    module_feed(live.run, bytes + i, 1);
    live.received++;
    if (holding && live.run.runs != runs) {
      ended += run_view(live.before_held, live.runs, live.received - live.held.size(), "");
      begin_run(live, live.before_held);
      module_feed(live.run, live.held.data(), live.held.size());
    }
    if (!module_between_runs(live.run)) live.held.clear();
  }
  return ended;
}

bool live_settle(LiveModule& live) {
  live.run_over = holds_configuration(finished_copy(live.run));
  return live.run_over;
}

std::string live_run_view(const LiveModule& live) {
  return run_view(live.run, live.runs, live.received, "");
}

std::string live_final_view(const LiveModule& live) {
  if (live.runs == 0) return "== end: nothing received ==\n" + words_view(live.run);
  return run_view(live.run, live.runs, live.received, "end, last ");
}

std::string live_ready_view(const LiveModule& live) {
  return "== power-up: what the module shows and remembers ==\n" + words_view(live.run);
}
