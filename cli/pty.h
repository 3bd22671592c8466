// Pseudo-terminal pieces and the stop flag, shared by glimmerset and the tests' pty host.
#pragma once

#include <signal.h>

#include <string>

// The number of the signal that asked the program to stop, 0 until one does: every waiting
// loop ends once it sees it.
extern volatile sig_atomic_t stop_requested;

// Returns a monotonic clock in milliseconds.
long long now_ms();

// Opens a pty whose slave is raw, its master non-blocking, both closed on exec. Returns
// false when no pty is available.
bool open_raw_pty(int* master, int* slave, std::string* slave_path);
