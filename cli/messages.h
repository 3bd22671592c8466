// The words of glimmerset's messages: text shown so that a terminal prints it as it is, and
// the causes of failed calls, in lower-case words of ours.
#pragma once

#include <string>

// Returns <text> for a message: its UTF-8 characters as they are, and each byte of a control
// character or of no well-formed character written as \xNN, so that no message carries a
// raw byte to the terminal.
std::string shown_text(const std::string& text);

// Returns the cause of a failed call on a file from its errno.
std::string file_cause(int error);

// Says "<name>: <message>" on standard error, unless the reader of standard output has gone.
// Returns <code>.
int fail(const char* name, const std::string& message, int code);

// Prints <text> (a command's help) on standard output. Returns the exit status: 0, or
// <failure> when it could not be written (said on standard error).
int print_or_fail(const char* name, const std::string& text, int failure);
