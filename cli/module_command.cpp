#include "cli/module_command.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <string>

#include "cli/files.h"
#include "cli/messages.h"
#include "cli/options.h"
#include "cli/process.h"
#include "cli/pty.h"
#include "cli/serial_line.h"
#include "module/live.h"
#include "module/model.h"
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
    "  --state FILE      what the module remembers, kept in FILE from one run to the next\n"
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

// Returns the help of the command <name>.
std::string help_text(const char* name) {
  std::string n = name;
  return "usage: " + n + " [--lines 4|2] [--json] [--png FILE] [--state FILE] --read FILE|-\n" +
         "       " + n +
         " [--lines 4|2] [--png FILE] [--state FILE] [--link PATH | --device DEV]\n" + "       " +
         n + " --hex [--link PATH | --device DEV]\n" +
         "       (live lines also take --capture FILE)\n\n" + HELP;
}

// The command as the user typed it, for messages.
const char* s_name = "glimmerset module";

// The line is taken to have fallen quiet after a burst once no byte came for this long: far
// longer than the gap between two writes of one sender, far shorter than a person's pause.
const long long QUIET_MS = 100;
// A run whose configuration command has not come yet is shown once the line has been quiet
// this long: the sender has stopped, or sends something other than a configuration run.
const long long UNFINISHED_RUN_MS = 1000;

struct ModuleArgs {
  int lines = 4;
  bool json = false;
  bool hex = false;
  const char* png = NULL;
  const char* state = NULL;
  const char* read = NULL;
  const char* link = NULL;
  const char* device = NULL;
  const char* capture = NULL;
};

const char* set_lines(ModuleArgs* a, const char* v) {
  if (strcmp(v, "4") && strcmp(v, "2")) return "must be 4 or 2";
  a->lines = v[0] - '0';
  return NULL;
}

// Sets the file or device option <TARGET> to the value.
template <const char* ModuleArgs::*TARGET>
const char* set_path(ModuleArgs* a, const char* v) {
  a->*TARGET = v;
  return *v ? NULL : "must not be empty";
}

template <bool ModuleArgs::*FLAG>
const char* set_flag(ModuleArgs* a, const char*) {
  a->*FLAG = true;
  return NULL;
}

const Option<ModuleArgs> OPTIONS[] = {
    {"--lines", true, set_lines},
    {"--json", false, set_flag<&ModuleArgs::json>},
    {"--hex", false, set_flag<&ModuleArgs::hex>},
    {"--png", true, set_path<&ModuleArgs::png>},
    {"--state", true, set_path<&ModuleArgs::state>},
    {"--read", true, set_path<&ModuleArgs::read>},
    {"--link", true, set_path<&ModuleArgs::link>},
    {"--device", true, set_path<&ModuleArgs::device>},
    {"--capture", true, set_path<&ModuleArgs::capture>},
};

int failed(const std::string& message, int code = 2) { return fail(s_name, message, code); }

// Returns "<what>: <the cause of errno>".
std::string file_error(const std::string& what) { return what + ": " + file_cause(errno); }

// Returns the error for options that do not go together, or "".
std::string conflict(const ModuleArgs& args) {
  if (args.read && (args.hex || args.link || args.device || args.capture))
    return "--read decodes a file; --hex, --link, --device and --capture are for a live line";
  if (!args.read && args.json) return "--json is for --read; a live line is shown in words";
  if (args.link && args.device) return "--link and --device exclude each other";
  if (args.hex && (args.png || args.state)) return "--hex shows the bytes only: no --png, --state";
  return "";
}

// Feeds the stream to the module in the chunks that reading yields. Returns false when the
// stream cannot be read.
bool feed_from(const char* path, Module& module, std::string* error) {
  bool from_stdin = !strcmp(path, "-");
  int fd = from_stdin ? STDIN_FILENO : open(path, O_RDONLY | O_CLOEXEC);
  char buffer[65536];
  ssize_t got = fd < 0 ? -1 : 0;
  while (fd >= 0 && !stop_requested &&
         ((got = read(fd, buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR)))
    if (got > 0) module_feed(module, buffer, (size_t)got);
  if (got < 0 && !stop_requested) *error = file_error(from_stdin ? "standard input" : path);
  if (fd >= 0 && !from_stdin) close(fd);
  return got == 0 && !stop_requested;
}

// Returns 1 when the file was read into <text>, 0 when it does not exist, -1 on failure.
int read_file(const char* path, std::string* text) {
  FILE* f = fopen(path, "rb");
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

// Writes the picture and the state record that <args> ask for, each whole or not at all.
// Returns "" or what failed.
std::string save_files(const ModuleArgs& args, const Module& module) {
  std::string png;
  if (args.png && !render_png(module, &png)) return "cannot draw the picture";
  if (args.png && !write_whole(args.png, png)) return file_error(args.png);
  if (args.state && !write_whole(args.state, state_text(module))) return file_error(args.state);
  return "";
}

int read_mode(const ModuleArgs& args, Module& module) {
  std::string error;
  if (!feed_from(args.read, module, &error)) return exit_status(error.empty() ? 2 : failed(error));
  module_finish(module);
  error = save_files(args, module);
  if (error.empty()) error = print(args.json ? json_view(module) : words_view(module));
  if (!error.empty()) return exit_status(failed(error));
  return exit_status(module_clean(module) ? 0 : 1);
}

// What the live module listens on: the master of a pty of ours (whose slave stays open
// here, so that a writer closing the port leaves the line as it is), or a serial device.
struct Line {
  int fd = -1;
  int slave = -1;
  std::string path;  // the slave or the device
};

// A serial device is opened as send opens one, and read raw at the speed it was set to: no
// byte is taken for a line end, an interrupt or flow control. Returns "" or why it cannot
// be used.
std::string open_device(const char* device, Line* line) {
  std::string error = serial_device_open(device, &line->fd);
  termios t;
  if (error.empty() && tcgetattr(line->fd, &t) != 0) {
    error = device_cause(errno);
    close(line->fd);
  }
  if (!error.empty()) return std::string(device) + ": " + error;
  cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  tcsetattr(line->fd, TCSANOW, &t);
  line->path = device;
  return "";
}

// Unix 98 pseudo-terminal slaves: the only devices a module's link leads to.
bool is_pty_slave(const struct stat& s) {
  return S_ISCHR(s.st_mode) && major(s.st_rdev) >= 136 && major(s.st_rdev) <= 143;
}

// Returns the pid of a running module that listens where <link> leads, or 0. Each module
// holds a record lock on its pty's slave, which serial programs' flock does not meet.
pid_t link_holder(const char* link) {
  struct stat target;
  if (stat(link, &target) != 0 || !is_pty_slave(target)) return 0;
  int fd = open(link, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  struct flock probe = {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  pid_t holder =
      fd >= 0 && fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK ? probe.l_pid : 0;
  if (fd >= 0) close(fd);
  return holder;
}

// Returns "" when the link may be made at <link>: nothing is there, or a link that no
// running module holds. Never replaces a file or folder of the user's.
std::string link_free(const char* link) {
  struct stat existing;
  if (lstat(link, &existing) != 0) return "";
  if (!S_ISLNK(existing.st_mode)) return std::string(link) + " exists and is no symbolic link";
  pid_t holder = link_holder(link);
  if (holder == 0) return "";
  return std::string(link) + " leads to a module that still listens there (process " +
         std::to_string(holder) + "); end it, or choose another --link";
}

// Opens a fresh pty, locked as this module's, and links it at <link> (when given). Returns ""
// or what failed.
std::string open_pty(const char* link, Line* line) {
  std::string error = link ? link_free(link) : "";
  if (!error.empty()) return error;
  if (!open_raw_pty(&line->fd, &line->slave, &line->path)) return file_error("openpty");
  struct flock lock = {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  if (fcntl(line->slave, F_SETLK, &lock) != 0) error = file_error("lock " + line->path);
  if (error.empty() && link && !point_link(link, line->path)) error = file_error(link);
  if (error.empty()) return "";
  close(line->fd);
  close(line->slave);
  return error;
}

// Returns <count> bytes that arrived at <offset> of the stream as lines of 16: the offset,
// the bytes in hex, and the printable ones as text.
std::string hex_lines(const char* bytes, size_t count, unsigned long long offset) {
  std::string text;
  for (size_t row = 0; row < count; row += 16) {
    char line[120];
    int at = snprintf(line, sizeof line, "%08llx ", offset + row);
    for (size_t i = row; i < row + 16; i++)
      at += i < count ? snprintf(line + at, sizeof line - at, " %02x", (unsigned char)bytes[i])
                      : snprintf(line + at, sizeof line - at, "   ");
    at += snprintf(line + at, sizeof line - at, "  |");
    for (size_t i = row; i < row + 16 && i < count; i++) {
      unsigned char c = (unsigned char)bytes[i];
      line[at++] = c >= 0x20 && c < 0x7f ? (char)c : '.';
    }
    snprintf(line + at, sizeof line - at, "|\n");
    text += line;
  }
  return text;
}

// The live module, what it last saved and what it last showed.
struct Live {
  LiveModule module;
  std::string saved;    // the state record last written; "" before the first
  int failed = 0;       // the exit status for a failure: 2 a file, 1 the line
  bool ended = false;   // the line is gone, or standard output
  bool settled = true;  // the line has been quiet since the last bytes arrived
  bool shown = true;    // a view, or the hex dump, shows every byte that arrived
  long long last_byte_ms = 0;
  int capture = -1;  // --capture, or -1
};

void fail_live(Live& live, const std::string& error, int code) {
  failed(error);
  if (live.failed != 2) live.failed = code;
}

// Prints <text>; output that cannot be written ends the module.
void show(Live& live, const std::string& text) {
  std::string error = print(text);
  if (error.empty()) return;
  fail_live(live, error, 2);
  live.ended = true;
}

// Saves the files when what the module remembers changed. Returns nothing.
void save_changes(const ModuleArgs& args, Live& live) {
  std::string record = state_text(live.module.run);
  if (record == live.saved) return;
  std::string error = save_files(args, live.module.run);
  if (error.empty())
    live.saved = record;
  else
    fail_live(live, error, 2);
}

void show_run(Live& live) {
  show(live, live_run_view(live.module));
  live.shown = true;
}

// After a burst: a run that has ended is shown at once, one still waiting for its
// configuration command once the line has been quiet for a second.
void after_burst(const ModuleArgs& args, Live& live) {
  long long quiet = now_ms() - live.last_byte_ms;
  if (!live.settled && quiet >= QUIET_MS) {
    live.settled = true;
    bool over = live_settle(live.module);
    save_changes(args, live);
    if (over && !live.shown) show_run(live);
  }
  if (live.settled && !live.shown && quiet >= UNFINISHED_RUN_MS) show_run(live);
}

// Takes <count> bytes that arrived: captured, printed in hex or decoded.
void take(const ModuleArgs& args, Live& live, const char* bytes, size_t count) {
  if (args.hex) show(live, hex_lines(bytes, count, live.module.received));
  if (live.capture >= 0 && !write_fully(live.capture, std::string(bytes, count))) {
    fail_live(live, file_error(args.capture), 2);
    close(live.capture);
    live.capture = -1;
  }
  std::string ended = live_take(live.module, bytes, count);
  if (!args.hex) show(live, ended);
  live.settled = false;
  live.shown = args.hex;
  live.last_byte_ms = now_ms();
}

// Reads what the line holds now. Returns "" or, when the line is gone (a device unplugged),
// why.
std::string take_bytes(const ModuleArgs& args, const Line& line, Live& live) {
  char buffer[4096];
  ssize_t got;
  while ((got = read(line.fd, buffer, sizeof buffer)) > 0) take(args, live, buffer, (size_t)got);
  if (got == 0) return "the device went away";  // a terminal that was hung up reads as ended
  return errno == EAGAIN || errno == EINTR ? "" : device_cause(errno);
}

// Returns how long to wait for the line before looking at the quiet again, in ms.
int wait_ms(const Live& live) {
  long long due = !live.settled ? live.last_byte_ms + QUIET_MS
                  : !live.shown ? live.last_byte_ms + UNFINISHED_RUN_MS
                                : now_ms() + 1000;
  long long left = due - now_ms();
  return left > 0 ? (int)left : 0;
}

// Shows the bytes from <line> as they arrive until a signal asks to stop, the line is gone
// or standard output is.
void listen(const ModuleArgs& args, const Line& line, Live& live) {
  while (!stop_requested && !live.ended) {
    pollfd p = {line.fd, POLLIN, 0};
    poll(&p, 1, wait_ms(live));
    std::string error = take_bytes(args, line, live);
    if (!error.empty()) {
      fail_live(live, line.path + ": " + error, 1);
      return;
    }
    after_burst(args, live);
  }
}

// Ends the live module: the run that was still arriving is saved, its last view shown, and
// the link removed while it still leads to this module's pty.
void close_live(const ModuleArgs& args, const Line& line, Live& live) {
  if (!live.settled) {
    live_settle(live.module);
    save_changes(args, live);
  }
  if (!args.hex && !live.ended) show(live, live_final_view(live.module));
  if (live.capture >= 0) close(live.capture);
  char target[256];
  ssize_t length = args.link ? readlink(args.link, target, sizeof target - 1) : -1;
  if (length > 0 && line.path == std::string(target, (size_t)length)) unlink(args.link);
  close(line.fd);
  if (line.slave >= 0) close(line.slave);
}

int live_mode(const ModuleArgs& args, const Module& module) {
  Line line;
  Live live;
  if (args.capture)
    live.capture = open(args.capture, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (args.capture && live.capture < 0) return failed(file_error(args.capture));
  std::string error = args.device ? open_device(args.device, &line) : open_pty(args.link, &line);
  if (!error.empty()) {
    if (live.capture >= 0) close(live.capture);
    return failed(error, args.device ? 1 : 2);
  }
  // On stderr, so that what arrives has standard output to itself.
  std::string where = args.link ? line.path + ", linked at " + args.link : line.path;
  fprintf(stderr, "%s: %s on %s; Ctrl+C ends\n", s_name,
          args.hex ? "printing the bytes that arrive"
                   : ("a 20x" + std::to_string(module.lines) + " display").c_str(),
          where.c_str());
  live.module = live_new(module);
  if (!args.hex) show(live, live_ready_view(live.module));
  listen(args, line, live);
  close_live(args, line, live);
  return exit_status(live.failed);
}

}  // namespace

int module_command(const char* name, int argc, char** argv) {
  ModuleArgs args;
  bool help = false;
  s_name = name;
  std::string error = parse_options(argc, argv, OPTIONS, &args, &help);
  if (help) return print_or_fail(name, help_text(name), 2);
  if (error.empty()) error = conflict(args);
  if (!error.empty()) return failed(error + " (see " + name + " --help)");
  Module module = module_new(args.lines);
  if (args.state && !load_state(args.state, module, &error)) return failed(error);
  return args.read ? read_mode(args, module) : live_mode(args, module);
}
