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

// How the system code page makes characters out of bytes.
enum CodePageKind {
  SINGLE_BYTE_CODE_PAGE,  // every byte is a character
  DOUBLE_BYTE_CODE_PAGE,  // a lead byte and the byte after it make one character
  UTF8_CODE_PAGE,         // characters are UTF-8 sequences of 1 to 4 bytes
};

struct CodePage {
  CodePageKind kind;
  bool (*is_lead_byte)(unsigned char byte);  // used only for a double-byte code page
};

// Returns <line> filled out with spaces to exactly 20 bytes; a longer line is cut to the
// whole characters of <code_page> that fit in its first 20 bytes.
std::string PAD_LINE(const std::string& line, const CodePage& code_page);

// Returns the screen text: the padded lines 1 and 2 and, for a 4x20 screen, lines 3 and 4
// (40 or 80 bytes). <lines> holds the four lines' bytes in <code_page>.
std::string build_screen_text(const std::string lines[4], bool four_lines,
                              const CodePage& code_page);

// Returns the screen message: the form feed, then the screen text of build_screen_text.
std::string screen_message(const std::string lines[4], bool four_lines, const CodePage& code_page);

// Returns how many bytes of <bytes> fit in <limit> without splitting a character of
// <code_page>: the longest prefix of whole characters. A byte that starts no complete
// character (a lone lead byte at the end, a malformed or cut-off UTF-8 sequence) counts as
// a character of its own.
size_t fit_length(const std::string& bytes, size_t limit, const CodePage& code_page);
