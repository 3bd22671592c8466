// Start-up, the message loop and shut-down.
#pragma once

#include <windows.h>

// The pause whenever the message queue is empty: the loop polls, it never blocks.
enum { IDLE_SLEEP_MS = 1 };

// Handles at most one message of the thread (sleeping <idle_ms> when there is none) and
// returns the open-window count.
int pump_step(DWORD idle_ms);

// Registers the common controls, builds and shows the main window, puts the initial check
// marks and clears the edit guard. Returns nothing: no start-up step is checked, and
// without a window the later steps have no effect.
void start_up(void);

// Starts up and runs the message loop until no window is open. Returns the process exit
// code, always 0.
int glimmerset_main(void);
