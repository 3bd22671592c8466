// glimmerset.com under Wine, its COM ports on pseudo-terminals: the bytes and line settings
// of the Linux command, the ports Windows numbers from 10 on, lines that cannot be used,
// refused arguments, Ctrl+C, its port list, its module and how cmd finds it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/win/console_run.h"
#include "tests/win/ptyhost_client.h"

namespace {

const DWORD WAIT_MS = 20000;
// What Windows makes the status of a console program that Ctrl+C ended.
const DWORD CTRL_C_EXIT = 0xC000013A;

bool wait_until(bool (*condition)(int), int port) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < WAIT_MS; Sleep(10))
    if (condition(port)) return true;
  return condition(port);
}

std::vector<std::string> with(std::vector<std::string> args, const std::string& port) {
  args.insert(args.begin(), {"send", "--port", port});
  return args;
}

}  // namespace

// Option sets whose bytes must be what the Linux command gives, into standard output and on
// the line, with the line set as the run asks.
TEST(Console, SendsWhatTheLinuxCommandSends) {
  static const struct {
    const char* what;
    std::vector<std::string> options;
  } cases[] = {
      {"the window's initial state", {}},
      {"every option, a screen of 20x2",
       {"--screen", "2x20", "--line1",
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE2\x82\xAC",
        "--show-startup", "--brightness", "75", "--delay", "42", "--write-protect", "--old-mode",
        "--no-auto-dim", "--no-store"}},
      {"another code page, an option's name as text",
       {"--codepage", "cp437", "--line1", "\xC3\xA9t\xC3\xA9", "--line4=--show-startup"}},
      {"no text", {"--no-text", "--brightness", "25"}},
  };
  for (const auto& c : cases) {
    for (const char* rate : {"9600", "2400"}) {
      std::vector<std::string> options = c.options;
      options.insert(options.end(), {"--baud", rate});
      std::string expected = glimmerset_send(options);
      ASSERT_FALSE(expected.empty()) << c.what;
      std::vector<std::string> to_stdout = options;
      to_stdout.insert(to_stdout.begin(), {"send", "--output", "-"});
      ConsoleRun out = console(to_stdout);
      EXPECT_EQ(0u, out.code) << c.what << " into standard output: " << out.err;
      EXPECT_EQ(hex_of(expected), hex_of(out.out)) << c.what << " into standard output";

      ASSERT_TRUE(pty_fresh(4, 19200, 2, false, false));
      ConsoleRun line = console(with(options, "COM4"));
      EXPECT_EQ(0u, line.code) << c.what << " at " << rate << ": " << line.err;
      EXPECT_EQ("Configuration complete.\n", line.err) << c.what << " at " << rate;
      EXPECT_EQ(hex_of(expected), hex_of(pty_bytes(4))) << c.what << " at " << rate;
      PtyAttr attr = pty_attr(4);
      EXPECT_EQ(atol(rate), attr.speed) << c.what << ": speed";
      EXPECT_FALSE(attr.cstopb || attr.parenb) << c.what << ": two stop bits or parity";
    }
  }
}

// From COM10 on Windows opens a port only by its device name ("\\.\COM10").
TEST(Console, PortsFromTenOn) {
  port_held(1);  // a "COM10" taken for COM1 fails
  static const struct {
    const char* name;
    int port;
  } cases[] = {{"COM9", 9}, {"COM10", 10}, {"com99", 99}, {"\\\\.\\COM150", 150}, {"COM255", 255}};
  for (const auto& c : cases) {
    ASSERT_TRUE(pty_fresh(c.port));
    ConsoleRun run = console({"send", "--port", c.name, "--no-text"});
    EXPECT_EQ(0u, run.code) << c.name << ": " << run.err;
    EXPECT_EQ(hex_of(glimmerset_send({"--no-text"})), hex_of(pty_bytes(c.port))) << c.name;
  }
}

// Each ends with exit status 1 and one line that names the port and the cause; a held-off
// line within 5 s.
TEST(Console, LinesThatCannotBeUsed) {
  static const struct {
    const char* what;
    void (*make)(int port);
    const char* cause;
  } cases[] = {
      {"held by another program", port_held, "in use by another program"},
      {"no line settings", port_full,
       "the line does not take 8 data bits, no parity and one stop bit at 9600 bit/s"},
      {"a file", port_file, "not a serial port: the name leads to a file"},
      {"held off", [](int port) { pty_fresh(port), pty_fill(port); },
       "the line took no bytes for 1.3 s"},
  };
  for (const auto& c : cases) {
    c.make(6);
    ConsoleRun run = console({"send", "--port", "COM6"});
    EXPECT_EQ(1u, run.code) << c.what;
    EXPECT_EQ(std::string("glimmerset send: COM6: ") + c.cause + "\n", run.err) << c.what;
    EXPECT_LT(run.ms, 5000u) << c.what << ": the run lasted " << run.ms << " ms";
  }
  EXPECT_EQ(hex_of("untouched\n"), hex_of(file_content(6))) << "the file behind COM6";
}

TEST(Console, WrongArgumentsLeaveTheLineUntouched) {
  static const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"send", "--port", "COM0"}, "--port 'COM0': must be a COM port, COM1 to COM255"},
      {{"send", "--port", "COM256"}, "--port 'COM256': must be a COM port, COM1 to COM255"},
      {{"send", "--port", "/dev/pts/1"}, "--port '/dev/pts/1': must be a COM port, COM1 to COM255"},
      {{"send", "--port", "COM7", "--baud", "1200"}, "--baud '1200': must be 9600 or 2400"},
      {{"send", "--port", "COM7", "--line1", "--show-startup"},
       "--line1 needs a value, but '--show-startup' is an option (as the value, write "
       "--line1=--show-startup)"},
      {{"send", "--port", "COM7", "--line1", "\xE2\x86\x92"},
       "--line1 '\xE2\x86\x92': \"\xE2\x86\x92\" (U+2192) is not in windows-1252"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(pty_fresh(7, 19200, 2, false, false));
    ConsoleRun run = console(c.args);
    EXPECT_EQ(2u, run.code) << c.message;
    EXPECT_EQ(std::string("glimmerset send: ") + c.message + " (see glimmerset send --help)\n",
              run.err);
    EXPECT_EQ("", hex_of(pty_bytes(7))) << c.message << ": bytes on COM7";
    EXPECT_EQ(19200, pty_attr(7).speed) << c.message << ": COM7's speed";
  }
}

// Ctrl+C goes to every program of the console; this test ignores it, the run ends at once
// with the status Windows gives a program that Ctrl+C ended, which a batch file sees. (A
// console of its own, which the test keeps: Wine's stand-in for a terminal takes no console
// events.)
TEST(Console, CtrlCEndsAHeldOffRun) {
  FreeConsole();
  ASSERT_TRUE(AllocConsole()) << "error " << GetLastError();
  ASSERT_TRUE(pty_fresh(8, 19200, 1, false, false));
  ASSERT_GT(pty_fill(8), 0);
  ConsoleProcess process;
  ASSERT_TRUE(console_start({"send", "--port", "COM8", "--baud", "2400"}, &process));
  // Once the run has set the line, it writes to a line that takes nothing.
  EXPECT_TRUE(wait_until([](int port) { return pty_attr(port).speed == 2400; }, 8));
  SetConsoleCtrlHandler(NULL, TRUE);
  DWORD pressed = GetTickCount();
  EXPECT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) << "error " << GetLastError();
  ConsoleRun run = console_end(&process);
  DWORD took = GetTickCount() - pressed;
  SetConsoleCtrlHandler(NULL, FALSE);
  EXPECT_EQ(CTRL_C_EXIT, run.code) << run.err;
  EXPECT_LT(took, 5000u) << "the run ended " << took << " ms after Ctrl+C";
  EXPECT_EQ("", hex_of(pty_bytes(8))) << "bytes on COM8";
}

// Under Wine the registry's SERIALCOMM key lists every COM number of the prefix, and no
// device of the Ports class exists: the list has the numbers, in order, without names.
TEST(Console, PortsAsWindowsListsThem) {
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0,
                                         KEY_READ, &key));
  DWORD listed = 0;
  RegQueryInfoKeyW(key, NULL, NULL, NULL, NULL, NULL, NULL, &listed, NULL, NULL, NULL, NULL);
  RegCloseKey(key);
  ConsoleRun json = console({"ports", "--json"});
  EXPECT_EQ(0u, json.code) << json.err;
  size_t found = 0;
  for (size_t at = json.out.find("\"device\":\"COM"); at != std::string::npos;
       at = json.out.find("\"device\":\"COM", at + 1))
    found++;
  EXPECT_EQ(listed, found) << json.out.substr(0, 200);
  ConsoleRun lines = console({"ports"});
  EXPECT_EQ(0u, lines.code) << lines.err;
  EXPECT_EQ("COM1\nCOM2\nCOM3\n", lines.out.substr(0, 15));
  EXPECT_LT(lines.out.find("COM9\n"), lines.out.find("COM10\n")) << "COM9 before COM10";
}

// Captures are binary: a 0x1A byte ends no stream, and CR LF stays two bytes.
TEST(Console, ModuleReadsACapture) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::string folder;
  for (wchar_t* c = temp; *c; c++) folder += (char)*c;
  std::string capture = folder + "capture.bin", picture = folder + "glass.png";
  std::string run = glimmerset_send({"--line1", "ok", "--show-startup"});
  static const struct {
    std::string bytes;
    DWORD code;
    const char* shown;
  } cases[] = {
      {run, 0, "Anomalies: none"},
      {run + "\x1A\r\n", 1, "control byte 0x1A that is no command"},
  };
  for (const auto& c : cases) {
    HANDLE file = CreateFileA(capture.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = 0;
    WriteFile(file, c.bytes.data(), (DWORD)c.bytes.size(), &written, NULL);
    CloseHandle(file);
    ConsoleRun from_stdin = console({"module", "--png", picture, "--read", "-"}, capture);
    EXPECT_EQ(c.code, from_stdin.code) << c.shown << ": " << from_stdin.err;
    EXPECT_NE(std::string::npos, from_stdin.out.find(c.shown)) << from_stdin.out;
    ConsoleRun json = console({"module", "--json", "--read", capture});
    EXPECT_NE(std::string::npos, json.out.find("\"startup_screen\":true")) << json.out;
  }
  HANDLE png = CreateFileA(picture.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
  char signature[4] = {};
  DWORD got = 0;
  ReadFile(png, signature, 4, &got, NULL);
  CloseHandle(png);
  EXPECT_EQ(std::string("\x89PNG"), std::string(signature, got)) << picture;
  // A file that another program holds is in use, in the words of a port that is.
  HANDLE held = CreateFileA(capture.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
  ConsoleRun refused = console({"send", "--output", capture});
  CloseHandle(held);
  EXPECT_EQ("glimmerset send: " + capture + ": in use by another program\n", refused.err);
  ConsoleRun live = console({"module", "--link", folder + "com1"});
  EXPECT_EQ(2u, live.code) << "a live line: " << live.err;
}

// "glimmerset" typed in a folder that holds both programs: .COM comes before .EXE in
// PATHEXT, so cmd runs the console one.
TEST(Console, CmdFindsTheConsoleProgramBesideTheWindowOne) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"glimmerset-both";
  CreateDirectoryW(folder.c_str(), NULL);
  ASSERT_TRUE(CopyFileW(windows_path(GLIMMERSET_COM).c_str(),
                        (folder + L"\\glimmerset.com").c_str(), FALSE));
  ASSERT_TRUE(CopyFileW(windows_path(GLIMMERSET_EXE).c_str(),
                        (folder + L"\\Glimmerset.exe").c_str(), FALSE));
  std::wstring line = L"cmd.exe /c glimmerset --version";
  wchar_t out_name[MAX_PATH];
  GetTempFileNameW(temp, L"cmd", 0, out_name);
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
  HANDLE out =
      CreateFileW(out_name, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, NULL);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out;
  startup.hStdError = out;
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessW(NULL, &line[0], NULL, NULL, TRUE, 0, NULL, folder.c_str(), &startup,
                             &process));
  CloseHandle(out);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, WAIT_MS));
  TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  char text[256] = {};
  DWORD got = 0;
  HANDLE in = CreateFileW(out_name, GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
  ReadFile(in, text, sizeof text - 1, &got, NULL);
  CloseHandle(in);
  DeleteFileW(out_name);
  EXPECT_EQ(std::string("glimmerset " GLIMMERSET_VERSION "\n"), std::string(text, got));
}
