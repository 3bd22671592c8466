// The start-up screen's line editors, and the edit guard that every text-box change
// handler of the main window shares.
#pragma once

#include <windows.h>

// Set while a change handler examines and perhaps rewrites its box, so that the change
// notification of its own rewrite, which arrives before the rewrite returns, is ignored.
extern bool g_edit_guard;

// For a text box's change notification while the guard is clear: sets the guard, runs
// <check> for the box's id and clears the guard. Returns 0, like every control handler.
INT_PTR guarded_change(UINT message, WPARAM wparam, void (*check)(int id));

// Change handler of the four screen lines: holds a line to 20 bytes and, when it reaches
// 20, moves the focus to the next line (line 4 to line 1). Returns 0.
INT_PTR line_handler(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
