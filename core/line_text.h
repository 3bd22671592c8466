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
