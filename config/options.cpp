#include "config/options.h"

#include "config/command.h"
#include "config/number.h"
#include "screen/line_editors.h"
#include "ui/controls.h"
#include "ui/window.h"

static void hold_delay(int id) {
  if (READ_NUMBER(READ_TEXT(id)) > DELAY_LIMIT) SET_TEXT(id, std::to_string(DELAY_LIMIT));
}

INT_PTR DELAY_FIELD_HANDLER(HWND, UINT message, WPARAM wparam, LPARAM) {
  return GUARDED_CHANGE(message, wparam, hold_delay);
}

static bool clicked(UINT message, WPARAM wparam) {
  return NOTIFICATION_CODE(message, wparam) == BN_CLICKED;
}

INT_PTR SEND_TEXT_HANDLER(HWND, UINT message, WPARAM wparam, LPARAM) {
  if (clicked(message, wparam)) ENABLE_CONTROL(ID_STORE_TO_EE, READ_CHECK(ID_SEND_TEXT));
  return 0;
}

static void enable_lines_3_and_4(bool enabled) {
  ENABLE_CONTROL(ID_LINE_3, enabled);
  ENABLE_CONTROL(ID_LINE_4, enabled);
}

INT_PTR FOUR_LINES_HANDLER(HWND, UINT message, WPARAM wparam, LPARAM) {
  if (clicked(message, wparam)) enable_lines_3_and_4(true);
  return 0;
}

INT_PTR TWO_LINES_HANDLER(HWND, UINT message, WPARAM wparam, LPARAM) {
  if (clicked(message, wparam)) enable_lines_3_and_4(false);
  return 0;
}
