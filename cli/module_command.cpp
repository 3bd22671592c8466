#include "cli/module_command.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <string>

#include "module/model.h"
#include "module/picture.h"
#include "module/state.h"
#include "module/views.h"
#include "module/live.h"
#include "cli/pty.h"

namespace {

const char HELP[] =
    "usage: %1$s [--lines 4|2] [--json] [--png FILE] [--state FILE] --read FILE|-\n"
    "       %1$s [--lines 4|2] [--png FILE] [--state FILE] [--link PATH | --device DEV]\n"
    "       %1$s --hex [--link PATH | --device DEV]\n"
    "       (live lines also take --capture FILE)\n"
    "\n"
    "A model of the display module: shows what it would show and remember of the bytes a\n"
    "configuration run sends, and every byte such a run would not send.\n"
    "\n"
    "  --read FILE|-     decode a captured stream (- for standard input); exit status 0 when\n"
    "                    it is exactly what a configuration run sends, 1 when it holds\n"
    "                    anomalies, 2 when a file cannot be read or written\n"
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
    "prints, unless --device) and shows the view after every configuration run (or, when\n"
    "none comes, once the line has been quiet for a second) until Ctrl+C.\n";

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
  bool help = false;  // -h or --help stood where an option may
};

int failed(const std::string& message) {
  fprintf(stderr, "%s: %s\n", s_name, message.c_str());
  return 2;
}

std::string system_error(const std::string& what) { return what + ": " + strerror(errno); }

// Returns the error for options that do not go together, or "".
std::string conflict(const ModuleArgs& args) {
  if (args.read && (args.hex || args.link || args.device || args.capture))
    return "--read decodes a file; --hex, --link, --device and --capture are for a live line";
  if (!args.read && args.json) return "--json is for --read; a live line is shown in words";
  if (args.link && args.device) return "--link and --device exclude each other";
  if (args.hex && (args.png || args.state)) return "--hex shows the bytes only: no --png, --state";
  return "";
}

// Returns true when <argv> holds only known options, none of them twice, that go together.
bool parse(int argc, char** argv, ModuleArgs* args, std::string* error) {
  for (int i = 0; i < argc; i++) {
    std::string word = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : NULL;
    if (word == "--help" || word == "-h") {
      args->help = true;
      return true;
    }
    const char** target = word == "--png"       ? &args->png
                          : word == "--state"   ? &args->state
                          : word == "--read"    ? &args->read
                          : word == "--link"    ? &args->link
                          : word == "--device"  ? &args->device
                          : word == "--capture" ? &args->capture
                                                : NULL;
    if (word == "--json") {
      args->json = true;
    } else if (word == "--hex") {
      args->hex = true;
    } else if (word == "--lines" && value && (!strcmp(value, "4") || !strcmp(value, "2"))) {
      args->lines = value[0] - '0';
      i++;
    } else if (target && value && !*target) {
      *target = value;
      i++;
    } else if (word == "--lines") {
      *error = "--lines takes 4 or 2";
      return false;
    } else {
      *error = "unexpected argument '" + word + "' (see " + std::string(s_name) + " --help)";
      return false;
    }
  }
  *error = conflict(*args);
  return error->empty();
}

// Feeds the stream to the module in the chunks that reading yields. Returns false when the
// stream cannot be read.
bool feed_from(const char* path, Module& module, std::string* error) {
  bool from_stdin = !strcmp(path, "-");
  FILE* f = from_stdin ? stdin : fopen(path, "rb");
  if (!f) {
    *error = system_error(path);
    return false;
  }
  char buffer[65536];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, f)) > 0) module_feed(module, buffer, got);
  bool ok = !ferror(f);
  if (!ok) *error = system_error(path);
  if (!from_stdin) fclose(f);
  return ok;
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

// Writes <bytes> under a temporary name first, so that a reader never finds half of it.
bool write_file(const char* path, const std::string& bytes) {
  std::string temp = std::string(path) + ".new";
  FILE* f = fopen(temp.c_str(), "wb");
  if (!f) return false;
  bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = fclose(f) == 0 && ok;
  if (ok && rename(temp.c_str(), path) == 0) return true;
  remove(temp.c_str());
  return false;
}

// A missing state file is a module that remembers nothing yet.
bool load_state(const char* path, Module& module, std::string* error) {
  std::string text;
  int found = read_file(path, &text);
  if (found < 0) {
    *error = system_error(path);
    return false;
  }
  if (found == 0) return true;
  if (state_load(text, &module, error)) return true;
  *error = std::string(path) + ": " + *error + "; delete the file to start with a fresh module";
  return false;
}

// Writes the picture and the state record that <args> ask for. Returns "" or what failed.
std::string save_files(const ModuleArgs& args, const Module& module) {
  std::string png;
  if (args.png && !render_png(module, &png)) return "cannot draw the picture";
  if (args.png && !write_file(args.png, png))
    return system_error(std::string("cannot write ") + args.png);
  if (args.state && !write_file(args.state, state_text(module)))
    return system_error(std::string("cannot write ") + args.state);
  return "";
}

int read_mode(const ModuleArgs& args, Module& module) {
  std::string error;
  if (!feed_from(args.read, module, &error)) return failed(error);
  module_finish(module);
  error = save_files(args, module);
  if (!error.empty()) return failed(error);
  fputs((args.json ? json_view(module) : words_view(module)).c_str(), stdout);
  return module_clean(module) ? 0 : 1;
}

// What the live module listens on: the master of a pty of ours (whose slave stays open
// here, so that a writer closing the port leaves the line as it is), or a serial device.
struct Line {
  int fd = -1;
  int slave = -1;
  std::string path;  // the slave or the device
};

// A serial device is read raw at the speed it was set to: no byte is taken for a line
// end, an interrupt or flow control. Returns false with the reason in <error>.
bool open_device(const char* device, Line* line, std::string* error) {
  termios t;
  int fd = open(device, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0 || tcgetattr(fd, &t) != 0) {
    *error = system_error(std::string(device) + (fd < 0 ? "" : " is no serial device"));
    if (fd >= 0) close(fd);
    return false;
  }
  cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  tcsetattr(fd, TCSANOW, &t);
  line->fd = fd;
  line->path = device;
  return true;
}

// Never replaces a file or folder of the user's: only a link, or nothing, may be at <path>.
bool open_pty(const char* link, Line* line, std::string* error) {
  struct stat existing;
  if (link && lstat(link, &existing) == 0 && !S_ISLNK(existing.st_mode)) {
    *error = std::string(link) + " exists and is no symbolic link";
    return false;
  }
  if (!open_raw_pty(&line->fd, &line->slave, &line->path)) {
    *error = system_error("openpty");
    return false;
  }
  if (!link || point_link(link, line->path)) return true;
  *error = system_error(std::string("cannot link ") + link);
  close(line->fd);
  close(line->slave);
  return false;
}

void show(const std::string& text) {
  fputs(text.c_str(), stdout);
  fflush(stdout);
}

// Prints <count> bytes that arrived at <offset> of the stream, 16 a line: the offset, the
// bytes in hex, and the printable ones as text.
void print_hex(const char* bytes, size_t count, unsigned long long offset) {
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
    snprintf(line + at, sizeof line - at, "|");
    puts(line);
  }
  fflush(stdout);
}

// The live module, what it last saved and what it last showed.
struct Live {
  LiveModule module;
  std::string saved;    // the state record last written; "" before the first
  bool failed = false;  // a file could not be written
  bool settled = true;  // the line has been quiet since the last bytes arrived
  bool shown = true;    // a view, or the hex dump, shows every byte that arrived
  long long last_byte_ms = 0;
  int capture = -1;  // --capture, or -1
};

void fail_live(Live& live, const std::string& error) {
  fprintf(stderr, "%s: %s\n", s_name, error.c_str());
  live.failed = true;
}

// Saves the files when what the module remembers changed. Returns nothing.
void save_changes(const ModuleArgs& args, Live& live) {
  std::string record = state_text(live.module.run);
  if (record == live.saved) return;
  std::string error = save_files(args, live.module.run);
  if (error.empty())
    live.saved = record;
  else
    fail_live(live, error);
}

void show_run(Live& live) {
  show(live_run_view(live.module));
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

// Reads what the line holds now. Returns false when the line is gone (a device unplugged).
bool take_bytes(const ModuleArgs& args, const Line& line, Live& live) {
  char buffer[4096];
  ssize_t got;
  while ((got = read(line.fd, buffer, sizeof buffer)) > 0) {
    if (args.hex) print_hex(buffer, (size_t)got, live.module.received);
    if (live.capture >= 0 && write(live.capture, buffer, (size_t)got) != got) {
      fail_live(live, system_error(std::string("cannot write ") + args.capture));
      close(live.capture);
      live.capture = -1;
    }
    live_take(live.module, buffer, (size_t)got);
    live.settled = false;
    live.shown = args.hex;
    live.last_byte_ms = now_ms();
  }
  return got < 0 && (errno == EAGAIN || errno == EINTR);
}

// Returns how long to wait for the line before looking at the quiet again, in ms.
int wait_ms(const Live& live) {
  long long due = !live.settled ? live.last_byte_ms + QUIET_MS
                  : !live.shown ? live.last_byte_ms + UNFINISHED_RUN_MS
                                : now_ms() + 1000;
  long long left = due - now_ms();
  return left > 0 ? (int)left : 0;
}

// Shows the bytes from <line> as they arrive until SIGINT or SIGTERM or the line is gone.
void listen(const ModuleArgs& args, const Line& line, Live& live) {
  while (!stop_requested) {
    pollfd p = {line.fd, POLLIN, 0};
    poll(&p, 1, wait_ms(live));
    if (!take_bytes(args, line, live)) {
      fail_live(live, system_error(line.path + " is gone"));
      return;
    }
    after_burst(args, live);
  }
}

int live_mode(const ModuleArgs& args, const Module& module) {
  Line line;
  Live live;
  std::string error;
  if (args.capture)
    live.capture = open(args.capture, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (args.capture && live.capture < 0)
    return failed(system_error(std::string("cannot write ") + args.capture));
  if (args.device ? !open_device(args.device, &line, &error)
                  : !open_pty(args.link, &line, &error)) {
    if (live.capture >= 0) close(live.capture);
    return failed(error);
  }
  // On stderr, so that what arrives has standard output to itself.
  std::string where = args.link ? line.path + ", linked at " + args.link : line.path;
  fprintf(stderr, "%s: %s on %s; Ctrl+C ends\n", s_name,
          args.hex ? "printing the bytes that arrive"
                   : ("a 20x" + std::to_string(module.lines) + " display").c_str(),
          where.c_str());
  live.module = live_new(module);
  if (!args.hex) show(live_ready_view(live.module));
  listen(args, line, live);
  if (!live.settled) {
    live_settle(live.module);
    save_changes(args, live);
  }
  if (!args.hex) show(live_final_view(live.module));
  if (live.capture >= 0) close(live.capture);
  if (args.link) unlink(args.link);
  close(line.fd);
  if (line.slave >= 0) close(line.slave);
  return live.failed ? 2 : 0;
}

}  // namespace

int module_command(const char* name, int argc, char** argv) {
  ModuleArgs args;
  std::string error;
  s_name = name;
  bool parsed = parse(argc, argv, &args, &error);
  if (args.help) {
    printf(HELP, name);
    return 0;
  }
  if (!parsed) return failed(error);
  Module module = module_new(args.lines);
  if (args.state && !load_state(args.state, module, &error)) return failed(error);
  return args.read ? read_mode(args, module) : live_mode(args, module);
}
