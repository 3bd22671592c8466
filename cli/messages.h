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
