// Times a program from outside for tools/bench, in the same Wine prefix:
//
//   bench_driver start EXE CAPTION   starts EXE and waits until its window CAPTION is shown
//                                    and answers a message from its message loop; prints
//                                    "start_ms MS" and "pid PID" and leaves it running
//   bench_driver run PID CAPTION     presses Enter in that window of process PID, waits
//                                    for the "Done" box, prints "run_ms MS", dismisses the
//                                    box and closes the window
//
// The clock starts just before the process is created or the key is queued; the windows
// are looked for every millisecond. Every wait is bounded; on a failure it prints a line
// on stderr and exits 1.
#include <windows.h>

#include <cstdio>
#include <string>

#include "drive.h"

namespace {

const DWORD WAIT_MS = 30000;  // a loaded machine is slow; a fresh prefix slower still

int fail(const char* what) {
  std::fprintf(stderr, "bench_driver: %s\n", what);
  return 1;
}

double now_ms() {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return count.QuadPart * 1000.0 / frequency.QuadPart;
}

// Returns the dialog <caption> of process <pid> once it is visible, looking every
// millisecond, or NULL after WAIT_MS.
HWND wait_dialog(DWORD pid, const wchar_t* caption) {
  DWORD start = GetTickCount();
  for (;;) {
    HWND window = find_dialog(pid, caption);
    if (window || GetTickCount() - start > WAIT_MS) return window;
    Sleep(1);
  }
}

int start(const wchar_t* exe, const wchar_t* caption) {
  std::wstring command = L"\"" + std::wstring(exe) + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  double start = now_ms();
  if (!CreateProcessW(exe, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
    return fail("the program does not start");
  HWND window = wait_dialog(process.dwProcessId, caption);
  // A message sent to the window is answered only from its message loop: then the
  // window is up and idle. (Under Wine, WaitForInputIdle never answers for a loop that
  // polls with PeekMessage and Sleep, as Glimmerset's does.)
  DWORD_PTR answer = 0;
  bool answered =
      window && SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, WAIT_MS, &answer);
  double elapsed = now_ms() - start;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (!window) return fail("the window did not appear");
  if (!answered) return fail("the window does not answer");
  std::printf("start_ms %.1f\npid %lu\n", elapsed, process.dwProcessId);
  return 0;
}

int run(DWORD pid, const wchar_t* caption) {
  HWND window = find_dialog(pid, caption);
  if (!window) return fail("no such window");
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (!process) return fail("cannot watch the process");
  // Enter presses the default button (Send); it needs the keyboard focus in that window.
  if (!bring_to_front(window)) return fail("the window does not come to the foreground");
  double start = now_ms();
  if (!input_key(VK_RETURN)) return fail("the key could not be queued");
  HWND box = wait_dialog(pid, L"Done");
  double elapsed = now_ms() - start;
  if (!box) return fail("no \"Done\" box after Enter");
  std::printf("run_ms %.1f\n", elapsed);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  if (!wait_until([&] { return !IsWindow(box); }, WAIT_MS)) return fail("the box stays");
  PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  DWORD ended = WaitForSingleObject(process, WAIT_MS);
  CloseHandle(process);
  return ended == WAIT_OBJECT_0 ? 0 : fail("the program did not end");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring action = argc == 4 ? argv[1] : L"";
  int result = action == L"start" ? start(argv[2], argv[3])
               : action == L"run" ? run(wcstoul(argv[2], NULL, 10), argv[3])
                                  : fail("usage: bench_driver start EXE CAPTION | run PID CAPTION");
  std::fflush(stdout);
  return result;
}
