#include "cli/glimmerset.h"

#include <string.h>
#include <strings.h>

#include <string>

#include "cli/messages.h"
#include "cli/module_command.h"
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

// Returns true when <path> names this program: "glimmerset", or on Windows
// "C:\...\glimmerset.com" in any case.
bool is_ours(const char* path) {
  const char* base = path;
  for (const char* at = path; *at; at++)
    if (*at == '/' || *at == '\\') base = at + 1;
  size_t length = strcspn(base, ".");
  return length == strlen("glimmerset") && !strncasecmp(base, "glimmerset", length) &&
         (!base[length] || !strcasecmp(base + length, ".com") ||
          !strcasecmp(base + length, ".exe"));
}

// Returns the command as the user typed it: "glimmerset send", or the name of a wrapper that
// runs the program under another name (argv[0]).
std::string command_name(const char* argv0, const char* command) {
  return is_ours(argv0) ? std::string("glimmerset ") + command : std::string(argv0);
}

}  // namespace

int run_glimmerset(int argc, char** argv) {
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
