#include "screen/text_step.h"

#include "screen/code_page.h"
#include "screen/screen_text.h"
#include "serial/channel.h"
#include "ui/controls.h"
#include "ui/window.h"

void text_step(void) {
  bool send_text = read_check(ID_SEND_TEXT);
  bool store = read_check(ID_STORE_TO_EE);
  if (!send_text) return;
  bool four_lines = read_check(ID_FOUR_LINES);
  std::string lines[4] = {read_text(ID_LINE_1), read_text(ID_LINE_2)};
  if (four_lines) {
    lines[2] = read_text(ID_LINE_3);
    lines[3] = read_text(ID_LINE_4);
  }
  SER_SEND(screen_message(lines, four_lines, system_code_page()));
  if (store) SER_SEND(STORE_COMMAND);
}
