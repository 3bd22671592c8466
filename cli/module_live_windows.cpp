// On Windows the module reads captures only: listening on a live line needs a
// pseudo-terminal or a serial device of Linux. The command line refuses live lines here.
#include "cli/module_parts.h"

const bool LIVE_LINES = false;

int live_mode(const ModuleArgs&, const Module&) {
  return module_failed("a live line needs Linux; here the module reads captures (--read)");
}
