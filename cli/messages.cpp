#include "cli/messages.h"

#include <ctype.h>
#include <errno.h>
#include <string.h>

#include "cli/process.h"

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

}  // namespace

std::string file_cause(int error) {
  for (const auto& c : CAUSES)
    if (c.error == error) return c.cause;
  std::string cause = strerror(error);
  if (!cause.empty()) cause[0] = (char)tolower((unsigned char)cause[0]);
  return cause;
}

int fail(const char* name, const std::string& message, int code) {
  if (!output_gone) print_error(std::string(name) + ": " + message + "\n");
  return code;
}

int print_or_fail(const char* name, const std::string& text, int failure) {
  std::string error = print(text);
  return exit_status(error.empty() ? 0 : fail(name, error, failure));
}
