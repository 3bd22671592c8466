#include "config/command.h"

#include "config/number.h"

const std::string CONFIG_COMMAND_START = "\x1BW";
const std::string CONFIG_COMMAND_END = "\x80\x80\x80\x80";

int baud_rate(bool checked_9600, bool checked_2400) {
  int rate = 0;
  if (checked_9600) rate = 9600;
  if (checked_2400) rate = 2400;
  return rate;
}

unsigned char brightness_code(bool checked_25, bool checked_50, bool checked_75, bool checked_100) {
  unsigned char code = 0x00;
  if (checked_100) code = 0x83;
  if (checked_75) code = 0x82;
  if (checked_50) code = 0x81;
  if (checked_25) code = 0x80;
  return code;
}

unsigned char startup_flag(bool show_startup_screen) { return show_startup_screen ? 0x81 : 0x80; }

unsigned char delay_byte(int units) {
  if (units > DELAY_LIMIT) units = DELAY_LIMIT;
  return units <= 0 ? 0x80 : (unsigned char)units;
}

std::string held_delay_text(const std::string& text) {
  return read_number(text) > DELAY_LIMIT ? std::to_string(DELAY_LIMIT) : text;
}

unsigned char mode_flags(bool old_mode, bool write_protect, bool no_auto_dim) {
  return 0x80 | (old_mode ? 0x01 : 0) | (write_protect ? 0x02 : 0) | (no_auto_dim ? 0x04 : 0);
}

std::string configuration_command(unsigned char brightness, unsigned char startup,
                                  unsigned char delay, unsigned char mode) {
  const char options[] = {(char)brightness, (char)startup, (char)delay, (char)mode};
  return CONFIG_COMMAND_START + std::string(options, 4) + CONFIG_COMMAND_END;
}
