// The configuration run: one press of "Send" configures the display module.
#pragma once

#include <windows.h>

// The outcomes a run reports, each in a message box with OK only, no icon, task-modal,
// brought to the foreground, without an owner window.
extern const wchar_t RUN_DONE_TEXT[];
extern const wchar_t RUN_DONE_CAPTION[];
extern const wchar_t PORT_ERROR_TEXT[];
extern const wchar_t WRITE_ERROR_TEXT[];
extern const wchar_t ERROR_CAPTION[];
extern const UINT RUN_MESSAGE_STYLE;

// Opens the chosen port at the chosen rate, sends the start-up screen (if asked for) and
// the configuration command, closes the port and reports the outcome. Returns nothing.
void configuration_run(void);

// Handler of the Send button: a click (also raised by Enter) starts the run. Returns 0.
INT_PTR send_button_handler(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
