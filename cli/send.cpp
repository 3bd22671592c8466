#include "cli/send.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "cli/files.h"
#include "cli/messages.h"
#include "cli/options.h"
#include "cli/process.h"
#include "cli/serial_line.h"
#include "config/command.h"
#include "core/code_page.h"
#include "core/run_options.h"
#include "core/shown_text.h"

namespace {

const char HELP[] =
    "Sends the display's power-up configuration, as pressing \"Send\" in Glimmerset's window\n"
    "does: the start-up screen (unless --no-text), the command that stores it (unless\n"
    "--no-store) and the configuration command. Every default is the window's initial state.\n"
    "\n";

const char OPTIONS_HELP[] =
    "  --output FILE        write the bytes to FILE instead (- for standard output)\n"
    "  --baud N             9600 (default) or 2400\n"
    "  --screen T           4x20 (default) or 2x20\n"
    "  --line1 TEXT ... --line4 TEXT\n"
    "                       the start-up screen's lines, up to 20 bytes each in the code\n"
    "                       page (empty by default; lines 3 and 4 only on a 4x20 screen)\n"
    "  --no-text            send no start-up screen (and no store command)\n"
    "  --no-store           do not store the start-up screen in the module's EEPROM\n"
    "  --show-startup       the module shows its start-up screen at power-up\n"
    "  --delay UNITS        power-up delay, 0 (default) to 120 units of 0.5 s\n"
    "  --brightness P       brightness at power-up: 25, 50, 75 or 100 (default)\n"
    "  --write-protect      protect the module's EEPROM against writes\n"
    "  --old-mode           the module's old compatibility mode\n"
    "  --no-auto-dim        disable automatic dimming\n"
    "  --codepage NAME      the code page the lines are sent in (default windows-1252)\n"
    "  -h, --help           this text\n"
    "\n"
    "A line that the code page cannot hold exactly (a character it lacks, a control\n"
    "character, more than 20 bytes) is refused, naming the character. A value that is itself\n"
    "an option is refused too: write --line1=--TEXT for such a text.\n"
    "\n"
    "Exit status: 0 when every byte left, 1 when the port could not be used or did not take\n"
    "every byte, 2 for wrong arguments (nothing is then opened or sent). ";

// Returns the help of the command <name>, the code pages offered wrapped at 88 columns.
std::string help_text(const char* name) {
  std::string text = std::string("usage: ") + name + " (--port " + PORT_NAME +
                     " | --output FILE) [options]\n\n" + HELP + PORT_HELP + OPTIONS_HELP +
                     STOP_HELP + "\nCode pages: ",
              names = code_page_names() + ".";
  size_t column = strlen("Code pages: ");
  for (size_t at = 0, end; at < names.size(); at = end + 1) {
    end = names.find(' ', at);
    if (end == std::string::npos) end = names.size();
    std::string word = names.substr(at, end - at);
    bool wrap = column + 1 + word.size() > 88;
    text += at == 0 ? "" : wrap ? "\n  " : " ";
    column = (wrap ? 2 : column + (at == 0 ? 0 : 1)) + word.size();
    text += word;
  }
  return text + "\n";
}

// What the command line asks for: where the bytes go, and the run.
struct SendArgs {
  const char* port = NULL;
  const char* output = NULL;
  RunOptions run;
};

// Takes the value into the run's option that <SET> sets.
template <const char* (*SET)(RunOptions*, const char*)>
const char* set_run(SendArgs* a, const char* v) {
  return SET(&a->run, v);
}

// Whole units only, as the window's field takes them: "1.5" or "+3" would be guesses.
const char* set_delay(SendArgs* a, const char* v) {
  size_t digits = strspn(v, "0123456789");
  if (digits == 0 || v[digits] || digits > 3 || atoi(v) > DELAY_LIMIT)
    return "must be a whole number from 0 to 120 (units of 0.5 s)";
  a->run.delay = atoi(v);
  return NULL;
}

template <int LINE>
const char* set_line(SendArgs* a, const char* v) {
  a->run.lines[LINE - 1] = v;
  return NULL;
}

const char* set_port(SendArgs* a, const char* v) {
  const char* wrong = set_text<&SendArgs::port>(a, v);
  return wrong ? wrong : port_argument_error(v);
}

const Option<SendArgs> OPTIONS[] = {
    {"--port", true, set_port},
    {"--output", true, set_text<&SendArgs::output>},
    {"--baud", true, set_run<set_baud>},
    {"--screen", true, set_run<set_screen>},
    {"--line1", true, set_line<1>},
    {"--line2", true, set_line<2>},
    {"--line3", true, set_line<3>},
    {"--line4", true, set_line<4>},
    {"--delay", true, set_delay},
    {"--brightness", true, set_run<set_brightness>},
    {"--codepage", true, set_run<set_text<&RunOptions::code_page>>},
    {"--no-text", false, set_run<set_flag<&RunOptions::send_text, false>>},
    {"--no-store", false, set_run<set_flag<&RunOptions::store, false>>},
    {"--show-startup", false, set_run<set_flag<&RunOptions::show_startup>>},
    {"--write-protect", false, set_run<set_flag<&RunOptions::write_protect>>},
    {"--old-mode", false, set_run<set_flag<&RunOptions::old_mode>>},
    {"--no-auto-dim", false, set_run<set_flag<&RunOptions::no_auto_dim>>},
};

// Returns "" when the options go together, else what is wrong.
std::string conflict(const SendArgs& args) {
  if (!args.port && !args.output) return "give one of --port DEVICE and --output FILE";
  if (args.port && args.output) return "give only one of --port and --output";
  return lines_conflict(args.run);
}

// Returns "" with the lines' bytes in <lines>, or why a line cannot be sent as given.
std::string convert(const RunOptions& run, RunLines* lines) {
  std::string error = convert_lines(run, lines);
  if (!error.empty()) return "--codepage '" + shown_text(run.code_page) + "': " + error;
  for (int i = 0; i < 4; i++)
    if (!lines->refused[i].empty())
      return "--line" + std::to_string(i + 1) + " '" + shown_text(*run.lines[i]) +
             "': " + lines->refused[i];
  return "";
}

// Writes <bytes> to standard output or to the file <path>. Returns "" or what failed.
std::string write_output(const char* path, const std::string& bytes) {
  if (!strcmp(path, "-")) return print(bytes);
  FILE* file = open_file(path, "wb");
  if (!file) return std::string(path) + ": " + last_file_cause();
  bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  std::string cause = written ? "" : last_file_cause();
  if (fclose(file) != 0 && written) cause = last_file_cause();
  return cause.empty() ? "" : std::string(path) + ": " + cause;
}

}  // namespace

int send_command(const char* name, int argc, char** argv) {
  SendArgs args;
  bool help = false;
  RunLines lines;
  std::string error = parse_options(argc, argv, OPTIONS, &args, &help);
  if (help) return print_or_fail(name, help_text(name), 1);
  if (error.empty()) error = conflict(args);
  if (error.empty()) error = convert(args.run, &lines);
  if (!error.empty()) return fail(name, error + " (see " + name + " --help)", 2);
  std::string bytes = run_bytes(args.run, lines);
  error = args.output ? write_output(args.output, bytes)
                      : send_to_line(args.port, args.run.baud, bytes);
  if (!error.empty()) return exit_status(fail(name, error, 1));
  print_error("Configuration complete.\n");
  return exit_status(0);
}
