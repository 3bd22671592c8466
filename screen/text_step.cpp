#include "screen/text_step.h"

#include "screen/screen_text.h"
#include "serial/channel.h"
#include "ui/controls.h"
#include "ui/window.h"

void TEXT_STEP(void) {
  bool send_text = READ_CHECK(ID_SEND_TEXT);
  bool store = READ_CHECK(ID_STORE_TO_EE);
  if (!send_text) return;
  bool four_lines = READ_CHECK(ID_FOUR_LINES);
  std::string lines[4] = {READ_TEXT(ID_LINE_1), READ_TEXT(ID_LINE_2)};
  if (four_lines) {
    lines[2] = READ_TEXT(ID_LINE_3);
    lines[3] = READ_TEXT(ID_LINE_4);
  }
  SER_SEND(FORM_FEED + BUILD_SCREEN_TEXT(lines, four_lines, SYSTEM_CODE_PAGE()));
  if (store) SER_SEND(STORE_COMMAND);
}
