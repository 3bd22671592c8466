// Handlers of the option controls that react while the user edits. Each returns 0.
#pragma once

#include <windows.h>

// Delay field: a number above 120, however it got there, turns the whole text into "120".
INT_PTR delay_field_handler(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// "send text": enables "store to EE" while checked, disables it while clear; the check
// mark of "store to EE" stays as it is.
INT_PTR send_text_handler(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// "4x20" and "2x20": enable screen lines 3 and 4 while "4x20" is checked and disable them
// otherwise (their text stays), whichever of the two sent the click.
INT_PTR screen_type_handler(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
