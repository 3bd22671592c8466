#include "cli/files.h"
#include "cli/posix.h"

#include <ctype.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <functional>

namespace {

const struct {
  int error;
  const char* cause;
} CAUSES[] = {
    {ENOENT, "no such file or folder"},
    {EACCES, "permission denied"},
    {EPERM, "permission denied"},
    {EISDIR, "is a folder"},
    {ENOTDIR, "a part of the path is no folder"},
    {ENOSPC, "no space left on the device"},
    {EROFS, "read-only file system"},
    {EFBIG, "the file is too large"},
    {ENAMETOOLONG, "the name is too long"},
    {EIO, "input/output error"},
};

// Makes something new beside <path> with <make>, under a name that nothing had (<make>
// fails with EEXIST for a name that is taken). Returns the name, or "" with errno.
std::string make_beside(const std::string& path, const std::function<int(const char*)>& make) {
  static unsigned made = 0;
  for (int attempt = 0; attempt < 100; attempt++) {
    char suffix[48];
    snprintf(suffix, sizeof suffix, ".%ld-%u.tmp", (long)getpid(), made++);
    std::string name = path + suffix;
    if (make(name.c_str()) == 0) return name;
    if (errno != EEXIST) return "";
  }
  return "";
}

// Renames <temp> over <path>. Returns false, with errno, when it could not; <temp> is
// then gone.
bool rename_over(const std::string& temp, const std::string& path) {
  if (rename(temp.c_str(), path.c_str()) == 0) return true;
  int error = errno;
  unlink(temp.c_str());
  errno = error;
  return false;
}

}  // namespace

std::string file_cause(int error) {
  for (const auto& c : CAUSES)
    if (c.error == error) return c.cause;
  std::string cause = strerror(error);
  if (!cause.empty()) cause[0] = (char)tolower((unsigned char)cause[0]);
  return cause;
}

std::string last_file_cause() { return file_cause(errno); }

FILE* open_file(const char* path, const char* mode) { return fopen(path, mode); }

bool write_fully(int fd, const std::string& bytes) {
  size_t done = 0;
  ssize_t n = 0;
  while (done < bytes.size() &&
         ((n = write(fd, bytes.data() + done, bytes.size() - done)) > 0 || errno == EINTR))
    if (n > 0) done += (size_t)n;
  return done == bytes.size();
}

bool point_link(const std::string& path, const std::string& target) {
  std::string temp =
      make_beside(path, [&](const char* name) { return symlink(target.c_str(), name); });
  return !temp.empty() && rename_over(temp, path);
}

bool write_whole(const std::string& path, const std::string& bytes) {
  int fd = -1;
  std::string temp = make_beside(path, [&](const char* name) {
    fd = open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    return fd < 0 ? -1 : 0;
  });
  if (temp.empty()) return false;
  bool written = write_fully(fd, bytes);
  int error = errno;
  if (close(fd) != 0 && written) {
    written = false;
    error = errno;
  }
  if (written) return rename_over(temp, path);
  unlink(temp.c_str());
  errno = error;
  return false;
}
