#include "config/run.h"

#include "config/command.h"
#include "config/settings.h"
#include "screen/text_step.h"
#include "serial/channel.h"
#include "ui/controls.h"

const wchar_t RUN_DONE_TEXT[] = L"Configuration complete.";
const wchar_t RUN_DONE_CAPTION[] = L"Done";
const wchar_t PORT_ERROR_TEXT[] = L"Can't access specified comm port.\rPlease select another.";
const wchar_t WRITE_ERROR_TEXT[] =
    L"Sending to the comm port failed.\rThe configuration may be incomplete.";
const wchar_t ERROR_CAPTION[] = L"Error";
const UINT RUN_MESSAGE_STYLE = MB_OK | MB_TASKMODAL | MB_SETFOREGROUND;

// Shows the outcome and returns once the user closed it, with the main window active again
// and the focus where it was. The box has no owner: when it closes, the platform activates
// whichever window comes next, and ours, still disabled at that moment, is passed over.
static void report(const wchar_t* text, const wchar_t* caption) {
  int focus = focused_control();
  MessageBoxW(NULL, text, caption, RUN_MESSAGE_STYLE);
  reactivate_main_window(focus);
}

static void send_pair(unsigned char first, unsigned char second) {
  const char pair[2] = {(char)first, (char)second};
  SER_SEND(pair, 2);
}

void configuration_run(void) {
  int rate = read_baud_rate();
  int port = read_port_number();
  if (!SER_OPEN(port, rate)) {
    report(PORT_ERROR_TEXT, ERROR_CAPTION);
    return;
  }
  text_step();
  SER_SEND(CONFIG_COMMAND_START);
  unsigned char brightness = read_brightness_code();
  send_pair(brightness, read_startup_flag());
  unsigned char delay = read_delay_byte();
  send_pair(delay, read_mode_flags());
  SER_SEND(CONFIG_COMMAND_END);
  SER_CLOSE();
  // The module acknowledges nothing, so a write the port refused is the only sign that
  // the configuration did not arrive whole.
  if (SER_WRITE_FAILED())
    report(WRITE_ERROR_TEXT, ERROR_CAPTION);
  else
    report(RUN_DONE_TEXT, RUN_DONE_CAPTION);
}

INT_PTR send_button_handler(HWND, UINT message, WPARAM wparam, LPARAM) {
  if (notification_code(message, wparam) == BN_CLICKED) configuration_run();
  return 0;
}
