// How a message of glimmerset reaches the user.
#pragma once

#include <string>

// Says "<name>: <message>" on standard error, unless the reader of standard output has gone.
// Returns <code>.
int fail(const char* name, const std::string& message, int code);

// Prints <text> (a command's help) on standard output. Returns the exit status: 0, or
// <failure> when it could not be written (said on standard error).
int print_or_fail(const char* name, const std::string& text, int failure);
