// Pseudo-terminal pieces, shared by glimmerset and the tests' pty host.
#pragma once

#include <string>

// Returns a monotonic clock in milliseconds.
long long now_ms();

// Opens a pty whose slave is raw, its master non-blocking, both closed on exec. Returns
// false when no pty is available.
bool open_raw_pty(int* master, int* slave, std::string* slave_path);
