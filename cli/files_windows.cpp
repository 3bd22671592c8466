#include "cli/files.h"

#include <stdlib.h>
#include <windows.h>

#include "cli/windows_text.h"

namespace {

// Creates a new file beside <path>, under a name that nothing had. Returns its handle and
// name, or INVALID_HANDLE_VALUE.
HANDLE create_beside(const std::string& path, WideText* name) {
  static unsigned made = 0;
  for (int attempt = 0; attempt < 100; attempt++) {
    *name = wide_of(path + "." + std::to_string(GetCurrentProcessId()) + "-" +
                    std::to_string(made++) + ".tmp");
    HANDLE file =
        CreateFileW(name->data(), GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return INVALID_HANDLE_VALUE;
}

}  // namespace

FILE* open_file(const char* path, const char* mode) {
  return _wfopen(wide_of(path).data(), wide_of(mode).data());
}

bool write_whole(const std::string& path, const std::string& bytes) {
  WideText temp;
  HANDLE file = create_beside(path, &temp);
  if (file == INVALID_HANDLE_VALUE) {
    _doserrno = GetLastError();
    return false;
  }
  DWORD written = 0;
  bool ok =
      WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL) && written == bytes.size();
  DWORD error = GetLastError();
  ok = CloseHandle(file) && ok;
  if (ok && MoveFileExW(temp.data(), wide_of(path).data(), MOVEFILE_REPLACE_EXISTING)) return true;
  if (ok) error = GetLastError();
  DeleteFileW(temp.data());
  _doserrno = error;
  return false;
}

// The C library keeps the system's error of its own failed calls in _doserrno, beside the
// errno it makes of it, and write_whole keeps its own there.
std::string last_file_cause() { return windows_cause(_doserrno); }
