// The least a program must do for what Glimmerset does, as a yardstick for tools/bench:
// show a dialog (no controls) and, on Enter, open COM1 at 9600 8N1, write the 94 bytes
// that Glimmerset's initial window sends in one write, close the port and show the box.
#include <windows.h>

static const char RUN_BYTES[] =
    "\x0C"
    "                                                                                "
    "\x1BX0"
    "\x1BW\x83\x80\x80\x80\x80\x80\x80\x80";

// Returns nothing; a port that does not open leaves the box unshown, which the driver
// reports as a failed run.
static void run(void) {
  HANDLE port = CreateFileW(L"\\\\.\\COM1", GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, NULL);
  if (port == INVALID_HANDLE_VALUE) return;
  DCB dcb = {};
  dcb.DCBlength = sizeof dcb;
  GetCommState(port, &dcb);
  dcb.BaudRate = CBR_9600;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  SetCommState(port, &dcb);
  DWORD written = 0;
  WriteFile(port, RUN_BYTES, sizeof RUN_BYTES - 1, &written, NULL);
  CloseHandle(port);
  MessageBoxW(NULL, L"Configuration complete.", L"Done", MB_OK | MB_TASKMODAL | MB_SETFOREGROUND);
}

static INT_PTR CALLBACK reference_dialog(HWND window, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK) run();
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(window);
      return TRUE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return TRUE;
  }
  return FALSE;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  HWND window = CreateDialogParamW(instance, MAKEINTRESOURCEW(1), NULL, reference_dialog, 0);
  if (!window) return 1;
  ShowWindow(window, SW_SHOW);
  MSG message;
  while (GetMessageW(&message, NULL, 0, 0) > 0) {
    if (!IsDialogMessageW(window, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return 0;
}
