// The single-byte code pages that the start-up screen's lines can be sent in: the display
// shows one character per byte, and ASCII stays in place, as the module's commands need.
// Tables made at build time (tools/code_pages); no platform calls and no iconv, so that
// every build converts alike.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

enum { CODE_PAGE_NO_CHARACTER = 0xFFFF };

struct CodePageTable {
  const char* name;     // as users give it, in any case
  const char* aliases;  // other names for it, space-separated
  // The character of each byte from 0x80 on, or CODE_PAGE_NO_CHARACTER; the bytes below
  // are ASCII in every code page offered.
  uint16_t upper[128];
};

extern const CodePageTable CODE_PAGE_TABLES[];
extern const int CODE_PAGE_COUNT;

// Returns the code page called <name> (its name or an alias, in any case), or NULL.
const CodePageTable* find_code_page(const std::string& name);

// Returns the byte that stands for <character> in <page>, or -1 when none does.
int code_page_byte(const CodePageTable& page, uint32_t character);

// Returns the names of every code page offered, separated by ", ".
std::string code_page_names();

// Returns the length of the well-formed UTF-8 character that starts at <at> in <text>, with
// its code point in <code>; 0 when none starts there (a stray or cut-off byte, an overlong
// form, a surrogate or a code point above U+10FFFF).
size_t utf8_character(const std::string& text, size_t at, uint32_t* code);

// Returns true for a control character (C0, DEL or C1): the module takes some of them as
// commands and shows none.
bool is_control_character(uint32_t code);
