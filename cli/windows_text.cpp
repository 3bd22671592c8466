#include "cli/windows_text.h"

namespace {

// The words for a failed call's error: on a file, and on a serial port where they differ.
const struct {
  DWORD error;
  const char* file;
  const char* port;  // NULL: as on a file
} CAUSES[] = {
    {ERROR_FILE_NOT_FOUND, "no such file or folder", "no such port"},
    {ERROR_PATH_NOT_FOUND, "no such file or folder", "no such port"},
    // Windows refuses a port that another program holds so.
    {ERROR_ACCESS_DENIED, "permission denied", "in use by another program"},
    {ERROR_SHARING_VIOLATION, "in use by another program", NULL},
    {ERROR_DISK_FULL, "no space left on the device", NULL},
    {ERROR_HANDLE_DISK_FULL, "no space left on the device", NULL},
    {ERROR_WRITE_PROTECT, "the medium is write-protected", NULL},
    {ERROR_INVALID_NAME, "not a valid file name", NULL},
    {ERROR_OPERATION_ABORTED, "interrupted", NULL},
    // What a USB adapter, or a drive, that was pulled out answers.
    {ERROR_BAD_COMMAND, "the device went away", NULL},
    {ERROR_GEN_FAILURE, "the device went away", NULL},
    {ERROR_NOT_READY, "the device went away", NULL},
    {ERROR_DEVICE_NOT_CONNECTED, "the device went away", NULL},
    {ERROR_DEVICE_REMOVED, "the device went away", NULL},
};

// Returns the words for <error>, on a port when <port>.
std::string cause_of(DWORD error, bool port) {
  for (const auto& c : CAUSES)
    if (c.error == error) return port && c.port ? c.port : c.file;
  return "Windows error " + std::to_string(error);
}

}  // namespace

std::string utf8_of(const wchar_t* text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, NULL, 0, NULL, NULL);
  if (size <= 1) return "";
  std::string utf8((size_t)size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, &utf8[0], size, NULL, NULL);
  utf8.resize((size_t)size - 1);
  return utf8;
}

WideText wide_of(const std::string& text) {
  int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, NULL, 0);
  WideText wide(size > 0 ? (size_t)size : 1, L'\0');
  if (size > 0) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), size);
  return wide;
}

std::string windows_cause(DWORD error) { return cause_of(error, false); }

std::string windows_port_cause(DWORD error) { return cause_of(error, true); }
