// The start-up screen as the display module takes it: 20 bytes a line, lines joined with
// nothing between them. Byte strings in the ANSI code page; no platform calls.
#pragma once

#include <stddef.h>

#include <string>

enum { SCREEN_WIDTH = 20 };

// The module clears its screen on a form feed before it takes the screen text.
extern const char FORM_FEED;
// ESC "X0": the module stores the screen it shows in its EEPROM.
extern const std::string STORE_COMMAND;

// Returns <line> filled out with spaces to exactly 20 bytes; a longer line is cut to its
// first 20 bytes.
std::string PAD_LINE(const std::string& line);

// Returns the screen text: the padded lines 1 and 2 and, for a 4x20 screen, lines 3 and 4
// (40 or 80 bytes). <lines> holds the four lines' bytes.
std::string BUILD_SCREEN_TEXT(const std::string lines[4], bool four_lines);

// Returns how many bytes of <bytes> fit in <limit> without splitting a double-byte
// character: a lead byte (<is_lead_byte> of the code page) whose trail byte would fall
// beyond the limit is left out with it.
size_t FIT_LENGTH(const std::string& bytes, size_t limit, bool (*is_lead_byte)(unsigned char));
