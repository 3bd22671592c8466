#include "cli/windows_text.h"

namespace {

const struct {
  DWORD error;
  const char* cause;
} CAUSES[] = {
    {ERROR_FILE_NOT_FOUND, "no such file or folder"},
    {ERROR_PATH_NOT_FOUND, "no such file or folder"},
    {ERROR_ACCESS_DENIED, "permission denied"},
    {ERROR_SHARING_VIOLATION, "in use by another program"},
    {ERROR_DISK_FULL, "no space left on the device"},
    {ERROR_HANDLE_DISK_FULL, "no space left on the device"},
    {ERROR_WRITE_PROTECT, "the medium is write-protected"},
    {ERROR_INVALID_NAME, "not a valid file name"},
};

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

std::string windows_cause(DWORD error) {
  for (const auto& c : CAUSES)
    if (c.error == error) return c.cause;
  return "Windows error " + std::to_string(error);
}
