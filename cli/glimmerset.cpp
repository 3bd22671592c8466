#include "cli/glimmerset.h"

#include <string>

#include "cli/messages.h"
#include "cli/module_command.h"
#include "cli/options.h"
#include "cli/port_list.h"
#include "cli/process.h"
#include "cli/send.h"
#include "core/shown_text.h"

namespace {

const char HELP[] =
    "usage: glimmerset send (--port PORT | --output FILE) [options]\n"
    "       glimmerset module [options]\n"
    "       glimmerset ports [--json]\n"
    "       glimmerset --version\n"
    "\n"
    "Sets the power-up options of a serial vacuum-fluorescent display (20x4 or 20x2).\n"
    "\n"
    "  send      send the start-up screen and the power-up options to the display\n"
    "  module    show what the display module makes of the bytes it is sent\n"
    "  ports     list this machine's serial ports, to find the display's port\n"
    "\n"
    "glimmerset COMMAND --help describes each command.\n";

// The subcommands. Each is named "glimmerset COMMAND" in its messages, whatever the program's
// file is called (a static program handed out as glimmerset-1.1-linux-aarch64, say).
const struct {
  const char* name;
  int (*run)(const char* name, int argc, char** argv);
} COMMANDS[] = {
    {"send", send_command},
    {"module", module_command},
    {"ports", ports_command},
};

}  // namespace

int run_glimmerset(int argc, char** argv) {
  std::string first = argc > 1 ? argv[1] : "";
  if (first == "--help" || first == "-h") return print_or_fail("glimmerset", HELP, 1);
  if (first == "--version" && argc == 2)
    return print_or_fail("glimmerset", "glimmerset " GLIMMERSET_VERSION "\n", 1);
  for (const auto& command : COMMANDS)
    if (first == command.name) {
      std::string name = std::string("glimmerset ") + command.name;
      return command.run(name.c_str(), argc - 2, argv + 2);
    }
  std::string wrong = first.empty()              ? "no command given"
                      : first == "--version"     ? not_taken(argv[2], false)
                      : first.compare(0, 1, "-") ? "unknown command '" + shown_text(first) + "'"
                                                 : not_taken(first, false);
  return fail("glimmerset", wrong + " (see glimmerset --help)", 2);
}
