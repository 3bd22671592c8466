#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <string.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>

#include "module/state.h"
#include "module/views.h"
#include "module/live.h"
#include "spawn.h"

namespace {

const std::string STORE = "\x1BX0";
const std::string CONFIG_100 = "\x1BW\x83\x80\x80\x80\x80\x80\x80\x80";
// What Glimmerset sends from its initial window.
const std::string RUN = "\x0C" + std::string(80, ' ') + STORE + CONFIG_100;

Module finished(const LiveModule& live) {
  Module copy = live.run;
  module_finish(copy);
  return copy;
}

const std::string NONE = "Anomalies: none\n";

std::string first_line(const std::string& text) { return text.substr(0, text.find('\n')); }

}  // namespace

std::string headers(const std::string& views) {
  std::string found;
  for (size_t at = views.find("== "); at != std::string::npos; at = views.find("\n== ", at + 1))
    found += first_line(views.substr(views[at] == '\n' ? at + 1 : at)) + "\n";
  return found;
}

// Each burst is followed by a quiet line.
TEST(LiveModule, RunsEndWhereTheLineFellQuietOrTheNextRunBegins) {
  static const struct {
    const char* what;
    std::vector<std::string> bursts;
    std::string ended;  // the headers of the runs that the next one ended inside a burst
    std::string last_header;
    std::string anomalies;  // the end of the last run's view
  } cases[] = {
      {"two runs", {RUN, RUN}, "", "== run 2: 94 bytes (188 received in all) ==", NONE},
      {"two runs without a pause",
       {RUN + RUN},
       "== run 1: 94 bytes (94 received in all) ==\n",
       "== run 2: 94 bytes (188 received in all) ==",
       NONE},
      {"a configuration command right after a run, its ESC at the end of a burst",
       {RUN + "\x1B", CONFIG_100.substr(1)},
       "== run 1: 94 bytes (94 received in all) ==\n",
       "== run 2: 10 bytes (104 received in all) ==",
       NONE},
      {"a store command right after a run",
       {RUN + STORE},
       "",
       "== run 1: 97 bytes (97 received in all) ==",
       "Anomalies:\n  offset 94: the stream goes on after the configuration command\n"},
      {"a pause inside the screen message",
       {RUN.substr(0, 50), RUN.substr(50)},
       "",
       "== run 1: 94 bytes (94 received in all) ==",
       NONE},
      {"a pause inside the configuration command",
       {RUN.substr(0, 88), RUN.substr(88)},
       "",
       "== run 1: 94 bytes (94 received in all) ==",
       NONE},
      {"a run without configuration goes on in the next burst",
       {"\x0C" + std::string(40, 'a'), RUN},
       "",
       "== run 1: 135 bytes (135 received in all) ==",
       "Anomalies:\n  offset 41: second screen message\n"},
      {"noise after a run",
       {RUN, "\x01"},
       "",
       "== run 2: 1 byte (95 received in all) ==",
       "Anomalies:\n  offset 0: control byte 0x01 that is no command\n"
       "  offset 1: the stream holds no configuration command (ESC \"W\")\n"},
  };
  for (const auto& c : cases) {
    LiveModule live = live_new(module_new(4));
    std::string ended, view;
    for (const std::string& burst : c.bursts) {
      ended += live_take(live, burst.data(), burst.size());
      live_settle(live);
      view = live_run_view(live);
    }
    EXPECT_EQ(c.ended, headers(ended)) << c.what;
    EXPECT_EQ(c.last_header, first_line(view)) << c.what;
    EXPECT_EQ(c.anomalies, view.substr(view.find("Anomalies:"))) << c.what;
  }
}

TEST(LiveModule, ALaterRunFindsWhatTheEarlierOneLeft) {
  std::string hello = "Hello" + std::string(35, ' ');
  std::string first = "\x0C" + hello + STORE + "\x1BW\x83\x81\x80\x80\x80\x80\x80\x80";
  std::string second = "\x1BW\x80\x81\x80\x80\x80\x80\x80\x80";
  LiveModule live = live_new(module_new(2));
  live_take(live, first.data(), first.size());
  live_settle(live);
  live_take(live, second.data(), second.size());
  live_settle(live);
  std::string lines = "[\"Hello               \",\"                    \"]";
  EXPECT_EQ("{\"screen\":" + lines + ",\"stored_screen\":" + lines +
                ",\"config\":{\"brightness\":25,\"startup_screen\":true,\"delay_s\":0,"
                "\"old_mode\":false,\"write_protect\":false,\"auto_dim\":true},\"anomalies\":[]}\n",
            json_view(finished(live)));
}

namespace {

// Starts "glimmerset module <args>" with its output (and its messages) in <out>. Returns its
// pid, or -1.
pid_t start(std::vector<std::string> args, const std::string& out) {
  args.insert(args.begin(), "module");
  return start_glimmerset(args, out);
}

int stop(pid_t pid) { return end_program(pid, true); }

// Returns true once the program's output holds <text>.
bool shows(const std::string& out, const std::string& text) {
  return wait_for([&] { return file_text(out).find(text) != std::string::npos; });
}

bool is_link(const std::string& path) {
  struct stat s;
  return lstat(path.c_str(), &s) == 0 && S_ISLNK(s.st_mode);
}

// Writes <bytes> to the pty behind <link> as a serial program would: raw, then closes it.
bool write_raw(const std::string& link, const std::string& bytes) {
  int fd = open(link.c_str(), O_RDWR | O_NOCTTY);
  termios t;
  if (fd < 0 || tcgetattr(fd, &t) != 0) return false;
  cfmakeraw(&t);
  bool ok = tcsetattr(fd, TCSANOW, &t) == 0 &&
            write(fd, bytes.data(), bytes.size()) == (ssize_t)bytes.size();
  return close(fd) == 0 && ok;
}

}  // namespace

// The module on a pty, twice with one state file: the second start shows what the first
// run left in the module.
TEST(LiveModule, OnAPtyRemembersBetweenStarts) {
  std::string dir = testing::TempDir() + "live_test.XXXXXX";
  ASSERT_NE(nullptr, mkdtemp(&dir[0]));
  std::string link = dir + "/com1", state = dir + "/state";
  std::string out = dir + "/out", png = dir + "/glass.png", capture = dir + "/capture.bin";

  pid_t pid = start({"--link", link, "--state", state, "--png", png, "--capture", capture}, out);
  ASSERT_GT(pid, 0);
  ASSERT_TRUE(wait_for([&] { return is_link(link); })) << "no link at " << link;
  ASSERT_TRUE(write_raw(link, RUN));
  EXPECT_TRUE(shows(out, "== run 1: 94 bytes")) << file_text(out);
  EXPECT_EQ(128 + SIGTERM, stop(pid));
  EXPECT_FALSE(is_link(link)) << "the link stays after the end";
  std::string shown = file_text(out);
  std::string final_view = shown.substr(shown.rfind("== "));
  EXPECT_EQ("== end, last run 1: 94 bytes (94 received in all) ==", first_line(final_view));
  Module decoded = module_new(4);
  module_feed(decoded, RUN.data(), RUN.size());
  EXPECT_EQ(state_text(decoded), file_text(state));
  EXPECT_EQ("\x89PNG", file_text(png).substr(0, 4)) << png;
  EXPECT_EQ(RUN, file_text(capture)) << "the capture";

  pid = start({"--state", state, "--link", link}, out);
  ASSERT_GT(pid, 0);
  ASSERT_TRUE(shows(out, "Anomalies"));
  EXPECT_EQ(128 + SIGTERM, stop(pid));
  shown = file_text(out);
  EXPECT_NE(std::string::npos, shown.find("== power-up: what the module shows and remembers ==\n" +
                                          words_view(decoded)))
      << shown;
  EXPECT_NE(std::string::npos, shown.find("== end: nothing received ==")) << shown;
  ASSERT_EQ(0, system(("rm -rf " + dir).c_str()));
}

// A run that arrives in several bursts is shown once, when its configuration command has
// come; bytes without one are shown once the line has been quiet for a second.
TEST(LiveModule, OneViewPerRun) {
  std::string dir = testing::TempDir() + "live_runs.XXXXXX";
  ASSERT_NE(nullptr, mkdtemp(&dir[0]));
  std::string link = dir + "/com1", out = dir + "/out";
  pid_t pid = start({"--link", link}, out);
  ASSERT_GT(pid, 0);
  ASSERT_TRUE(wait_for([&] { return is_link(link); })) << "no link at " << link;
  // Pauses longer than the quiet that ends a burst, as a slow sender makes them.
  for (size_t at = 0; at < RUN.size(); at += 40) {
    ASSERT_TRUE(write_raw(link, RUN.substr(at, 40)));
    usleep(300000);
  }
  ASSERT_TRUE(shows(out, "== run 1: 94 bytes")) << file_text(out);
  ASSERT_TRUE(write_raw(link, "\x01"));
  ASSERT_TRUE(shows(out, "== run 2: 1 byte")) << file_text(out);
  EXPECT_EQ(128 + SIGTERM, stop(pid));
  std::string shown = file_text(out);
  for (const char* header : {"== run 1:", "== run 2:"}) {
    size_t count = 0;
    for (size_t at = shown.find(header); at != std::string::npos; at = shown.find(header, at + 1))
      count++;
    EXPECT_EQ(1u, count) << header << " in\n" << shown;
  }
  ASSERT_EQ(0, system(("rm -rf " + dir).c_str()));
}

// A pty's slave stands in for a serial device: it is read raw (a terminal left as it was
// would hold back a line without a line end), and the module ends when it goes away.
TEST(LiveModule, OnADeviceUntilItGoesAway) {
  int master = -1, slave = -1;
  char name[256];
  ASSERT_EQ(0, openpty(&master, &slave, name, NULL, NULL));
  close(slave);
  fcntl(master, F_SETFD, FD_CLOEXEC);  // the device goes away when this test closes it
  std::string out = testing::TempDir() + "live_device_out";
  pid_t pid = start({"--device", name}, out);
  ASSERT_GT(pid, 0);
  ASSERT_TRUE(shows(out, "== power-up")) << file_text(out);
  ASSERT_EQ((ssize_t)RUN.size(), write(master, RUN.data(), RUN.size()));
  EXPECT_TRUE(shows(out, "== run 1: 94 bytes")) << file_text(out);
  close(master);
  EXPECT_EQ(1, end_program(pid, false)) << "exit code once the device is gone";
  std::string shown = file_text(out);
  EXPECT_NE(std::string::npos, shown.find(std::string(name) + ": the device went away\n")) << shown;
  EXPECT_EQ("== end, last run 1: 94 bytes (94 received in all) ==",
            first_line(shown.substr(shown.rfind("== "))));
  remove(out.c_str());
}

// Each signal that ends the module takes its link away and ends it by that same signal, so
// that a shell around it learns of it. While it listens, a second module is refused its link;
// a file of the user's beside the link stays as it is.
TEST(LiveModule, EndsByTheSignalAndTakesItsLinkAlong) {
  std::string dir = testing::TempDir() + "live_signals.XXXXXX";
  ASSERT_NE(nullptr, mkdtemp(&dir[0]));
  std::string link = dir + "/com1", out = dir + "/out", second_out = dir + "/second";
  std::ofstream(link + ".new") << "mine";
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    std::string what = strsignal(signal_number);
    pid_t pid = start({"--link", link}, out);
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(shows(out, "== power-up")) << what << ": " << file_text(out);
    if (signal_number == SIGTERM) {
      EXPECT_EQ(2, end_program(start({"--link", link}, second_out), false));
      EXPECT_NE(std::string::npos, file_text(second_out).find("still listens there"))
          << file_text(second_out);
    }
    ASSERT_TRUE(is_link(link)) << what;
    kill(pid, signal_number);
    EXPECT_EQ(128 + signal_number, end_program(pid, false)) << what;
    EXPECT_FALSE(is_link(link)) << what << ": the link stays";
  }
  EXPECT_EQ("mine", file_text(link + ".new"));
  ASSERT_EQ(0, system(("rm -rf " + dir).c_str()));
}

// Output into a pipe whose reader has gone ends the module without a word, by SIGPIPE, as it
// ends any program in a pipeline ("| head").
TEST(LiveModule, AReaderThatGoesEndsItQuietly) {
  std::string dir = testing::TempDir() + "live_pipe.XXXXXX";
  ASSERT_NE(nullptr, mkdtemp(&dir[0]));
  std::string link = dir + "/com1";
  std::string script = "'" + std::string(GLIMMERSET_EXE) + "' module --hex --link " + link + " 2>" +
                       dir + "/err | head -n 1 >" + dir + "/first; echo \"${PIPESTATUS[0]}\" >" +
                       dir + "/status";
  pid_t shell = start_program({"bash", "-c", script}, dir + "/shell_out");
  ASSERT_GT(shell, 0);
  ASSERT_TRUE(wait_for([&] { return is_link(link); }));
  ASSERT_TRUE(write_raw(link, RUN));
  ASSERT_TRUE(wait_for([&] { return !file_text(dir + "/first").empty(); }));
  // The module learns that the reader has gone at its next write.
  EXPECT_TRUE(wait_for([&] { return !is_link(link) || (write_raw(link, "x") && false); }));
  EXPECT_EQ(0, end_program(shell, false));
  EXPECT_EQ(std::to_string(128 + SIGPIPE) + "\n", file_text(dir + "/status"));
  std::string err = file_text(dir + "/err");
  EXPECT_EQ(1, std::count(err.begin(), err.end(), '\n')) << "more than where it listens: " << err;
  ASSERT_EQ(0, system(("rm -rf " + dir).c_str()));
}
