#include "cli/send.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include "cli/line_text.h"
#include "cli/serial_line.h"
#include "config/command.h"
#include "screen/screen_text.h"

namespace {

const char HELP[] =
    "usage: %s (--port DEVICE | --output FILE) [options]\n"
    "\n"
    "Sends the display's power-up configuration, as pressing \"Send\" in Glimmerset's window\n"
    "does: the start-up screen (unless --no-text), the command that stores it (unless\n"
    "--no-store) and the configuration command. Every default is the window's initial state.\n"
    "\n"
    "  --port DEVICE        the serial device the display is on (e.g. /dev/ttyUSB0)\n"
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
    "Exit status: 0 when every byte left, 1 when the device could not be used or did not take\n"
    "every byte, 2 for wrong arguments (nothing is then opened or sent).\n";

// What the command line asks for; the defaults are the window's initial state.
struct SendArgs {
  const char* port = NULL;
  const char* output = NULL;
  unsigned long baud = 9600;
  bool four_lines = true;
  const char* lines[4] = {NULL, NULL, NULL, NULL};
  bool send_text = true;
  bool store = true;
  bool show_startup = false;
  int delay = 0;
  int brightness = 100;
  bool write_protect = false;
  bool old_mode = false;
  bool no_auto_dim = false;
  const char* code_page = "windows-1252";
  bool help = false;  // -h or --help stood where an option may
};

// Takes an option's value. Returns NULL, or what the value must be.
typedef const char* (*Apply)(SendArgs* args, const char* value);

// Returns the position of <value> among <choices> (a NULL-ended list), or -1.
int choice(const char* value, const char* const* choices) {
  for (int i = 0; choices[i]; i++)
    if (!strcmp(value, choices[i])) return i;
  return -1;
}

const char* set_path(const char** target, const char* value) {
  *target = value;
  return *value ? NULL : "must not be empty";
}

const char* set_baud(SendArgs* a, const char* v) {
  static const char* const RATES[] = {"9600", "2400", NULL};
  int i = choice(v, RATES);
  if (i < 0) return "must be 9600 or 2400";
  a->baud = i == 0 ? 9600 : 2400;
  return NULL;
}

const char* set_screen(SendArgs* a, const char* v) {
  static const char* const TYPES[] = {"4x20", "2x20", NULL};
  int i = choice(v, TYPES);
  if (i < 0) return "must be 4x20 or 2x20";
  a->four_lines = i == 0;
  return NULL;
}

const char* set_brightness(SendArgs* a, const char* v) {
  static const char* const LEVELS[] = {"25", "50", "75", "100", NULL};
  int i = choice(v, LEVELS);
  if (i < 0) return "must be 25, 50, 75 or 100";
  a->brightness = 25 * (i + 1);
  return NULL;
}

// Whole units only, as the window's field takes them: "1.5" or "+3" would be guesses.
const char* set_delay(SendArgs* a, const char* v) {
  size_t digits = strspn(v, "0123456789");
  if (digits == 0 || v[digits] || digits > 3 || atoi(v) > DELAY_LIMIT)
    return "must be a whole number from 0 to 120 (units of 0.5 s)";
  a->delay = atoi(v);
  return NULL;
}

template <int LINE>
const char* set_line(SendArgs* a, const char* v) {
  a->lines[LINE - 1] = v;
  return NULL;
}

const char* set_port(SendArgs* a, const char* v) { return set_path(&a->port, v); }
const char* set_output(SendArgs* a, const char* v) { return set_path(&a->output, v); }
const char* set_code_page(SendArgs* a, const char* v) { return set_path(&a->code_page, v); }

// Options with a value, then the flags, each with the setting it changes.
const struct {
  const char* name;
  Apply apply;
} VALUES[] = {
    {"--port", set_port},          {"--output", set_output},
    {"--baud", set_baud},          {"--screen", set_screen},
    {"--line1", set_line<1>},      {"--line2", set_line<2>},
    {"--line3", set_line<3>},      {"--line4", set_line<4>},
    {"--delay", set_delay},        {"--brightness", set_brightness},
    {"--codepage", set_code_page},
};
const struct {
  const char* name;
  bool SendArgs::*setting;
  bool value;
} FLAGS[] = {
    {"--no-text", &SendArgs::send_text, false},
    {"--no-store", &SendArgs::store, false},
    {"--show-startup", &SendArgs::show_startup, true},
    {"--write-protect", &SendArgs::write_protect, true},
    {"--old-mode", &SendArgs::old_mode, true},
    {"--no-auto-dim", &SendArgs::no_auto_dim, true},
};
const int VALUE_COUNT = sizeof VALUES / sizeof VALUES[0];
const int OPTION_COUNT = VALUE_COUNT + sizeof FLAGS / sizeof FLAGS[0];

// Returns the option's index (values first, then flags), or -1.
int find_option(const std::string& name) {
  for (int i = 0; i < OPTION_COUNT; i++)
    if (name == (i < VALUE_COUNT ? VALUES[i].name : FLAGS[i - VALUE_COUNT].name)) return i;
  return -1;
}

// Takes every word of <argv> ("--name value" or "--name=value"), each option at most once.
// Returns "" or what is wrong, naming the option and the value.
std::string parse(int argc, char** argv, SendArgs* args) {
  bool seen[OPTION_COUNT] = {};
  for (int i = 0; i < argc; i++) {
    std::string word = argv[i], name = word.substr(0, word.find('='));
    bool inline_value = name.size() < word.size();
    if (word == "--help" || word == "-h") {
      args->help = true;
      return "";
    }
    int o = find_option(name);
    if (o < 0)
      return (word.compare(0, 1, "-") ? "unexpected argument '" : "unknown option '") + word + "'";
    if (seen[o]) return name + " is given twice";
    seen[o] = true;
    if (o >= VALUE_COUNT) {
      if (inline_value) return name + " takes no value";
      args->*FLAGS[o - VALUE_COUNT].setting = FLAGS[o - VALUE_COUNT].value;
      continue;
    }
    if (!inline_value && i + 1 >= argc) return name + " needs a value";
    const char* value = inline_value ? argv[i] + name.size() + 1 : argv[++i];
    if (const char* wanted = VALUES[o].apply(args, value))
      return name + " '" + value + "': " + wanted;
  }
  return "";
}

// Returns "" when the options go together, else what is wrong.
std::string conflict(const SendArgs& args) {
  if (!args.port == !args.output) return "give one of --port DEVICE and --output FILE";
  for (int i = 0; i < 4; i++) {
    std::string option = "--line" + std::to_string(i + 1);
    if (args.lines[i] && !args.send_text) return option + ": --no-text sends no screen text";
    if (args.lines[i] && i >= 2 && !args.four_lines)
      return option + ": a 2x20 screen has no line " + std::to_string(i + 1);
  }
  return "";
}

// Returns "" with the four lines' bytes in <lines>, or why a line cannot be sent as given.
std::string convert_lines(const SendArgs& args, std::string lines[4]) {
  LineConverter converter;
  std::string error = line_converter_open(args.code_page, &converter);
  if (!error.empty()) return std::string("--codepage '") + args.code_page + "': " + error;
  for (int i = 0; i < 4 && error.empty(); i++) {
    if (!args.lines[i]) continue;
    error = line_bytes(args.lines[i], converter, &lines[i]);
    if (!error.empty())
      error = "--line" + std::to_string(i + 1) + " '" + args.lines[i] + "': " + error;
  }
  line_converter_close(&converter);
  return error;
}

// Returns the bytes of the run, in the order the window sends them.
std::string run_bytes(const SendArgs& args, const std::string lines[4]) {
  std::string bytes;
  if (args.send_text) {
    // Every line was refused beyond 20 bytes, so no line is cut and the code page's
    // character boundaries do not matter here.
    const CodePage whole_lines = {SINGLE_BYTE_CODE_PAGE, NULL};
    bytes += screen_message(lines, args.four_lines, whole_lines);
    if (args.store) bytes += STORE_COMMAND;
  }
  int b = args.brightness;
  return bytes +
         configuration_command(brightness_code(b == 25, b == 50, b == 75, b == 100),
                               startup_flag(args.show_startup), delay_byte(args.delay),
                               mode_flags(args.old_mode, args.write_protect, args.no_auto_dim));
}

// Writes <bytes> to standard output or to the file <path>. Returns "" or what failed.
std::string write_output(const char* path, const std::string& bytes) {
  bool to_stdout = !strcmp(path, "-");
  int fd = to_stdout ? 1 : open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  size_t done = 0;
  ssize_t n = 0;
  while (fd >= 0 && done < bytes.size() &&
         ((n = write(fd, bytes.data() + done, bytes.size() - done)) > 0 || errno == EINTR))
    if (n > 0) done += (size_t)n;
  std::string error = done == bytes.size() ? "" : strerror(errno);
  if (fd >= 0 && !to_stdout && close(fd) != 0 && error.empty()) error = strerror(errno);
  return error.empty() ? "" : std::string(to_stdout ? "standard output" : path) + ": " + error;
}

std::string send_to_port(const char* port, unsigned long baud, const std::string& bytes) {
  int fd = -1;
  std::string error = serial_line_open(port, baud, &fd);
  if (error.empty()) {
    error = serial_line_send(fd, baud, bytes);
    serial_line_close(fd, !error.empty());
  }
  return error.empty() ? "" : std::string(port) + ": " + error;
}

}  // namespace

int send_command(const char* name, int argc, char** argv) {
  SendArgs args;
  std::string lines[4], error = parse(argc, argv, &args);
  if (args.help) {
    printf(HELP, name);
    return 0;
  }
  if (error.empty()) error = conflict(args);
  if (error.empty()) error = convert_lines(args, lines);
  if (!error.empty()) {
    fprintf(stderr, "%s: %s (see %s --help)\n", name, error.c_str(), name);
    return 2;
  }
  std::string bytes = run_bytes(args, lines);
  error =
      args.output ? write_output(args.output, bytes) : send_to_port(args.port, args.baud, bytes);
  if (!error.empty()) {
    fprintf(stderr, "%s: %s\n", name, error.c_str());
    return 1;
  }
  fputs("Configuration complete.\n", stderr);
  return 0;
}
