// Text a user gave, made safe to show in a message: a terminal or a page prints it as it is.
// No platform calls.
#pragma once

#include <string>

// Returns <text> for a message: its UTF-8 characters as they are, and each byte of a control
// character or of no well-formed character written as \xNN, so that no message carries a
// raw byte to the terminal.
std::string shown_text(const std::string& text);
