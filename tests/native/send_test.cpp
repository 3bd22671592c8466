// glimmerset send on pseudo-terminals: the bytes and line settings a display gets, and how a
// line that cannot be used, or arguments that are wrong, end the run.
#include <errno.h>
#include <fcntl.h>
#include <glob.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "cli/posix.h"
#include "cli/serial_device.h"
#include "module/hex.h"
#include "spawn.h"

namespace {

const std::string STORE = "\x1BX0";

std::string screen(const std::vector<std::string>& lines) {
  std::string text = "\x0C";
  for (const std::string& line : lines) text += line + std::string(20 - line.size(), ' ');
  return text;
}

std::string config(unsigned char brightness, unsigned char startup, unsigned char delay,
                   unsigned char mode) {
  return std::string("\x1BW") + (char)brightness + (char)startup + (char)delay + (char)mode +
         std::string(4, '\x80');
}

// The bytes of the window's initial state.
const std::string INITIAL = screen({"", "", "", ""}) + STORE + config(0x83, 0x80, 0x80, 0x80);

// A display's line: the test reads the master, glimmerset is given the slave's path.
struct Pty {
  int master = -1;
  int slave = -1;
  std::string path;
};

// Opens a raw pty at 19200 bit/s with two stop bits and output processing on, and with
// hardware flow control as <crtscts> says: a port left behind by another program.
Pty open_pty(bool crtscts = false) {
  Pty pty;
  char name[256];
  if (openpty(&pty.master, &pty.slave, name, NULL, NULL) != 0) return pty;
  pty.path = name;
  fcntl(pty.master, F_SETFL, fcntl(pty.master, F_GETFL) | O_NONBLOCK);
  // glimmerset must not inherit the far side: closing it here is a device going away.
  fcntl(pty.master, F_SETFD, FD_CLOEXEC);
  fcntl(pty.slave, F_SETFD, FD_CLOEXEC);
  termios t;
  tcgetattr(pty.slave, &t);
  cfmakeraw(&t);
  cfsetspeed(&t, B19200);
  t.c_cflag |= CSTOPB | (crtscts ? CRTSCTS : 0);
  t.c_oflag |= OPOST;
  tcsetattr(pty.slave, TCSANOW, &t);
  return pty;
}

void close_pty(Pty& pty) {
  if (pty.master >= 0) close(pty.master);
  if (pty.slave >= 0) close(pty.slave);
  pty = Pty();
}

// Returns what the display received: glimmerset has ended, so it is all in the pty.
std::string received(const Pty& pty) {
  std::string bytes;
  char buffer[4096];
  ssize_t got;
  while ((got = read(pty.master, buffer, sizeof buffer)) > 0) bytes.append(buffer, (size_t)got);
  return bytes;
}

// Holds the line off as a display that stopped taking bytes: the pty is filled from the
// slave side until nothing more fits for half a second, raw as glimmerset writes (with
// output processing on, a full tty still takes a short raw write).
void fill(const Pty& pty) {
  termios t;
  tcgetattr(pty.slave, &t);
  cfmakeraw(&t);
  tcsetattr(pty.slave, TCSANOW, &t);
  int fd = open(pty.path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK);
  const std::string filler(4096, 'f');
  for (long long last_taken = now_ms(); now_ms() - last_taken < 500;)
    if (write(fd, filler.data(), filler.size()) > 0) last_taken = now_ms();
  close(fd);
}

struct Outcome {
  int code = -1;
  std::string out;  // standard output
  std::string err;  // standard error
  long long ms = 0;
};

// Runs "glimmerset send <args>" to its end.
Outcome send(std::vector<std::string> args) {
  std::string out = testing::TempDir() + "send_out", err = testing::TempDir() + "send_err";
  args.insert(args.begin(), "send");
  Outcome o;
  long long start = now_ms();
  pid_t pid = start_glimmerset(args, out, err);
  o.code = pid > 0 ? end_program(pid, false) : -1;
  o.ms = now_ms() - start;
  o.out = file_text(out);
  o.err = file_text(err);
  return o;
}

}  // namespace

TEST(Send, BytesAndLineSettingsAtBothRates) {
  static const struct {
    const char* what;
    std::vector<std::string> options;
    std::string bytes;
  } cases[] = {
      {"the window's initial state", {}, INITIAL},
      {"every option changed",
       {"--screen", "2x20", "--line1",
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE2\x82\xAC",
        "--line2", "20 characters long!", "--show-startup", "--brightness=75", "--delay", "42",
        "--write-protect", "--old-mode", "--no-auto-dim"},
       screen({"Gr\xFC\xDF"
               "e \x80",
               "20 characters long!"}) +
           STORE + config(0x82, 0x81, 0x2A, 0x87)},
      {"no text",
       {"--no-text", "--brightness", "25", "--delay", "120"},
       config(0x80, 0x80, 0x78, 0x80)},
      {"no store, another code page",
       {"--no-store", "--codepage", "CP437", "--line1", "\xC3\xA9", "--line4", "x"},
       screen({"\x82", "", "", "x"}) + config(0x83, 0x80, 0x80, 0x80)},
      {"an option's name as text, a third code page",
       {"--line1=--show-startup", "--codepage=koi8-r", "--line2",
        "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"},
       screen({"--show-startup", "\xF0\xD2\xC9\xD7\xC5\xD4", "", ""}) + STORE +
           config(0x83, 0x80, 0x80, 0x80)},
  };
  for (const char* rate : {"9600", "2400"}) {
    for (const auto& c : cases) {
      std::string what = std::string(c.what) + " at " + rate;
      bool crtscts = &c - cases == 1;
      Pty pty = open_pty(crtscts);
      std::vector<std::string> args = c.options;
      args.insert(args.end(), {"--baud", rate, "--port", pty.path});
      Outcome o = send(args);
      EXPECT_EQ(0, o.code) << what << ": " << o.err;
      EXPECT_EQ("Configuration complete.\n", o.err) << what;
      EXPECT_EQ(hex_of(c.bytes), hex_of(received(pty))) << what << ": bytes on the line";
      termios t;
      ASSERT_EQ(0, tcgetattr(pty.slave, &t));
      EXPECT_EQ(atoi(rate) == 9600 ? B9600 : B2400, cfgetospeed(&t)) << what << ": speed";
      EXPECT_EQ((tcflag_t)CS8, t.c_cflag & CSIZE) << what << ": data bits";
      EXPECT_FALSE(t.c_cflag & (PARENB | CSTOPB)) << what << ": parity or two stop bits";
      EXPECT_FALSE(t.c_oflag & OPOST) << what << ": output processing";
      EXPECT_EQ(crtscts, (t.c_cflag & CRTSCTS) != 0) << what << ": hardware flow control kept";
      close_pty(pty);

      std::string file = testing::TempDir() + "send_output";
      args.resize(args.size() - 2);
      args.insert(args.end(), {"--output", file});
      EXPECT_EQ(0, send(args).code) << what << " into a file";
      EXPECT_EQ(hex_of(c.bytes), hex_of(file_text(file))) << what << ": bytes in the file";
      remove(file.c_str());
    }
  }
}

TEST(Send, AHeldOffLineEndsTheRunWithinFiveSeconds) {
  for (const char* rate : {"9600", "2400"}) {
    Pty pty = open_pty();
    fill(pty);
    Outcome o = send({"--port", pty.path, "--baud", rate});
    EXPECT_EQ(1, o.code) << rate;
    EXPECT_NE(std::string::npos, o.err.find(pty.path + ": the line took no bytes for")) << o.err;
    EXPECT_LT(o.ms, 5000) << rate << ": the run lasted " << o.ms << " ms";
    close_pty(pty);
  }
}

// Returns true once another process than this test has <path> open (a run waiting on a
// held-off line).
bool opened(const std::string& path) {
  std::string ours = "/proc/" + std::to_string(getpid()) + "/";
  return wait_for([&] {
    glob_t found;
    bool open = false;
    if (glob("/proc/[0-9]*/fd/*", 0, NULL, &found) != 0) return false;
    for (size_t i = 0; i < found.gl_pathc && !open; i++) {
      if (!strncmp(found.gl_pathv[i], ours.c_str(), ours.size())) continue;
      char target[256] = "";
      ssize_t n = readlink(found.gl_pathv[i], target, sizeof target - 1);
      open = n > 0 && path == std::string(target, (size_t)n);
    }
    globfree(&found);
    return open;
  });
}

TEST(Send, ADeviceThatGoesAwayDuringTheRun) {
  Pty pty = open_pty();
  fill(pty);
  std::string out = testing::TempDir() + "send_gone";
  pid_t pid = start_glimmerset({"send", "--port", pty.path, "--baud", "2400"}, out);
  ASSERT_GT(pid, 0);
  // Once the program has the device open, the far side goes: the line is held off
  // meanwhile, so the run is still waiting for it.
  ASSERT_TRUE(opened(pty.path));
  close(pty.master);
  pty.master = -1;
  EXPECT_EQ(1, end_program(pid, false));
  EXPECT_EQ("glimmerset send: " + pty.path + ": the device went away\n", file_text(out));
  close_pty(pty);
}

TEST(Send, RefusesWhatIsNoSerialLineUntouched) {
  std::string dir = testing::TempDir() + "send_test.XXXXXX";
  ASSERT_NE(nullptr, mkdtemp(&dir[0]));
  std::string file = dir + "/capture.bin";
  FILE* f = fopen(file.c_str(), "wb");
  fputs("untouched", f);
  fclose(f);
  static const struct {
    std::string port, cause;
  } cases[] = {
      {"/dev/null", "not a serial device"},
      {file, "not a serial device"},
      {dir, "not a serial device"},
      {dir + "/missing", "no such device"},
  };
  for (const auto& c : cases) {
    Outcome o = send({"--port", c.port});
    EXPECT_EQ(1, o.code) << c.port;
    EXPECT_EQ("glimmerset send: " + c.port + ": " + c.cause + "\n", o.err) << c.port;
  }
  EXPECT_EQ("untouched", file_text(file)) << "the plain file";
  ASSERT_EQ(0, system(("rm -rf " + dir).c_str()));
}

TEST(Send, ALineAnotherProgramHoldsIsInUse) {
  Pty pty = open_pty();
  int holder = open(pty.path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_EQ(0, flock(holder, LOCK_EX));
  Outcome o = send({"--port", pty.path});
  EXPECT_EQ(1, o.code);
  EXPECT_EQ("glimmerset send: " + pty.path + ": in use by another program\n", o.err);
  EXPECT_EQ("", hex_of(received(pty))) << "bytes on a line another program holds";
  close(holder);
  close_pty(pty);
}

TEST(Send, WrongArgumentsLeaveTheLineUntouched) {
  static const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"--baud", "1200"}, "--baud '1200': must be 9600 or 2400"},
      {{"--screen", "4x40"}, "--screen '4x40': must be 4x20 or 2x20"},
      {{"--brightness", "60"}, "--brightness '60': must be 25, 50, 75 or 100"},
      {{"--delay", "121"}, "--delay '121': must be a whole number from 0 to 120 (units of 0.5 s)"},
      {{"--delay", "1.5"}, "--delay '1.5': must be a whole number from 0 to 120 (units of 0.5 s)"},
      {{"--line1", "twenty-one characters"},
       "--line1 'twenty-one characters': 21 bytes in windows-1252, more than the 20 of a line "
       "(\"s\" is the first character that does not fit)"},
      {{"--line2", "\xE2\x86\x92 exit"},
       "--line2 '\xE2\x86\x92 exit': \"\xE2\x86\x92\" (U+2192) is not in windows-1252"},
      {{"--line3", "a\tb"}, "--line3 'a\\x09b': control character U+0009"},
      {{"--line1", "\xFF"}, "--line1 '\\xFF': not valid UTF-8 text (byte \\xFF at 1)"},
      {{"--line2", "cafe\xCC\x81"},
       "--line2 'cafe\xCC\x81': \"e\xCC\x81\" (\"e\" and the combining mark U+0301) is not in "
       "windows-1252; type the letter with its mark as one character"},
      {{"--line1", "--show-startup"},
       "--line1 needs a value, but '--show-startup' is an option (as the value, write "
       "--line1=--show-startup)"},
      {{"--baud", "\x1B[2J"}, "--baud '\\x1B[2J': must be 9600 or 2400"},
      {{"--screen", "2x20", "--line4", "x"}, "--line4: a 2x20 screen has no line 4"},
      {{"--no-text", "--line1", "x"}, "--line1: --no-text sends no screen text"},
      // Names iconv knows, but conversions that are not one exact byte a character.
      {{"--codepage", "UTF-16"}, "--codepage 'UTF-16': not one of the code pages offered"},
      {{"--codepage", "windows-1252//TRANSLIT"},
       "--codepage 'windows-1252//TRANSLIT': not one of the code pages offered"},
      {{"--codepage", "ISO-2022-JP"},
       "--codepage 'ISO-2022-JP': not one of the code pages offered"},
      {{"--delay", "1", "--delay", "2"}, "--delay is given twice"},
      {{"--delay"}, "--delay needs a value"},
      {{"--no-store=yes"}, "--no-store takes no value"},
      {{"--speed", "9600"}, "unknown option '--speed'"},
      {{"--", "x"}, "unexpected argument 'x'"},
      {{"--", "--speed"}, "unexpected argument '--speed'"},
      {{"--output", "-"}, "give only one of --port and --output"},
  };
  for (const auto& c : cases) {
    Pty pty = open_pty();
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), {"--port", pty.path});
    Outcome o = send(args);
    std::string what = c.args[0] + " " + (c.args.size() > 1 ? c.args[1] : "");
    EXPECT_EQ(2, o.code) << what;
    EXPECT_EQ("glimmerset send: " + c.message + " (see glimmerset send --help)\n", o.err) << what;
    EXPECT_EQ("", hex_of(received(pty))) << what << ": bytes on the line";
    termios t;
    tcgetattr(pty.slave, &t);
    EXPECT_EQ(B19200, cfgetospeed(&t)) << what << ": the line's speed";
    close_pty(pty);
  }
}

// Ctrl+C reaches the terminal's whole foreground group: the shell and the run that waits on a
// held-off line. The run ends by that signal, so the shell loop around it stops as well,
// instead of going on with the next unit.
TEST(Send, CtrlCStopsTheShellLoopAroundIt) {
  Pty pty = open_pty();
  fill(pty);
  std::string done = testing::TempDir() + "send_loop_done";
  remove(done.c_str());
  std::string loop = "for unit in 1 2 3; do '" + std::string(GLIMMERSET_EXE) + "' send --port " +
                     pty.path + "; echo $unit >>" + done + "; done";
  pid_t shell = start_program({"bash", "-c", loop}, testing::TempDir() + "send_loop_out", "", true);
  ASSERT_GT(shell, 0);
  ASSERT_TRUE(opened(pty.path));
  kill(-shell, SIGINT);
  EXPECT_EQ(128 + SIGINT, end_program(shell, false)) << "how the shell ended";
  EXPECT_EQ("", file_text(done)) << "units the loop went on with";
  close_pty(pty);
}

// Output that cannot be written is a failure, never "complete".
TEST(Send, OutputThatCannotBeWrittenFails) {
  static const struct {
    std::string command;
    int code;
    std::string message;
  } cases[] = {
      {"--version >/dev/full", 1, "glimmerset: standard output: no space left on the device"},
      {"send --help >/dev/full", 1,
       "glimmerset send: standard output: no space left on the device"},
      {"send --output - >/dev/full", 1,
       "glimmerset send: standard output: no space left on the device"},
      {"send --output /dev/full", 1, "glimmerset send: /dev/full: no space left on the device"},
      {"module --read /dev/null >/dev/full", 2,
       "glimmerset module: standard output: no space left on the device"},
  };
  std::string err = testing::TempDir() + "send_full_err";
  for (const auto& c : cases) {
    int status =
        system(("'" + std::string(GLIMMERSET_EXE) + "' " + c.command + " 2>" + err).c_str());
    EXPECT_EQ(c.code, WIFEXITED(status) ? WEXITSTATUS(status) : -1) << c.command;
    EXPECT_EQ(c.message + "\n", file_text(err)) << c.command;
  }
}

// Whatever the program's file is called (a static program is handed out as
// glimmerset-VERSION-linux-PROCESSOR), its messages name glimmerset and the subcommand.
TEST(Send, MessagesNameGlimmersetWhateverTheFileIsCalled) {
  static const struct {
    std::string args;
    int code;
    std::string first_line;  // of standard output, else of standard error
  } cases[] = {
      {"send --help", 0, "usage: glimmerset send (--port DEVICE | --output FILE) [options]"},
      {"send --bogus", 2, "glimmerset send: unknown option '--bogus' (see glimmerset send --help)"},
      {"sned", 2, "glimmerset: unknown command 'sned' (see glimmerset --help)"},
      {"--bogus", 2, "glimmerset: unknown option '--bogus' (see glimmerset --help)"},
      {"--version --bogus", 2, "glimmerset: unknown option '--bogus' (see glimmerset --help)"},
      {"--version x", 2, "glimmerset: unexpected argument 'x' (see glimmerset --help)"},
  };
  std::string renamed = testing::TempDir() + "glimmerset-1.1-linux-test",
              out = testing::TempDir() + "renamed_out";
  unlink(renamed.c_str());
  ASSERT_EQ(0, symlink(GLIMMERSET_EXE, renamed.c_str()));
  for (const auto& c : cases) {
    int status = system((renamed + " " + c.args + " >" + out + " 2>&1").c_str());
    EXPECT_EQ(c.code, WIFEXITED(status) ? WEXITSTATUS(status) : -1) << c.args;
    std::string text = file_text(out);
    EXPECT_EQ(c.first_line, text.substr(0, text.find('\n'))) << c.args;
  }
  unlink(renamed.c_str());
}

namespace {

int drain_fails(int) { return errno = EIO, -1; }
int drains(int) { return 0; }
int drain_never_ends(int) { return usleep(10000), errno = EINTR, -1; }
int count_fails(int, int*) { return errno = EIO, -1; }
int nothing_queued(int, int* count) { return *count = 0; }

}  // namespace

// A pseudo-terminal always drains at once; the driver's answers stand in for an adapter's.
TEST(Send, TheDriverDecidesWhetherTheBytesLeft) {
  static const struct {
    const char* what;
    DrainCalls calls;
    std::string error;
  } cases[] = {
      {"the drain fails", {drain_fails, nothing_queued}, "the device went away"},
      // A hang-up ends the drain as if the bytes had left; only the count tells.
      {"hung up while draining", {drains, count_fails}, "the device went away"},
      {"the adapter holds the bytes",
       {drain_never_ends, nothing_queued},
       "the adapter did not send its last bytes within 1.0 s"},
      {"the bytes left", {drains, nothing_queued}, ""},
  };
  const DrainCalls driver = g_drain_calls;
  for (const auto& c : cases) {
    Pty pty = open_pty();
    int fd = -1;
    ASSERT_EQ("", serial_line_open(pty.path.c_str(), 9600, &fd)) << c.what;
    g_drain_calls = c.calls;
    std::string error = serial_line_send(fd, 9600, "x");
    g_drain_calls = driver;
    serial_line_close(fd, !error.empty());
    EXPECT_EQ(c.error, error) << c.what;
    close_pty(pty);
  }
}
