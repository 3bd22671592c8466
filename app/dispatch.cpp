#include "app/dispatch.h"

#include "config/options.h"
#include "config/run.h"
#include "screen/line_editors.h"
#include "ui/window.h"

int g_open_windows = 0;
HWND g_active_window = NULL;

// Set from the window's creation until its first activation has placed the focus.
static bool s_first_activation = false;

// Control handlers by control id; every other control has only the platform's behaviour.
static const struct {
  int id;
  HANDLER handler;
} CONTROL_HANDLERS[] = {
    {ID_SEND, send_button_handler},      {ID_DELAY, delay_field_handler},
    {ID_LINE_1, line_handler},           {ID_LINE_2, line_handler},
    {ID_LINE_3, line_handler},           {ID_LINE_4, line_handler},
    {ID_SEND_TEXT, send_text_handler},   {ID_FOUR_LINES, screen_type_handler},
    {ID_TWO_LINES, screen_type_handler},
};

// The main window's own handler takes no action: every reaction lives in a control handler.
static INT_PTR window_handler(HWND, UINT, WPARAM, LPARAM) { return 0; }

static HANDLER s_window_handler = NULL;

void attach_window_handler(HWND window) {
  s_window_handler = window_handler;
  RECT client;
  GetClientRect(window, &client);
  s_window_handler(window, WM_INITDIALOG, 0, 0);
  s_window_handler(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

// The control that sent a notification, or NULL when the message names none.
static HWND sender(UINT message, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
      return (HWND)lparam;
    case WM_NOTIFY:
      return ((const NMHDR*)lparam)->hwndFrom;
    default:
      return NULL;
  }
}

static HANDLER control_handler(HWND window, HWND control) {
  if (!control || GetParent(control) != window) return NULL;
  int id = GetDlgCtrlID(control);
  for (const auto& route : CONTROL_HANDLERS)
    if (route.id == id) return route.handler;
  return NULL;
}

// Puts the keyboard focus in the delay field when the window first becomes active. Left to
// the platform, the first focus would be the first Tab stop at the moment of activation, and
// checking a radio button makes it a Tab stop: activation that comes after the initial check
// marks (a window manager, a click, another program in front during start-up) would land on
// "9600" instead. With the focus already in a child, activation does not move it.
static void place_first_focus(HWND window) {
  s_first_activation = false;
  SetFocus(GetDlgItem(window, ID_DELAY));
}

static INT_PTR handled(HWND window, INT_PTR result) {
  if (GetWindowLongPtrW(window, DWLP_MSGRESULT) == 0)
    SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
  return result;
}

INT_PTR CALLBACK dispatch(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      g_open_windows++;
      s_first_activation = true;
      return 0;
    case WM_ACTIVATE:
      g_active_window = LOWORD(wparam) == WA_INACTIVE ? NULL : window;
      if (g_active_window && s_first_activation) place_first_focus(window);
      return 0;  // the platform's handling restores the keyboard focus it saved
    case WM_DESTROY:
      g_open_windows--;
      break;
  }
  HANDLER handler = control_handler(window, sender(message, lparam));
  INT_PTR result;
  if (handler && (result = handler(window, message, wparam, lparam)))
    return handled(window, result);
  if (s_window_handler && (result = s_window_handler(window, message, wparam, lparam)))
    return handled(window, result);
  if (message == WM_SYSCOMMAND && (wparam & 0xFFF0) == SC_CLOSE) {
    SendMessageW(window, WM_CLOSE, 0, 0);
    DestroyWindow(window);
    return 1;
  }
  return 0;
}
