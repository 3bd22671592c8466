// Control access operations: every other module reads and changes the main window's
// controls only through these, by control id. Texts are byte strings in the ANSI code page.
#pragma once

#include <windows.h>

#include <string>

#include "screen/screen_text.h"

// Returns how the ANSI code page in force makes characters out of bytes.
CodePage SYSTEM_CODE_PAGE(void);

// Returns <text> in the ANSI code page; a character the code page lacks becomes the
// platform's replacement (a close character where one is defined, else the default one).
std::string ANSI_FROM_WIDE(const std::wstring& text);

// Returns the ANSI code page bytes <bytes> as UTF-16.
std::wstring WIDE_FROM_ANSI(const std::string& bytes);

// Returns the control's whole window text, converted to the ANSI code page.
std::string READ_TEXT(int id);

// Returns true when the text box's caret follows the first half of a UTF-16 surrogate pair:
// a character beyond U+FFFF is typed as two halves, and the second is still to come.
bool HALF_CHARACTER_AT_CARET(int id);

// Replaces the control's text with <bytes>, converted from the ANSI code page.
void SET_TEXT(int id, const std::string& bytes);

// Returns true when the button is checked.
bool READ_CHECK(int id);

// Sets or clears the button's check mark; the button sends no click notification for it.
void SET_CHECK(int id, bool checked);

// Enables or disables the control.
void ENABLE_CONTROL(int id, bool enabled);

// Brings the main window to the foreground and gives the control the keyboard focus.
void FOCUS_CONTROL(int id);

// Returns the id of the main window's control that has the keyboard focus, or 0 when none
// has it.
int FOCUSED_CONTROL(void);

// Makes the main window the active, foreground window again and gives control <id> the
// keyboard focus; with <id> 0 the focus goes where the platform's dialog handling puts it.
void REACTIVATE_MAIN_WINDOW(int id);

// Sends <message> to the control; returns the control's answer.
LRESULT SEND_TO_CONTROL(int id, UINT message, WPARAM wparam, LPARAM lparam);

// Returns the notification code that a control's WM_COMMAND carries, or -1 for any other
// message, so that handlers act only on the codes they know.
int NOTIFICATION_CODE(UINT message, WPARAM wparam);
