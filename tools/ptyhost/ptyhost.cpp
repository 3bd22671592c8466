// Pseudo-terminal host for running Glimmerset under Wine without a real serial port.
//
//   ptyhost serve --dir LINKDIR --port-file F
//     Keeps the links LINKDIR/com1 .. com255 (which the Wine prefix lists as COM1..COM255)
//     and points each at a pty, an unopenable folder, /dev/full or a plain file, as told by
//     a test over TCP 127.0.0.1 (port number written to F). One client at a time; one
//     command per line, one reply line "OK ..." or "ERR <reason>":
//       PTY n [speed stopbits crtscts ixon]  fresh raw pty on COMn, optionally set up first
//       HELD n | FULL n | NULL n | FILE n    folder (open fails) | /dev/full | /dev/null |
//                                            plain file
//       CONTENT n                            OK <hex of the plain file's bytes>
//       BYTES n                              OK <hex of all bytes written since PTY/BYTES>
//       VIEW n                               OK <the display module's view, as one line of
//                                            JSON, of the bytes since PTY/VIEW (20x4)>
//       ATTR n                               OK speed=.. csize=.. parenb=.. cstopb=.. ...
//       XCHARS n start stop                  set the pty's XON/XOFF characters (decimal)
//       STALL n                              stop reading the master until BYTES n, so
//                                            that a writer blocks once the pty is full
//       FILL n                               stall, then fill the pty until nothing more
//                                            fits: OK <filler bytes>; later reads drop them
//       PACE n bps                           the line takes bps bytes a second: a writer
//                                            waits while it is busy, until BYTES n
//       GONE n                               close the master: the device went away
//       SEND hex                             run "glimmerset send --output -" (the program
//                                            beside this one) with the arguments that hex
//                                            spells, one per line: OK <hex of its output>
//
// It never opens a serial device of the machine: every link points at something it made.
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "cli/files.h"
#include "cli/posix.h"
#include "module/hex.h"
#include "module/model.h"
#include "module/views.h"

namespace {

// Every COM number that Wine takes from its list: one left unlisted would go to a serial
// device of the machine that Wine finds by itself. Wine gives COM256 to such a device
// whatever the list says; no program of ours opens a number above 255.
const int PORTS = 255;

// Set by SIGINT or SIGTERM: the host ends.
volatile sig_atomic_t s_stop = 0;

// What one COM link currently leads to. A pty keeps both ends open here: the slave so
// that the line settings survive Wine closing the port, the master to collect the bytes.
struct Port {
  int master = -1;
  int slave = -1;
  bool stalled = false;      // the master is not read: writes block once the pty is full
  size_t filler = 0;         // bytes of FILL still queued ahead of the program's bytes
  long pace = 0;             // bytes a second the line takes (PACE); 0: no pacing
  long long busy_until = 0;  // now_ms() when the paced line has sent what it holds; 0: idle
  std::string received;      // bytes from the master not yet handed out by BYTES
  std::string unviewed;      // bytes from the master not yet decoded by VIEW
};

std::string link_dir;
Port ports[PORTS + 1];

std::string link_path(int n) { return link_dir + "/com" + std::to_string(n); }

std::string file_path(int n) { return link_dir + "/file" + std::to_string(n); }

void drop(Port& port) {
  if (port.master >= 0) close(port.master);
  if (port.slave >= 0) close(port.slave);
  port = Port();
}

// A paced port stands in for a device that takes bytes at the pace of the line. Reading
// the master slowly does not do that: after a fill, one byte read frees about 2 KB of room
// at once, the next room comes only some 2 KB later, and a writer blocked meanwhile is not
// woken until the master's buffer is almost empty (over 40 s at 240 bytes a second). So
// the master is read at once, and the slave's output is stopped (as by flow control) for
// the wire time of every byte that arrived: a writer waits while the line is busy. Writes
// that follow each other faster than the host reads pass together and are then held for
// their whole wire time, so a write waits at most as long as what went before it needs.
void hold_for_wire_time(Port& port, size_t bytes) {
  if (port.pace == 0 || bytes == 0) return;
  long long now = now_ms();
  if (port.busy_until < now) port.busy_until = now;
  port.busy_until += (long long)bytes * 1000 / port.pace;
  tcflow(port.slave, TCOOFF);
}

// Lets a paced port's writer on once the line has sent what it held. Returns nothing.
void release_when_sent(Port& port) {
  if (port.pace == 0 || port.busy_until == 0 || now_ms() < port.busy_until) return;
  port.busy_until = 0;
  tcflow(port.slave, TCOON);
}

// Appends whatever the master holds right now to port.received, after dropping what is
// left of the filler. Returns the number of bytes read.
size_t drain(Port& port) {
  size_t total = 0;
  char buffer[4096];
  while (port.master >= 0 && !port.stalled) {
    ssize_t got = read(port.master, buffer, sizeof buffer);
    if (got <= 0) break;
    size_t skip = port.filler < (size_t)got ? port.filler : (size_t)got;
    port.filler -= skip;
    port.received.append(buffer + skip, (size_t)got - skip);
    port.unviewed.append(buffer + skip, (size_t)got - skip);
    hold_for_wire_time(port, (size_t)got - skip);
    total += (size_t)got;
  }
  release_when_sent(port);
  return total;
}

struct BaudName {
  speed_t code;
  long baud;
};
const BaudName BAUDS[] = {
    {B0, 0},         {B50, 50},       {B75, 75},         {B110, 110},       {B134, 134},
    {B150, 150},     {B200, 200},     {B300, 300},       {B600, 600},       {B1200, 1200},
    {B1800, 1800},   {B2400, 2400},   {B4800, 4800},     {B9600, 9600},     {B19200, 19200},
    {B38400, 38400}, {B57600, 57600}, {B115200, 115200}, {B230400, 230400},
};

long baud_of(speed_t code) {
  for (const BaudName& b : BAUDS)
    if (b.code == code) return b.baud;
  return -1;
}

bool code_of(long baud, speed_t* code) {
  for (const BaudName& b : BAUDS)
    if (b.baud == baud) {
      *code = b.code;
      return true;
    }
  return false;
}

std::string do_pty(int n, const std::vector<std::string>& args) {
  if (args.size() != 0 && args.size() != 4)
    return "ERR PTY takes n or n speed stopbits crtscts ixon";
  drop(ports[n]);
  std::string slave_path;
  if (!open_raw_pty(&ports[n].master, &ports[n].slave, &slave_path))
    return std::string("ERR openpty: ") + strerror(errno);
  if (args.size() == 4) {
    termios t;
    speed_t code;
    tcgetattr(ports[n].slave, &t);
    if (!code_of(atol(args[0].c_str()), &code)) return "ERR unknown speed " + args[0];
    cfsetispeed(&t, code);
    cfsetospeed(&t, code);
    t.c_cflag &= ~(tcflag_t)(CSTOPB | CRTSCTS);
    t.c_iflag &= ~(tcflag_t)(IXON | IXOFF);
    if (atoi(args[1].c_str()) == 2) t.c_cflag |= CSTOPB;
    if (atoi(args[2].c_str())) t.c_cflag |= CRTSCTS;
    if (atoi(args[3].c_str())) t.c_iflag |= IXON | IXOFF;
    if (tcsetattr(ports[n].slave, TCSANOW, &t) != 0)
      return std::string("ERR tcsetattr: ") + strerror(errno);
  }
  if (!point_link(link_path(n), slave_path)) return std::string("ERR link: ") + strerror(errno);
  return "OK " + slave_path;
}

std::string do_file(int n) {
  drop(ports[n]);
  std::string path = file_path(n);
  FILE* f = fopen(path.c_str(), "wb");
  if (!f || fputs("untouched\n", f) < 0 || fclose(f) != 0)
    return std::string("ERR ") + path + ": " + strerror(errno);
  if (!point_link(link_path(n), path)) return std::string("ERR link: ") + strerror(errno);
  return "OK";
}

// Returns true with the file's bytes in <bytes>, false when it cannot be read.
bool read_file(const std::string& path, std::string* bytes) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  int c;
  while ((c = fgetc(f)) != EOF) *bytes += (char)c;
  fclose(f);
  return true;
}

std::string do_content(int n) {
  std::string bytes;
  if (!read_file(file_path(n), &bytes))
    return std::string("ERR ") + file_path(n) + ": " + strerror(errno);
  return "OK " + hex_of(bytes);
}

// Collects what the master receives until the line has been quiet for 100 ms (the writer
// under Wine may still be on its way), at most 3 s in all. Returns nothing.
void collect_until_quiet(Port& port) {
  long long start = now_ms();
  long long last = start;
  while (now_ms() - last < 100 && now_ms() - start < 3000) {
    pollfd p = {port.master, POLLIN, 0};
    poll(&p, 1, 20);
    if (drain(port) > 0) last = now_ms();
  }
}

std::string do_bytes(int n) {
  Port& port = ports[n];
  if (port.master < 0) return "ERR COM" + std::to_string(n) + " has no pty";
  port.stalled = false;
  port.pace = 0;
  port.busy_until = 0;
  if (port.slave >= 0) tcflow(port.slave, TCOON);
  collect_until_quiet(port);
  std::string reply = "OK " + hex_of(port.received);
  port.received.clear();
  return reply;
}

// Decodes the bytes since PTY or the last VIEW as a 20x4 module takes them; BYTES keeps
// its own copy. Returns the JSON view, which is one line: control bytes in it are escaped.
std::string do_view(int n) {
  Port& port = ports[n];
  if (port.master < 0) return "ERR COM" + std::to_string(n) + " has no pty";
  collect_until_quiet(port);
  Module module = module_new(4);
  module_feed(module, port.unviewed.data(), port.unviewed.size());
  module_finish(module);
  port.unviewed.clear();
  std::string json = json_view(module);
  return "OK " + json.substr(0, json.find('\n'));
}

std::string do_attr(int n) {
  termios t;
  if (ports[n].slave < 0) return "ERR COM" + std::to_string(n) + " has no pty";
  if (tcgetattr(ports[n].slave, &t) != 0) return std::string("ERR tcgetattr: ") + strerror(errno);
  static const int sizes[] = {5, 6, 7, 8};
  int csize = sizes[(t.c_cflag & CSIZE) == CS5   ? 0
                    : (t.c_cflag & CSIZE) == CS6 ? 1
                    : (t.c_cflag & CSIZE) == CS7 ? 2
                                                 : 3];
  char reply[200];
  snprintf(reply, sizeof reply,
           "OK speed=%ld csize=%d parenb=%d cstopb=%d crtscts=%d ixon=%d ixoff=%d vstart=%d "
           "vstop=%d",
           baud_of(cfgetospeed(&t)), csize, !!(t.c_cflag & PARENB), !!(t.c_cflag & CSTOPB),
           !!(t.c_cflag & CRTSCTS), !!(t.c_iflag & IXON), !!(t.c_iflag & IXOFF), t.c_cc[VSTART],
           t.c_cc[VSTOP]);
  return reply;
}

std::string do_xchars(int n, const std::vector<std::string>& args) {
  termios t;
  if (args.size() != 2) return "ERR XCHARS takes n start stop";
  if (ports[n].slave < 0) return "ERR COM" + std::to_string(n) + " has no pty";
  if (tcgetattr(ports[n].slave, &t) != 0) return std::string("ERR tcgetattr: ") + strerror(errno);
  t.c_cc[VSTART] = (cc_t)atoi(args[0].c_str());
  t.c_cc[VSTOP] = (cc_t)atoi(args[1].c_str());
  if (tcsetattr(ports[n].slave, TCSANOW, &t) != 0)
    return std::string("ERR tcsetattr: ") + strerror(errno);
  return "OK";
}

std::string do_gone(int n) {
  if (ports[n].master < 0) return "ERR COM" + std::to_string(n) + " has no pty";
  close(ports[n].master);
  ports[n].master = -1;
  return "OK";
}

std::string do_stall(int n) {
  if (ports[n].master < 0) return "ERR COM" + std::to_string(n) + " has no pty";
  ports[n].stalled = true;
  return "OK";
}

// Writes filler to the slave until nothing more fits for half a second: the tty layer
// moves queued bytes along in the background, so a first refused write still leaves room
// a moment later. Returns the reply with the number of filler bytes queued.
std::string do_fill(int n) {
  Port& port = ports[n];
  if (port.master < 0) return "ERR COM" + std::to_string(n) + " has no pty";
  port.stalled = true;
  int flags = fcntl(port.slave, F_GETFL);
  fcntl(port.slave, F_SETFL, flags | O_NONBLOCK);
  const std::string filler(4096, 'f');
  size_t queued = 0;
  long long last_taken = now_ms();
  while (now_ms() - last_taken < 500) {
    ssize_t put = write(port.slave, filler.data(), filler.size());
    if (put > 0) {
      queued += (size_t)put;
      last_taken = now_ms();
    } else {
      usleep(10000);
    }
  }
  fcntl(port.slave, F_SETFL, flags);
  port.filler += queued;
  return "OK " + std::to_string(queued);
}

std::string do_pace(int n, const std::vector<std::string>& args) {
  Port& port = ports[n];
  if (port.master < 0) return "ERR COM" + std::to_string(n) + " has no pty";
  if (args.size() != 1 || atol(args[0].c_str()) <= 0) return "ERR PACE takes n bytes_per_second";
  port.stalled = false;
  port.pace = atol(args[0].c_str());
  return "OK";
}

std::string point_at(int n, const std::string& target) {
  drop(ports[n]);
  if (!point_link(link_path(n), target)) return std::string("ERR link: ") + strerror(errno);
  return "OK";
}

// Returns the path of the glimmerset program that was built beside this one.
std::string glimmerset_path(void) {
  char self[4096];
  ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  std::string path(self, length > 0 ? (size_t)length : 0);
  return path.substr(0, path.rfind('/') + 1) + "glimmerset";
}

// Runs glimmerset send into standard output with the arguments that <hex> spells.
std::string do_send(const std::string& hex) {
  std::string joined;
  if (!bytes_of_hex(hex, &joined)) return "ERR SEND takes hex";
  std::vector<std::string> words = {glimmerset_path(), "send", "--output", "-"};
  for (size_t at = 0, end; (end = joined.find('\n', at)) != std::string::npos; at = end + 1)
    words.push_back(joined.substr(at, end - at));
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(&word[0]);
  argv.push_back(NULL);
  std::string out = link_dir + "/send.out", err = link_dir + "/send.err";
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid;
  int status = -1;
  bool started = posix_spawn(&pid, argv[0], &files, NULL, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&files);
  if (!started) return "ERR cannot run " + words[0] + ": " + strerror(errno);
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  std::string output, message;
  read_file(out, &output);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return "OK " + hex_of(output);
  read_file(err, &message);
  return "ERR exit status " + std::to_string(WEXITSTATUS(status)) + ": " +
         message.substr(0, message.find('\n'));
}

std::string run_command(const std::string& line) {
  std::vector<std::string> words;
  size_t at = 0;
  while (at < line.size()) {
    size_t end = line.find_first_of(" \t\r", at);
    if (end == std::string::npos) end = line.size();
    if (end > at) words.push_back(line.substr(at, end - at));
    at = end + 1;
  }
  if (words.size() == 2 && words[0] == "SEND") return do_send(words[1]);
  if (words.size() < 2) return "ERR expected: COMMAND n [...]";
  int n = atoi(words[1].c_str());
  if (n < 1 || n > PORTS)
    return "ERR port number out of 1.." + std::to_string(PORTS) + ": " + words[1];
  const std::string& verb = words[0];
  std::vector<std::string> args(words.begin() + 2, words.end());
  if (verb == "PTY") return do_pty(n, args);
  if (verb == "HELD") return point_at(n, link_dir + "/held");
  if (verb == "FULL") return point_at(n, "/dev/full");
  if (verb == "NULL") return point_at(n, "/dev/null");
  if (verb == "FILE") return do_file(n);
  if (verb == "CONTENT") return do_content(n);
  if (verb == "BYTES") return do_bytes(n);
  if (verb == "VIEW") return do_view(n);
  if (verb == "ATTR") return do_attr(n);
  if (verb == "XCHARS") return do_xchars(n, args);
  if (verb == "STALL") return do_stall(n);
  if (verb == "GONE") return do_gone(n);
  if (verb == "FILL") return do_fill(n);
  if (verb == "PACE") return do_pace(n, args);
  return "ERR unknown command " + verb;
}

bool send_all(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t sent = send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
    if (sent <= 0) return false;
    done += (size_t)sent;
  }
  return true;
}

// Answers the commands of one client until it disconnects, draining every pty meanwhile
// so that a writer never blocks on a full pty buffer.
void serve_client(int client) {
  std::string pending;
  while (!s_stop) {
    std::vector<pollfd> fds;
    fds.push_back({client, POLLIN, 0});
    int wait_ms = 1000;
    for (int n = 1; n <= PORTS; n++) {
      if (ports[n].busy_until != 0) wait_ms = 2;  // to let the writer on in time
      if (ports[n].master >= 0 && !ports[n].stalled) fds.push_back({ports[n].master, POLLIN, 0});
    }
    if (poll(fds.data(), fds.size(), wait_ms) < 0 && errno != EINTR) return;
    for (int n = 1; n <= PORTS; n++) drain(ports[n]);
    if (!(fds[0].revents & (POLLIN | POLLHUP | POLLERR))) continue;
    char buffer[1024];
    ssize_t got = recv(client, buffer, sizeof buffer, 0);
    if (got <= 0) return;
    pending.append(buffer, (size_t)got);
    size_t end;
    while ((end = pending.find('\n')) != std::string::npos) {
      std::string reply = run_command(pending.substr(0, end)) + "\n";
      pending.erase(0, end + 1);
      if (!send_all(client, reply)) return;
    }
  }
}

// Returns the listening socket on 127.0.0.1 at an ephemeral port, or -1.
int listen_local(int* port_number) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (fd < 0 || bind(fd, (sockaddr*)&address, sizeof address) != 0 || listen(fd, 4) != 0 ||
      getsockname(fd, (sockaddr*)&address, &length) != 0)
    return -1;
  *port_number = ntohs(address.sin_port);
  return fd;
}

int serve(const std::string& dir, const std::string& port_file) {
  link_dir = dir;
  mkdir(dir.c_str(), 0755);
  std::string held = dir + "/held";
  if (mkdir(held.c_str(), 0755) != 0 && errno != EEXIST) {
    fprintf(stderr, "ptyhost: cannot make %s: %s\n", held.c_str(), strerror(errno));
    return 1;
  }
  for (int n = 1; n <= PORTS; n++)
    if (!point_link(link_path(n), held)) {
      fprintf(stderr, "ptyhost: cannot link %s: %s\n", link_path(n).c_str(), strerror(errno));
      return 1;
    }
  int port_number = 0;
  int listener = listen_local(&port_number);
  if (listener < 0 || !write_whole(port_file, std::to_string(port_number) + "\n")) {
    fprintf(stderr, "ptyhost: cannot listen or write %s: %s\n", port_file.c_str(), strerror(errno));
    return 1;
  }
  fprintf(stderr, "ptyhost: serving %s on 127.0.0.1:%d\n", dir.c_str(), port_number);
  while (!s_stop) {
    int client = accept4(listener, NULL, NULL, SOCK_CLOEXEC);
    if (client < 0) {
      if (errno == EINTR) continue;
      perror("ptyhost: accept");
      return 1;
    }
    serve_client(client);
    close(client);
  }
  return 0;
}

void on_stop(int) { s_stop = 1; }

int usage() {
  fprintf(stderr, "usage: ptyhost serve --dir LINKDIR --port-file FILE\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  signal(SIGPIPE, SIG_IGN);
  struct sigaction stop = {};
  stop.sa_handler = on_stop;  // no SA_RESTART: poll and accept return to check the flag
  sigaction(SIGINT, &stop, NULL);
  sigaction(SIGTERM, &stop, NULL);
  std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "serve" && argc == 6 && std::string(argv[2]) == "--dir" &&
      std::string(argv[4]) == "--port-file")
    return serve(argv[3], argv[5]);
  return usage();
}
