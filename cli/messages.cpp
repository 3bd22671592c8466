#include "cli/messages.h"

#include <ctype.h>
#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "cli/code_page.h"

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

std::string escaped(const std::string& bytes) {
  std::string text;
  char hex[8];
  for (unsigned char c : bytes) {
    snprintf(hex, sizeof hex, "\\x%02X", c);
    text += hex;
  }
  return text;
}

}  // namespace

std::string shown_text(const std::string& text) {
  std::string shown;
  for (size_t at = 0, length; at < text.size(); at += length) {
    uint32_t code = 0;
    length = utf8_character(text, at, &code);
    if (length == 0) {
      shown += escaped(text.substr(at, 1));
      length = 1;
    } else {
      std::string character = text.substr(at, length);
      shown += is_control_character(code) ? escaped(character) : character;
    }
  }
  return shown;
}

std::string file_cause(int error) {
  for (const auto& c : CAUSES)
    if (c.error == error) return c.cause;
  std::string cause = strerror(error);
  if (!cause.empty()) cause[0] = (char)tolower((unsigned char)cause[0]);
  return cause;
}
