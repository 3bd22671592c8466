// glimmerset: the display's power-up configuration from a Linux shell (send), and the model of
// the display module (module).
#include <string.h>

#include <string>

#include "cli/messages.h"
#include "cli/module_command.h"
#include "cli/ports_linux.h"
#include "cli/process.h"
#include "cli/send.h"

namespace {

const char HELP[] =
    "usage: glimmerset send (--port DEVICE | --output FILE) [options]\n"
    "       glimmerset module [options]\n"
    "       glimmerset ports [--json]\n"
    "       glimmerset --version\n"
    "\n"
    "Sets the power-up options of a serial vacuum-fluorescent display (20x4 or 20x2).\n"
    "\n"
    "  send      send the start-up screen and the power-up options to the display\n"
    "  module    show what the display module makes of the bytes it is sent\n"
    "  ports     list this machine's serial devices, to find the display's port\n"
    "\n"
    "glimmerset COMMAND --help describes each command; man glimmerset has examples.\n";

// Returns the command as the user typed it: "glimmerset send", or the name of a wrapper that
// runs the program under another name (argv[0]).
std::string command_name(const char* argv0, const char* command) {
  const char* base = strrchr(argv0, '/');
  bool ours = !strcmp(base ? base + 1 : argv0, "glimmerset");
  return ours ? std::string("glimmerset ") + command : std::string(argv0);
}

}  // namespace

int main(int argc, char** argv) {
  catch_stop_signals();
  std::string first = argc > 1 ? argv[1] : "";
  if (first == "--help" || first == "-h") return print_or_fail("glimmerset", HELP, 1);
  if (first == "--version")
    return print_or_fail("glimmerset", "glimmerset " GLIMMERSET_VERSION "\n", 1);
  if (first == "send" || first == "module" || first == "ports") {
    std::string name = command_name(argv[0], argv[1]);
    int (*command)(const char*, int, char**) = first == "send"     ? send_command
                                               : first == "module" ? module_command
                                                                   : ports_command;
    return command(name.c_str(), argc - 2, argv + 2);
  }
  return fail("glimmerset",
              first.empty() ? "no command given (see glimmerset --help)"
                            : "unknown command '" + shown_text(first) + "' (see glimmerset --help)",
              2);
}
