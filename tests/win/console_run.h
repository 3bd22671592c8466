// Running glimmerset.com from a Windows test, as cmd or PowerShell runs it: its own process,
// its standard output and error caught in files.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Returns the Unix path <unix_path> as Windows programs under Wine see it (drive Z:).
std::wstring windows_path(const char* unix_path);

// What one run of a console program did.
struct ConsoleRun {
  DWORD code = (DWORD)-1;  // the exit status; -1 when it did not end in time (it is killed)
  std::string out, err;    // standard output and error, as written
  DWORD ms = 0;            // how long it ran
};

// A console program that runs; end it with console_end.
struct ConsoleProcess {
  PROCESS_INFORMATION process = {};
  std::wstring out_file, err_file;
  DWORD started = 0;
};

// Starts glimmerset.com with <args> (UTF-8), standard input from the file <input> when given.
// Returns false when it could not be started.
bool console_start(const std::vector<std::string>& args, ConsoleProcess* run,
                   const std::string& input = "");

// Waits until the program has ended, at most a bound far beyond what it needs, and collects
// what it did.
ConsoleRun console_end(ConsoleProcess* run);

// Runs glimmerset.com with <args> to its end.
ConsoleRun console(const std::vector<std::string>& args, const std::string& input = "");
