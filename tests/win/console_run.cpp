#include "tests/win/console_run.h"

#include <fstream>
#include <sstream>

#ifndef GLIMMERSET_COM
#error "GLIMMERSET_COM must name the built glimmerset.com (a Unix path)"
#endif

namespace {

std::wstring wide(const std::string& utf8) {
  int size = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, NULL, 0);
  std::wstring text(size > 0 ? size : 1, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &text[0], size);
  text.resize(wcslen(text.c_str()));
  return text;
}

// Returns <word> quoted as the C runtime splits a command line: backslashes double only
// before a quote.
std::wstring quoted(const std::wstring& word) {
  std::wstring text = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : word) {
    if (c == L'\\') {
      backslashes++;
      continue;
    }
    text.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    text += c;
  }
  return text.append(backslashes * 2, L'\\') + L"\"";
}

// Returns a new file for one stream of the program, inheritable, or INVALID_HANDLE_VALUE.
HANDLE stream_file(const std::wstring& path, bool input) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
  return CreateFileW(path.c_str(), input ? GENERIC_READ : GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                     input ? OPEN_EXISTING : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
}

std::string file_bytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace

std::wstring windows_path(const char* unix_path) {
  std::wstring path = L"Z:";
  for (const char* c = unix_path; *c; c++) path += *c == '/' ? L'\\' : (wchar_t)(unsigned char)*c;
  return path;
}

bool console_start(const std::vector<std::string>& args, ConsoleProcess* run,
                   const std::string& input) {
  static int runs = 0;
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring base = std::wstring(temp) + L"console-" + std::to_wstring(GetCurrentProcessId()) +
                      L"-" + std::to_wstring(runs++);
  run->out_file = base + L".out";
  run->err_file = base + L".err";
  std::wstring line = quoted(windows_path(GLIMMERSET_COM));
  for (const std::string& arg : args) line += L" " + quoted(wide(arg));
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input.empty() ? INVALID_HANDLE_VALUE : stream_file(wide(input), true);
  startup.hStdOutput = stream_file(run->out_file, false);
  startup.hStdError = stream_file(run->err_file, false);
  run->started = GetTickCount();
  bool started =
      CreateProcessW(NULL, &line[0], NULL, NULL, TRUE, 0, NULL, NULL, &startup, &run->process);
  for (HANDLE h : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  return started;
}

ConsoleRun console_end(ConsoleProcess* run) {
  ConsoleRun result;
  if (WaitForSingleObject(run->process.hProcess, 60000) != WAIT_OBJECT_0)
    TerminateProcess(run->process.hProcess, (UINT)-1);
  WaitForSingleObject(run->process.hProcess, INFINITE);
  GetExitCodeProcess(run->process.hProcess, &result.code);
  result.ms = GetTickCount() - run->started;
  CloseHandle(run->process.hProcess);
  CloseHandle(run->process.hThread);
  result.out = file_bytes(run->out_file);
  result.err = file_bytes(run->err_file);
  DeleteFileW(run->out_file.c_str());
  DeleteFileW(run->err_file.c_str());
  return result;
}

ConsoleRun console(const std::vector<std::string>& args, const std::string& input) {
  ConsoleProcess run;
  if (!console_start(args, &run, input)) return ConsoleRun();
  return console_end(&run);
}
