#include "app/startup.h"

#include <commctrl.h>

#include "app/dispatch.h"
#include "screen/line_editors.h"
#include "ui/controls.h"
#include "ui/window.h"

int pump_step(DWORD idle_ms) {
  MSG message;
  if (!PeekMessageW(&message, NULL, 0, 0, PM_REMOVE)) {
    Sleep(idle_ms);
    return g_open_windows;
  }
  // The wide variant: the message was fetched as UTF-16, and the ANSI one would hand a
  // typed character outside the code page to the edit control as a wrong byte.
  bool keyboard_handled =
      g_active_window && IsWindow(g_active_window) && IsDialogMessageW(g_active_window, &message);
  if (!keyboard_handled) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return g_open_windows;
}

void start_up(void) {
  INITCOMMONCONTROLSEX classes = {sizeof classes, 0xFF};
  InitCommonControlsEx(&classes);
  build_main_window(dispatch, attach_window_handler);
  // Setting a check mark sends no click, so the enabling rules of the options do not run;
  // every control was built enabled, which agrees with these marks.
  static const int INITIALLY_CHECKED[] = {ID_BAUD_9600, ID_BRIGHT_100, ID_SEND_TEXT, ID_STORE_TO_EE,
                                          ID_FOUR_LINES};
  for (int id : INITIALLY_CHECKED) set_check(id, true);
  g_edit_guard = false;
}

int glimmerset_main(void) {
  start_up();
  while (pump_step(IDLE_SLEEP_MS) != 0) {
  }
  return 0;
}
