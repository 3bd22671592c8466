#include "cli/files.h"

#include <errno.h>
#include <windows.h>

#include "cli/windows_text.h"

namespace {

// Sets errno for the Windows error <error>, for the messages that every system shares.
void set_errno(DWORD error) {
  errno = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND     ? ENOENT
          : error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ? EACCES
          : error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL      ? ENOSPC
                                                                             : EIO;
}

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
    set_errno(GetLastError());
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
  set_errno(error);
  return false;
}
