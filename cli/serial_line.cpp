#include "cli/serial_device.h"
#include "cli/serial_line.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/time.h>
#include <termios.h>
#include <unistd.h>

#include "cli/line_words.h"
#include "cli/messages.h"
#include "cli/process.h"
#include "cli/posix.h"
#include "serial/line_state.h"

namespace {

const struct {
  unsigned long rate;
  speed_t code;
} SPEEDS[] = {{1200, B1200}, {2400, B2400}, {4800, B4800}, {9600, B9600}};

speed_t speed_code(unsigned long rate) {
  for (const auto& s : SPEEDS)
    if (s.rate == rate) return s.code;
  return B0;
}

unsigned long speed_rate(speed_t code) {
  for (const auto& s : SPEEDS)
    if (s.code == code) return s.rate;
  return 0;
}

// Returns false for a character device that the kernel files under another class than
// tty (a watchdog, a disk): opening one alone can act on the machine. Devices that sysfs
// does not list (pseudo-terminals among them) are told apart after the open, by isatty.
bool may_be_terminal(const struct stat& device) {
  char path[64], target[256];
  snprintf(path, sizeof path, "/sys/dev/char/%u:%u/subsystem", major(device.st_rdev),
           minor(device.st_rdev));
  ssize_t length = readlink(path, target, sizeof target - 1);
  if (length < 0) return true;
  target[length] = '\0';
  const char* name = strrchr(target, '/');
  return strcmp(name ? name + 1 : target, "tty") == 0;
}

// The line as the serial channel's shared check sees it.
LineState line_state_of(const termios& t) {
  int size = (t.c_cflag & CSIZE) == CS8 ? 8 : (t.c_cflag & CSIZE) == CS7 ? 7 : 6;
  int parity = !(t.c_cflag & PARENB) ? 0 : (t.c_cflag & PARODD) ? 1 : 2;
  LineState state = {speed_rate(cfgetospeed(&t)),  size,           parity,
                     (t.c_cflag & CSTOPB) ? 2 : 0, t.c_cc[VSTART], t.c_cc[VSTOP]};
  return state;
}

// Raw 8N1 at <rate>: no output processing, no echo, no line discipline in the way. Hardware
// flow control stays as the port holds it; CLOCAL, so that a display without a carrier line
// neither blocks nor hangs up the port. Returns "" or the reason the line refused.
std::string set_line(int fd, unsigned long rate) {
  termios t;
  if (tcgetattr(fd, &t) != 0) return device_cause(errno);
  tcflag_t hardware_flow = t.c_cflag & CRTSCTS;
  cfmakeraw(&t);
  t.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS);
  t.c_cflag |= CS8 | CLOCAL | CREAD | hardware_flow;
  cfsetispeed(&t, speed_code(rate));
  cfsetospeed(&t, speed_code(rate));
  if (tcsetattr(fd, TCSANOW, &t) != 0 || tcgetattr(fd, &t) != 0) return device_cause(errno);
  // tcsetattr succeeds when any one setting was taken.
  if (!line_state_fits(line_state_of(t), rate)) return frame_refused(rate);
  return "";
}

// Waits until <fd> takes more bytes, the deadline passes or a stop is asked for. Returns
// nothing; the caller looks again.
void wait_writable(int fd, long long deadline) {
  long long left = deadline - now_ms();
  pollfd p = {fd, POLLOUT, 0};
  if (left > 0 && !stop_requested) poll(&p, 1, left < 100 ? (int)left : 100);
}

std::string write_all(int fd, unsigned long rate, const std::string& bytes) {
  long long limit = write_limit_ms(rate, bytes.size()), deadline = now_ms() + limit;
  size_t sent = 0;
  while (sent < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + sent, bytes.size() - sent);
    if (n > 0) {
      sent += (size_t)n;
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return device_cause(errno);
    if (stop_requested) return "interrupted";
    if (now_ms() >= deadline) return took_words(sent, bytes.size(), limit);
    wait_writable(fd, deadline);
  }
  return "";
}

void on_tick(int) {}

// From <first_ms> on, SIGALRM comes every <interval_ms>, so that a call that waits on the
// driver without a time limit of its own (tcdrain, the close of a line with output left)
// returns within that interval; 0 stops it. It repeats: a signal that came just before
// such a call would be spent, and the call would then wait unbounded. Once stopped, a tick
// still on its way is ignored, so that it cannot cut short a later write (qemu-user, say,
// hands a host's signal on to the program late).
void tick(long first_ms, long interval_ms) {
  itimerval timer = {{interval_ms / 1000, interval_ms % 1000 * 1000},
                     {first_ms / 1000, first_ms % 1000 * 1000}};
  struct sigaction tick_action = {};
  tick_action.sa_handler = first_ms ? on_tick : SIG_IGN;  // no SA_RESTART: EINTR
  if (first_ms) sigaction(SIGALRM, &tick_action, NULL);
  setitimer(ITIMER_REAL, &timer, NULL);
  if (!first_ms) sigaction(SIGALRM, &tick_action, NULL);
}

int driver_drain(int fd) { return tcdrain(fd); }
int driver_queued(int fd, int* count) { return ioctl(fd, TIOCOUTQ, count); }

// Waits until the driver has sent <count> bytes written last: tcdrain reaches the drivers'
// own wait, which for some adapters and UARTs includes the chip's buffer, where the
// driver's count of queued bytes does not. A line that was hung up (a USB adapter pulled
// out) ends the wait as if drained, so the count is asked for once more: it fails then.
std::string wait_until_sent(int fd, unsigned long rate, size_t count) {
  long long limit = write_limit_ms(rate, count), deadline = now_ms() + limit;
  while (g_drain_calls.drain(fd) != 0) {
    if (errno != EINTR) return device_cause(errno);
    if (stop_requested) return "interrupted";
    if (now_ms() >= deadline) {
      int left = 0;
      if (g_drain_calls.queued(fd, &left) != 0) return device_cause(errno);
      return unsent_words(left, limit);
    }
  }
  int left = 0;
  if (g_drain_calls.queued(fd, &left) != 0) return device_cause(errno);
  return left == 0 ? "" : "the driver still holds " + std::to_string(left) + " bytes";
}

}  // namespace

DrainCalls g_drain_calls = {driver_drain, driver_queued};

std::string device_cause(int error) {
  switch (error) {
    case ENOENT:
      return "no such device";
    case EACCES:
    case EPERM:
      return "permission denied (is the user in the group that owns the device?)";
    case EBUSY:
    case EWOULDBLOCK:
      return "in use by another program";
    case EIO:
    case ENXIO:
    case ENODEV:
      return "the device went away";
    default:
      return file_cause(error);
  }
}

std::string serial_device_open(const char* path, int* fd) {
  struct stat device;
  if (stat(path, &device) != 0) return device_cause(errno);
  if (!S_ISCHR(device.st_mode) || !may_be_terminal(device)) return "not a serial device";
  *fd = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (*fd < 0) return device_cause(errno);
  std::string error;
  // A terminal that goes away just after the open (a USB adapter pulled out) answers EIO;
  // only ENOTTY says that it is none.
  if (!isatty(*fd))
    error = errno == ENOTTY ? "not a serial device" : device_cause(errno);
  else if (flock(*fd, LOCK_EX | LOCK_NB) != 0)
    error = device_cause(errno);
  if (!error.empty()) close(*fd);
  return error;
}

std::string serial_line_open(const char* path, unsigned long rate, int* fd) {
  std::string error = serial_device_open(path, fd);
  if (error.empty() && !(error = set_line(*fd, rate)).empty()) close(*fd);
  return error;
}

std::string serial_line_send(int fd, unsigned long rate, const std::string& bytes) {
  tick(100, 100);
  std::string error = write_all(fd, rate, bytes);
  if (error.empty()) error = wait_until_sent(fd, rate, bytes.size());
  tick(0, 0);
  return error;
}

void serial_line_close(int fd, bool discard) {
  if (discard) {
    // The output left is dropped where the driver can (the kernel's own buffer); what the
    // adapter holds would keep the close waiting for up to 30 s, so the ticks cut that
    // wait short.
    tcflush(fd, TCOFLUSH);
    tick(1, 50);
  }
  close(fd);
  tick(0, 0);
}

std::string send_to_line(const char* port, unsigned long rate, const std::string& bytes) {
  int fd = -1;
  std::string error = serial_line_open(port, rate, &fd);
  if (error.empty()) {
    error = serial_line_send(fd, rate, bytes);
    serial_line_close(fd, !error.empty());
  }
  return error.empty() ? "" : std::string(port) + ": " + error;
}

const char PORT_NAME[] = "DEVICE";
const char PORT_HELP[] =
    "  --port DEVICE        the serial device the display is on (e.g. /dev/ttyUSB0;\n"
    "                       glimmerset ports lists them, and a script names a USB adapter\n"
    "                       by its stable name under /dev/serial/by-id/)\n";

const char* port_argument_error(const char*) { return NULL; }
