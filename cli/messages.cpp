#include "cli/messages.h"

#include "cli/process.h"

int fail(const char* name, const std::string& message, int code) {
  if (!output_gone) print_error(std::string(name) + ": " + message + "\n");
  return code;
}

int print_or_fail(const char* name, const std::string& text, int failure) {
  std::string error = print(text);
  return exit_status(error.empty() ? 0 : fail(name, error, failure));
}
