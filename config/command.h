// The module's configuration command, ESC "W" and eight option bytes, and how each option
// becomes its byte. The module reads a byte with its top bit set as an option value, so
// 0x80 stands for off or zero. No platform calls.
#pragma once

#include <string>

enum { DELAY_LIMIT = 120 };  // units of half a second

extern const std::string CONFIG_COMMAND_START;  // ESC "W"
extern const std::string CONFIG_COMMAND_END;    // the four fixed bytes 0x80

// Returns 9600 when <checked_9600>, 2400 when <checked_2400> (the later test wins), else 0.
int baud_rate(bool checked_9600, bool checked_2400);

// Returns the brightness code for the check states of "25%", "50%", "75%" and "100%":
// 0x80 to 0x83, the lowest checked option winning, or 0x00 when none is checked.
unsigned char brightness_code(bool checked_25, bool checked_50, bool checked_75, bool checked_100);

// Returns 0x81 when the module shows its start-up screen, else 0x80.
unsigned char startup_flag(bool show_startup_screen);

// Returns the delay byte for <units>: 1 to 120 as themselves, anything above as 120, and
// 0 or less as 0x80, since the module takes 0x00 for something else.
unsigned char delay_byte(int units);

// Returns what the delay field holds after an edit left <text> in it: "120" when the number
// it starts with is above 120 (however it got there: typed, pasted), else <text> as it is.
std::string held_delay_text(const std::string& text);

// Returns 0x80 plus 0x01 for the old mode, 0x02 for write protection, 0x04 for no auto dim.
unsigned char mode_flags(bool old_mode, bool write_protect, bool no_auto_dim);

// Returns the whole configuration command: ESC "W", the four option bytes in the order the
// module reads them, and the four fixed bytes.
std::string configuration_command(unsigned char brightness, unsigned char startup,
                                  unsigned char delay, unsigned char mode);
