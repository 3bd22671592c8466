#include "config/options.h"

#include "config/command.h"
#include "screen/line_editors.h"
#include "ui/controls.h"
#include "ui/window.h"

static void hold_delay(int id) {
  std::string text = read_text(id), held = held_delay_text(text);
  if (held != text) set_text(id, held);
}

INT_PTR delay_field_handler(HWND, UINT message, WPARAM wparam, LPARAM) {
  return guarded_change(message, wparam, hold_delay);
}

static bool clicked(UINT message, WPARAM wparam) {
  return notification_code(message, wparam) == BN_CLICKED;
}

INT_PTR send_text_handler(HWND, UINT message, WPARAM wparam, LPARAM) {
  if (clicked(message, wparam)) enable_control(ID_STORE_TO_EE, read_check(ID_SEND_TEXT));
  return 0;
}

// Lines 3 and 4 follow the check mark of "4x20" as it stands, whichever option reported the
// click: Windows also reports a click when an unchecked option gains the focus by the keyboard,
// and leaves the check marks as they were.
INT_PTR screen_type_handler(HWND, UINT message, WPARAM wparam, LPARAM) {
  if (!clicked(message, wparam)) return 0;
  bool four_lines = read_check(ID_FOUR_LINES);
  enable_control(ID_LINE_3, four_lines);
  enable_control(ID_LINE_4, four_lines);
  return 0;
}
