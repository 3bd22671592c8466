#include "config/settings.h"

#include "config/command.h"
#include "config/number.h"
#include "ui/controls.h"
#include "ui/window.h"

int READ_BAUD_RATE(void) { return BAUD_RATE(read_check(ID_BAUD_9600), read_check(ID_BAUD_2400)); }

int READ_PORT_NUMBER(void) { return READ_NUMBER(read_text(ID_PORT)); }

unsigned char READ_BRIGHTNESS_CODE(void) {
  return BRIGHTNESS_CODE(read_check(ID_BRIGHT_25), read_check(ID_BRIGHT_50),
                         read_check(ID_BRIGHT_75), read_check(ID_BRIGHT_100));
}

unsigned char READ_STARTUP_FLAG(void) { return STARTUP_FLAG(read_check(ID_SHOW_STARTUP)); }

unsigned char READ_DELAY_BYTE(void) { return DELAY_BYTE(READ_NUMBER(read_text(ID_DELAY))); }

unsigned char READ_MODE_FLAGS(void) {
  return MODE_FLAGS(read_check(ID_OLD_MODE), read_check(ID_WRITE_PROTECT),
                    read_check(ID_NO_AUTO_DIM));
}
