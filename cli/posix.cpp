#include "cli/posix.h"

#include <fcntl.h>
#include <pty.h>
#include <stdio.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

long long now_ms() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

// A fresh pty has IXON on, and one XOFF byte in the data would then stop all further writes.
bool open_raw_pty(int* master, int* slave, std::string* slave_path) {
  char name[256];
  if (openpty(master, slave, name, NULL, NULL) != 0) return false;
  termios t;
  tcgetattr(*slave, &t);
  cfmakeraw(&t);
  tcsetattr(*slave, TCSANOW, &t);
  fcntl(*master, F_SETFL, fcntl(*master, F_GETFL) | O_NONBLOCK);
  fcntl(*master, F_SETFD, FD_CLOEXEC);
  fcntl(*slave, F_SETFD, FD_CLOEXEC);
  *slave_path = name;
  return true;
}
