// Pseudo-terminal pieces and the stop flag, shared by glimmerset and the tests' pty host.
#pragma once

#include <signal.h>

#include <string>

// Set by SIGINT or SIGTERM: every waiting loop ends once it sees it.
extern volatile sig_atomic_t stop_requested;

// Returns a monotonic clock in milliseconds.
long long now_ms();

// Replaces <path> by a symlink to <target> in one step (link under a temporary name, then
// rename over), so that Wine never finds the name missing. Returns false on failure.
bool point_link(const std::string& path, const std::string& target);

// Opens a pty whose slave is raw, its master non-blocking, both closed on exec. Returns
// false when no pty is available.
bool open_raw_pty(int* master, int* slave, std::string* slave_path);
