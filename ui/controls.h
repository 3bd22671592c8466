// Control access operations: every other module reads and changes the main window's
// controls only through these, by control id. Texts are byte strings in the ANSI code page.
#pragma once

#include <windows.h>

#include <string>

// Returns <text> in the ANSI code page; a character the code page lacks becomes the
// platform's replacement (a close character where one is defined, else the default one).
std::string ansi_from_wide(const std::wstring& text);

// Returns the ANSI code page bytes <bytes> as UTF-16.
std::wstring wide_from_ansi(const std::string& bytes);

// Returns the control's whole window text, converted to the ANSI code page.
std::string read_text(int id);

// Returns true when the text box's caret follows the first half of a UTF-16 surrogate pair:
// a character beyond U+FFFF is typed as two halves, and the second is still to come.
bool half_character_at_caret(int id);

// Replaces the control's text with <bytes>, converted from the ANSI code page.
void set_text(int id, const std::string& bytes);

// Returns true when the button is checked.
bool read_check(int id);

// Sets or clears the button's check mark; the button sends no click notification for it.
void set_check(int id, bool checked);

// Enables or disables the control.
void enable_control(int id, bool enabled);

// Brings the main window to the foreground and gives the control the keyboard focus.
void focus_control(int id);

// Returns the id of the main window's control that has the keyboard focus, or 0 when none
// has it.
int focused_control(void);

// Makes the main window the active, foreground window again and gives control <id> the
// keyboard focus; with <id> 0 the focus goes where the platform's dialog handling puts it.
void reactivate_main_window(int id);

// Sends <message> to the control; returns the control's answer.
LRESULT send_to_control(int id, UINT message, WPARAM wparam, LPARAM lparam);

// Returns the notification code that a control's WM_COMMAND carries, or -1 for any other
// message, so that handlers act only on the codes they know.
int notification_code(UINT message, WPARAM wparam);
