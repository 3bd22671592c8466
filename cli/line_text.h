// A screen line given on the command line, in the bytes the module is sent: converted from
// the arguments' encoding to the chosen code page, and refused rather than altered when it
// cannot be shown as given.
#pragma once

#include <iconv.h>

#include <string>

// A conversion from the arguments' encoding (UTF-8) to one code page.
struct LineConverter {
  iconv_t to_code_page;
  std::string code_page;  // its name, as the user gave it
};

// Opens a converter to <code_page>. Returns "" or why the code page cannot be used: the
// system does not know it, or it does not keep ASCII as one byte a character (the module's
// character set does).
std::string line_converter_open(const char* code_page, LineConverter* converter);

// Releases the converter. Returns nothing.
void line_converter_close(LineConverter* converter);

// Converts <text>, UTF-8, to <converter>'s code page in <bytes>. Returns "", or what stops
// the line from being shown as given, naming the character: text that is not UTF-8, a
// control character, a character the code page lacks, or more than 20 bytes.
std::string line_bytes(const std::string& text, LineConverter& converter, std::string* bytes);
