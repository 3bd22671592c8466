// The main window: its in-memory dialog description, the control table in creation order
// and the build step. The window is the only home of every setting.
#pragma once

#include <windows.h>

// Control ids.
enum {
  ID_SEND = 1,
  ID_GROUP_SCREEN_TYPE = 100,
  ID_GROUP_TEXT_SCREEN = 105,
  ID_GROUP_OPTIONS = 110,
  ID_GROUP_PORT = 115,
  ID_GROUP_BAUD = 120,
  ID_LABEL_BRIGHTNESS = 125,
  ID_LABEL_DELAY = 130,
  ID_BAUD_9600 = 135,
  ID_BAUD_2400 = 140,
  ID_SHOW_STARTUP = 145,
  ID_WRITE_PROTECT = 190,
  ID_OLD_MODE = 195,
  ID_DELAY = 205,
  ID_BRIGHT_25 = 210,
  ID_BRIGHT_50 = 215,
  ID_BRIGHT_75 = 220,
  ID_BRIGHT_100 = 225,
  ID_LINE_1 = 230,
  ID_LINE_2 = 235,
  ID_LINE_3 = 240,
  ID_LINE_4 = 245,
  ID_SEND_TEXT = 250,
  ID_STORE_TO_EE = 255,
  ID_FOUR_LINES = 260,
  ID_TWO_LINES = 265,
  ID_NO_AUTO_DIM = 270,
  ID_PORT = 1012,
  ID_PORT_UPDOWN = 1013,
};

// One control as it is created: rectangle in dialog units, complete styles.
struct ControlSpec {
  int id;
  const wchar_t* window_class;
  const wchar_t* caption;
  short x, y, w, h;
  DWORD style;
  DWORD ex_style;
};

extern const ControlSpec CONTROL_TABLE[];
extern const int CONTROL_COUNT;

extern const wchar_t MAIN_WINDOW_CAPTION[];
extern const DWORD MAIN_WINDOW_STYLE;
// Client area in dialog units.
enum { MAIN_WINDOW_CX = 331, MAIN_WINDOW_CY = 158 };

// The main window handle; NULL before the build and after the window is destroyed.
extern HWND g_main_window;

// A message handler: 0 means not handled, so dispatch goes on.
typedef INT_PTR (*HANDLER)(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Builds the main window with <dispatch> as its dialog procedure, creates its controls,
// hands the finished window to <attach_window_handler> and shows it. Returns the window,
// or NULL when it could not be created.
HWND build_main_window(DLGPROC dispatch, void (*attach_window_handler)(HWND window));
