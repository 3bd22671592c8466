// The one dispatch routine through which every message of the main window passes.
#pragma once

#include <windows.h>

// Windows of the program that exist: 1 while the main window exists, 0 before and after.
extern int g_open_windows;
// The main window while it is the active window, else NULL.
extern HWND g_active_window;

// Dialog procedure of the main window: keeps the open-window count and the active window,
// hands a control's notification to that control's handler, then to the window handler,
// and ends the window on SC_CLOSE. Returns the handled result, or 0 to leave the message
// to the platform's dialog handling.
INT_PTR CALLBACK dispatch(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Attaches the window handler once the controls exist and delivers its WM_INITDIALOG and
// WM_SIZE. Returns nothing.
void attach_window_handler(HWND window);
