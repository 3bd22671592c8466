// POSIX pieces of glimmerset's Linux files and the tests' pty host: a monotonic clock,
// pseudo-terminals, links and whole writes. Not on Windows.
#pragma once

#include <string>

// Returns a monotonic clock in milliseconds.
long long now_ms();

// Opens a pty whose slave is raw, its master non-blocking, both closed on exec. Returns
// false when no pty is available.
bool open_raw_pty(int* master, int* slave, std::string* slave_path);

// Replaces <path> by a symlink to <target>, in one step. Returns false, with errno, on
// failure (files.cpp).
bool point_link(const std::string& path, const std::string& target);

// Writes all of <bytes> to <fd>. Returns false, with errno, when it could not (files.cpp).
bool write_fully(int fd, const std::string& bytes);

// Returns the cause of a failed call on a file from its errno, in lower-case words of ours
// (files.cpp).
std::string file_cause(int error);
