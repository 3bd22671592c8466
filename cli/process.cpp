#include "cli/process.h"

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <unistd.h>

#include "cli/messages.h"
#include "cli/posix.h"

volatile sig_atomic_t stop_requested = 0;
volatile sig_atomic_t output_gone = 0;

namespace {

void on_stop(int signal_number) { stop_requested = signal_number; }

}  // namespace

// Output into a pipe whose reader has gone ends the program by SIGPIPE, as it ends any
// program in a pipeline; SIGPIPE itself is ignored, so that the write fails with EPIPE and
// the command tidies up first.
void catch_stop_signals() {
  struct sigaction stop = {}, found;
  stop.sa_handler = on_stop;  // no SA_RESTART: a waiting call returns to look at the flag
  // A signal ignored from the start stays so: a shell starts background jobs that way, so
  // that Ctrl+C reaches only what runs in the foreground.
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP})
    if (sigaction(signal_number, NULL, &found) == 0 && found.sa_handler != SIG_IGN)
      sigaction(signal_number, &stop, NULL);
  signal(SIGPIPE, SIG_IGN);
}

int exit_status(int code) {
  int signal_number = stop_requested;
  if (signal_number == 0) return code;
  fflush(NULL);
  signal(signal_number, SIG_DFL);
  sigset_t unblocked;
  sigemptyset(&unblocked);
  sigaddset(&unblocked, signal_number);
  sigprocmask(SIG_UNBLOCK, &unblocked, NULL);
  raise(signal_number);
  return 128 + signal_number;  // only if the signal did not end the process
}

std::string print(const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    ssize_t n = write(STDOUT_FILENO, text.data() + done, text.size() - done);
    if (n > 0) {
      done += (size_t)n;
    } else if (errno == EPIPE) {
      output_gone = 1;
      stop_requested = SIGPIPE;
      return "standard output: the reader has gone";
    } else if (stop_requested) {
      return "standard output: interrupted";
    } else if (errno == EAGAIN) {
      pollfd out = {STDOUT_FILENO, POLLOUT, 0};
      poll(&out, 1, 100);
    } else if (errno != EINTR) {
      return "standard output: " + file_cause(errno);
    }
  }
  return "";
}

const char STOP_HELP[] =
    "Ctrl+C (SIGINT),\n"
    "SIGTERM and SIGHUP discard what is queued, close the line and end by that signal.\n";

void print_error(const std::string& text) { fputs(text.c_str(), stderr); }
