#include "screen/line_editors.h"

#include "screen/code_page.h"
#include "screen/screen_text.h"
#include "ui/controls.h"
#include "ui/window.h"

bool g_edit_guard = false;

INT_PTR guarded_change(UINT message, WPARAM wparam, void (*check)(int id)) {
  if (g_edit_guard || notification_code(message, wparam) != EN_CHANGE) return 0;
  g_edit_guard = true;
  check(LOWORD(wparam));
  g_edit_guard = false;
  return 0;
}

// The next line in typing order, whatever the screen type.
static int next_line(int id) {
  static const int ORDER[] = {ID_LINE_1, ID_LINE_2, ID_LINE_3, ID_LINE_4};
  for (int i = 0; i < 3; i++)
    if (ORDER[i] == id) return ORDER[i + 1];
  return ORDER[0];
}

static void hold_line(int id) {
  // Until the second half of a typed character beyond U+FFFF arrives, the first converts to
  // a replacement character: a cut now would keep that and send the second half to the
  // next line on its own.
  if (half_character_at_caret(id)) return;
  std::string bytes = read_text(id);
  if (bytes.size() < SCREEN_WIDTH) return;
  set_text(id, bytes.substr(0, fit_length(bytes, SCREEN_WIDTH, system_code_page())));
  // The rewrite puts the caret at the start. Should the focus stay (the platform gives none
  // to a disabled box), further typing must not push the line's end out of it.
  send_to_control(id, EM_SETSEL, SCREEN_WIDTH, SCREEN_WIDTH);
  focus_control(next_line(id));
}

INT_PTR line_handler(HWND, UINT message, WPARAM wparam, LPARAM) {
  return guarded_change(message, wparam, hold_line);
}
