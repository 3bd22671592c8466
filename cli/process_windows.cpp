#include "cli/process.h"

#include <stdio.h>
#include <windows.h>

#include "cli/windows_text.h"
#include "serial/channel.h"

volatile sig_atomic_t stop_requested = 0;
volatile sig_atomic_t output_gone = 0;

namespace {

// The status of a console program that Ctrl+C ended (STATUS_CONTROL_C_EXIT): what cmd's
// ERRORLEVEL and PowerShell's $LASTEXITCODE show for it, so that a batch file or a loop
// can stop on it.
const UINT CTRL_C_EXIT = 0xC000013A;

// Runs on a thread of its own. The run ends at once: what is queued on the port is purged,
// which also gives a waiting write back on most drivers, and the main thread tidies up and
// ends. A write that the driver holds on to longer is left to the system, which closes the
// port as the process ends.
BOOL WINAPI on_console_event(DWORD) {
  stop_requested = SIGINT;
  SER_ABORT();
  Sleep(500);
  ExitProcess(CTRL_C_EXIT);
  return TRUE;
}

// Writes <text> to the standard handle <which>: to a console as UTF-16, which every
// Windows console shows right whatever its code page; to a file or pipe as UTF-8 bytes.
// Returns 0, or the error code of the write that failed.
DWORD write_to(DWORD which, const std::string& text) {
  HANDLE out = GetStdHandle(which);
  DWORD mode = 0, done = 0;
  if (GetConsoleMode(out, &mode)) {
    WideText wide = wide_of(text);
    return WriteConsoleW(out, wide.data(), (DWORD)wide.size() - 1, &done, NULL) ? 0
                                                                                : GetLastError();
  }
  for (size_t at = 0; at < text.size(); at += done)
    if (!WriteFile(out, text.data() + at, (DWORD)(text.size() - at), &done, NULL) || !done)
      return done ? GetLastError() : ERROR_WRITE_FAULT;
  return 0;
}

}  // namespace

void catch_stop_signals() { SetConsoleCtrlHandler(on_console_event, TRUE); }

int exit_status(int code) {
  if (!stop_requested) return code;
  fflush(NULL);
  ExitProcess(CTRL_C_EXIT);
}

std::string print(const std::string& text) {
  DWORD error = write_to(STD_OUTPUT_HANDLE, text);
  if (error == 0) return "";
  if (error == ERROR_BROKEN_PIPE || error == ERROR_NO_DATA) {
    output_gone = 1;
    return "standard output: the reader has gone";
  }
  return "standard output: " + windows_cause(error);
}

const char STOP_HELP[] =
    "Ctrl+C\n"
    "discards what is queued, closes the port and ends the run with the status of Ctrl+C.\n";

void print_error(const std::string& text) { write_to(STD_ERROR_HANDLE, text); }
