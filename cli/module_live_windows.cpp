// On Windows the module reads captures only: listening on a live line needs a
// pseudo-terminal or a serial device of Linux, and the command line refuses one here.
#include "cli/module_parts.h"

int (*const LIVE_MODE)(const ModuleArgs&, const Module&) = NULL;
