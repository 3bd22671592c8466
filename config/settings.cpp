#include "config/settings.h"

#include "config/command.h"
#include "config/number.h"
#include "ui/controls.h"
#include "ui/window.h"

int READ_BAUD_RATE(void) { return BAUD_RATE(READ_CHECK(ID_BAUD_9600), READ_CHECK(ID_BAUD_2400)); }

int READ_PORT_NUMBER(void) { return READ_NUMBER(READ_TEXT(ID_PORT)); }

unsigned char READ_BRIGHTNESS_CODE(void) {
  return BRIGHTNESS_CODE(READ_CHECK(ID_BRIGHT_25), READ_CHECK(ID_BRIGHT_50),
                         READ_CHECK(ID_BRIGHT_75), READ_CHECK(ID_BRIGHT_100));
}

unsigned char READ_STARTUP_FLAG(void) { return STARTUP_FLAG(READ_CHECK(ID_SHOW_STARTUP)); }

unsigned char READ_DELAY_BYTE(void) { return DELAY_BYTE(READ_NUMBER(READ_TEXT(ID_DELAY))); }

unsigned char READ_MODE_FLAGS(void) {
  return MODE_FLAGS(READ_CHECK(ID_OLD_MODE), READ_CHECK(ID_WRITE_PROTECT),
                    READ_CHECK(ID_NO_AUTO_DIM));
}
