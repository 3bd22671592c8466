#include "spawn.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

bool wait_for(const std::function<bool()>& condition) {
  for (int waited = 0; waited < WAIT_MS; waited += 10) {
    if (condition()) return true;
    usleep(10000);
  }
  return condition();
}

std::string file_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

pid_t start_program(std::vector<std::string> words, const std::string& out, const std::string& err,
                    bool own_group) {
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(&word[0]);
  argv.push_back(NULL);
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (err.empty())
    posix_spawn_file_actions_adddup2(&files, 1, 2);
  else
    posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) sigaddset(&defaults, signal_number);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETSIGDEF | (own_group ? POSIX_SPAWN_SETPGROUP : 0));
  // The child's end of <ready> closes when it starts the program. Under qemu-user,
  // posix_spawn returns before that: a signal sent at once would then end the child before
  // the program could catch it, and the child's copies of our descriptors would stand for
  // the program's own.
  int ready[2];
  pid_t pid = -1;
  if (pipe2(ready, O_CLOEXEC) != 0) return -1;
  if (posix_spawnp(&pid, argv[0], &files, &attributes, argv.data(), environ) != 0) pid = -1;
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&files);
  close(ready[1]);
  char byte;
  while (read(ready[0], &byte, 1) < 0 && errno == EINTR) {
  }
  close(ready[0]);
  return pid;
}

pid_t start_glimmerset(const std::vector<std::string>& args, const std::string& out,
                       const std::string& err) {
  std::vector<std::string> words = {GLIMMERSET_EXE};
  words.insert(words.end(), args.begin(), args.end());
  return start_program(words, out, err);
}

int end_program(pid_t pid, bool terminate) {
  int status = 0;
  if (terminate) kill(pid, SIGTERM);
  if (!wait_for([&] { return waitpid(pid, &status, WNOHANG) == pid; })) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
