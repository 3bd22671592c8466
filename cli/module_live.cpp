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
#include "cli/module_parts.h"
#include "cli/process.h"
#include "cli/posix.h"
#include "cli/serial_device.h"
#include "module/live.h"
#include "module/state.h"

namespace {

// The line is taken to have fallen quiet after a burst once no byte came for this long: far
// longer than the gap between two writes of one sender, far shorter than a person's pause.
const long long QUIET_MS = 100;
// A run whose configuration command has not come yet is shown once the line has been quiet
// this long: the sender has stopped, or sends something other than a configuration run.
const long long UNFINISHED_RUN_MS = 1000;

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
  module_failed(error);
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

// Listens on the live line of <args> with <module> until a stop or the line's end. Returns
// the exit status.
int live_mode(const ModuleArgs& args, const Module& module) {
  Line line;
  Live live;
  if (args.capture)
    live.capture = open(args.capture, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (args.capture && live.capture < 0) return module_failed(file_error(args.capture));
  std::string error = args.device ? open_device(args.device, &line) : open_pty(args.link, &line);
  if (!error.empty()) {
    if (live.capture >= 0) close(live.capture);
    return module_failed(error, args.device ? 1 : 2);
  }
  // On stderr, so that what arrives has standard output to itself.
  std::string where = args.link ? line.path + ", linked at " + args.link : line.path;
  fprintf(stderr, "%s: %s on %s; Ctrl+C ends\n", module_name(),
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

int (*const LIVE_MODE)(const ModuleArgs&, const Module&) = live_mode;
