#include "cli/module_command.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "cli/files.h"
#include "cli/messages.h"
#include "cli/module_parts.h"
#include "cli/options.h"
#include "cli/process.h"
#include "module/picture.h"
#include "module/state.h"
#include "module/views.h"

namespace {

const char HELP[] =
    "A model of the display module: shows what it would show and remember of the bytes a\n"
    "configuration run sends, and every byte such a run would not send.\n"
    "\n"
    "  --read FILE|-     decode a captured stream (- for standard input)\n"
    "  --json            the view as one JSON object instead of words (with --read)\n"
    "  --lines 4|2       a 20x4 (default) or a 20x2 module\n"
    "  --png FILE        a picture of the module's glass at power-up\n"
    "  --state FILE      what the module remembers, kept in FILE from one run to the next\n";

const char LIVE_HELP[] =
    "  --link PATH       listen on a fresh pseudo-terminal, linked at PATH\n"
    "  --device DEV      listen on the serial device DEV, raw, at the speed it is set to\n"
    "  --hex             print the bytes that arrive, in hex and as text\n"
    "  --capture FILE    append every byte that arrives on the live line to FILE, raw\n"
    "  -h, --help        this text\n"
    "\n"
    "Without --read it listens on a live line (a fresh pseudo-terminal, whose path it\n"
    "prints, unless --device) and shows the view once for every configuration run, until\n"
    "Ctrl+C. A run ends with its configuration command; the next begins where the line falls\n"
    "quiet after it, or at once with the next screen message or configuration command. Bytes\n"
    "that bring no configuration command are shown once the line has been quiet for a\n"
    "second.\n"
    "\n"
    "Exit status of --read: 0 when the stream is exactly what configuration runs send, 1 when\n"
    "it holds anomalies, 2 when a file cannot be read or written or the arguments are wrong.\n"
    "A live line ends by the signal that ends it (Ctrl+C, SIGTERM, SIGHUP; the link is\n"
    "removed and the state file kept whole), with 1 when the line or device cannot be used\n"
    "or goes away, and with 2 as for --read.\n";

const char READ_ONLY_HELP[] =
    "  -h, --help        this text\n"
    "\n"
    "Here the module reads captures only: a live line needs Linux.\n"
    "\n"
    "Exit status: 0 when the stream is exactly what configuration runs send, 1 when it holds\n"
    "anomalies, 2 when a file cannot be read or written or the arguments are wrong.\n";

// Returns the help of the command <name>.
std::string help_text(const char* name) {
  std::string n = name,
              usage = "usage: " + n +
                      " [--lines 4|2] [--json] [--png FILE] [--state FILE] --read FILE|-\n";
  if (!LIVE_MODE) return usage + "\n" + HELP + READ_ONLY_HELP;
  return usage + "       " + n +
         " [--lines 4|2] [--png FILE] [--state FILE] [--link PATH | --device DEV]\n" + "       " +
         n + " --hex [--link PATH | --device DEV]\n" +
         "       (live lines also take --capture FILE)\n\n" + HELP + LIVE_HELP;
}

// The command as the user typed it, for messages.
const char* s_name = "glimmerset module";

const char* set_lines(ModuleArgs* a, const char* v) {
  if (strcmp(v, "4") && strcmp(v, "2")) return "must be 4 or 2";
  a->lines = v[0] - '0';
  return NULL;
}

const Option<ModuleArgs> OPTIONS[] = {
    {"--lines", true, set_lines},
    {"--json", false, set_flag<&ModuleArgs::json>},
    {"--hex", false, set_flag<&ModuleArgs::hex>},
    {"--png", true, set_text<&ModuleArgs::png>},
    {"--state", true, set_text<&ModuleArgs::state>},
    {"--read", true, set_text<&ModuleArgs::read>},
    {"--link", true, set_text<&ModuleArgs::link>},
    {"--device", true, set_text<&ModuleArgs::device>},
    {"--capture", true, set_text<&ModuleArgs::capture>},
};

// Returns the error for options that do not go together, or "".
std::string conflict(const ModuleArgs& args) {
  bool live = args.hex || args.link || args.device || args.capture;
  if (!LIVE_MODE && (live || !args.read))
    return "here the module reads captures only (--read FILE|-): a live line needs Linux";
  if (args.read && live)
    return "--read decodes a file; --hex, --link, --device and --capture are for a live line";
  if (!args.read && args.json) return "--json is for --read; a live line is shown in words";
  if (args.link && args.device) return "--link and --device exclude each other";
  if (args.hex && (args.png || args.state)) return "--hex shows the bytes only: no --png, --state";
  return "";
}

// Feeds the stream to the module in the chunks that reading yields. Returns false when the
// stream cannot be read or a stop was asked for (<error> then stays "").
bool feed_from(const char* path, Module& module, std::string* error) {
  bool from_stdin = !strcmp(path, "-");
  FILE* in = from_stdin ? stdin : open_file(path, "rb");
  char buffer[65536];
  size_t got = 0;
  while (in && !stop_requested && (got = fread(buffer, 1, sizeof buffer, in)) > 0)
    module_feed(module, buffer, got);
  bool read = in && !ferror(in);
  if (!read && !stop_requested) *error = file_error(from_stdin ? "standard input" : path);
  if (in && !from_stdin) fclose(in);
  return read && !stop_requested;
}

// Returns 1 when the file was read into <text>, 0 when it does not exist, -1 on failure.
int read_file(const char* path, std::string* text) {
  FILE* f = open_file(path, "rb");
  if (!f) return errno == ENOENT ? 0 : -1;
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, f)) > 0) text->append(buffer, got);
  bool ok = !ferror(f);
  fclose(f);
  return ok ? 1 : -1;
}

// A missing state file is a module that remembers nothing yet.
bool load_state(const char* path, Module& module, std::string* error) {
  std::string text;
  int found = read_file(path, &text);
  if (found < 0) {
    *error = file_error(path);
    return false;
  }
  if (found == 0) return true;
  if (state_load(text, &module, error)) return true;
  *error = std::string(path) + ": " + *error + "; delete the file to start with a fresh module";
  return false;
}

int read_mode(const ModuleArgs& args, Module& module) {
  std::string error;
  if (!feed_from(args.read, module, &error))
    return exit_status(error.empty() ? 2 : module_failed(error));
  module_finish(module);
  error = save_files(args, module);
  if (error.empty()) error = print(args.json ? json_view(module) : words_view(module));
  if (!error.empty()) return exit_status(module_failed(error));
  return exit_status(module_clean(module) ? 0 : 1);
}

}  // namespace

const char* module_name() { return s_name; }

int module_failed(const std::string& message, int code) { return fail(s_name, message, code); }

std::string file_error(const std::string& what) { return what + ": " + last_file_cause(); }

std::string save_files(const ModuleArgs& args, const Module& module) {
  std::string png;
  if (args.png && !render_png(module, &png)) return "cannot draw the picture";
  if (args.png && !write_whole(args.png, png)) return file_error(args.png);
  if (args.state && !write_whole(args.state, state_text(module))) return file_error(args.state);
  return "";
}

int module_command(const char* name, int argc, char** argv) {
  ModuleArgs args;
  bool help = false;
  s_name = name;
  std::string error = parse_options(argc, argv, OPTIONS, &args, &help);
  if (help) return print_or_fail(name, help_text(name), 2);
  if (error.empty()) error = conflict(args);
  if (!error.empty()) return module_failed(error + " (see " + name + " --help)");
  Module module = module_new(args.lines);
  if (args.state && !load_state(args.state, module, &error)) return module_failed(error);
  return args.read ? read_mode(args, module) : LIVE_MODE(args, module);
}
