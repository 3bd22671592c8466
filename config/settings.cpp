#include "config/settings.h"

#include "config/command.h"
#include "config/number.h"
#include "ui/controls.h"
#include "ui/window.h"

int read_baud_rate(void) { return baud_rate(read_check(ID_BAUD_9600), read_check(ID_BAUD_2400)); }

int read_port_number(void) { return read_number(read_text(ID_PORT)); }

unsigned char read_brightness_code(void) {
  return brightness_code(read_check(ID_BRIGHT_25), read_check(ID_BRIGHT_50),
                         read_check(ID_BRIGHT_75), read_check(ID_BRIGHT_100));
}

unsigned char read_startup_flag(void) { return startup_flag(read_check(ID_SHOW_STARTUP)); }

unsigned char read_delay_byte(void) { return delay_byte(read_number(read_text(ID_DELAY))); }

unsigned char read_mode_flags(void) {
  return mode_flags(read_check(ID_OLD_MODE), read_check(ID_WRITE_PROTECT),
                    read_check(ID_NO_AUTO_DIM));
}
