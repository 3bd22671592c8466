// A screen line given as UTF-8 text (on the command line, in the page), in the bytes the
// module is sent: converted to one of the code pages offered, exactly, or refused rather than
// altered.
#pragma once

#include <string>

#include "core/code_page.h"

// Returns the code page called <name>, or NULL with why it cannot be used in <error>.
const CodePageTable* line_code_page(const std::string& name, std::string* error);

// Converts <text>, UTF-8, to <page> in <bytes>. Returns "", or what stops the line from being
// shown as given, naming the character: text that is not UTF-8, a control character, a
// character the code page lacks, or more than 20 bytes.
std::string line_bytes(const std::string& text, const CodePageTable& page, std::string* bytes);

// Returns the first characters of <text> (UTF-8) that fit in a line of 20 bytes of <page>, as
// the window cuts a line that grows too long: a character the code page lacks counts as the
// one byte that would stand in for it, a byte of no well-formed character as one character.
std::string line_cut(const std::string& text, const CodePageTable& page);
