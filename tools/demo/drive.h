// Driving another process's window from outside, as a person would: bounded waits,
// finding its dialogs, and keys and mouse clicks through SendInput. Used by the headless
// demonstration's driver and by the end-to-end tests.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Returns true once <done> holds, polling every 10 ms; false after <ms> without it. The
// calling thread's own windows, if any, have their messages handled meanwhile.
bool wait_until(const std::function<bool()>& done, DWORD ms);

// Returns the visible dialog window ("#32770") of process <pid> whose caption is
// <caption>, or NULL.
HWND find_dialog(DWORD pid, const wchar_t* caption);

// Returns the window's text.
std::wstring text_of(HWND window);

// Returns the text of a control of another process (WM_GETTEXT: GetWindowTextW would give
// only the text it was created with).
std::wstring control_text(HWND control);

// Returns the window that has the keyboard focus in <window>'s thread, or NULL.
HWND focus_of(HWND window);

// Asks for <window> to become the foreground window (with the input queues attached
// meanwhile, so that a request from another process is honoured). Returns true when it is
// the foreground window within 2 s.
bool bring_to_front(HWND window);

// Returns true when the press and release of virtual key <vk> were queued.
bool input_key(WORD vk);

// Returns true when Alt+F4 was queued, keyed as a person does it.
bool input_alt_f4(void);

// Returns true when every character of <text> was queued as a typed (Unicode) key.
bool input_text(const std::wstring& text);

// Returns true when a left click at the centre of <control> was queued: an absolute move,
// then the button down and up.
bool input_click(HWND control);

// Returns true when a left click at screen point (<screen_x>, <screen_y>) was queued.
bool input_click_at(int screen_x, int screen_y);
