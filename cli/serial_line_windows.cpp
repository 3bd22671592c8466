// The serial line of a run on Windows: the window's own serial channel opens and sets the
// COM port, with its line check and write time-outs, so that the console program and the
// window cannot disagree about a port.
#include <windows.h>

#include "cli/line_words.h"
#include "cli/process.h"
#include "cli/serial_line.h"
#include "cli/windows_text.h"
#include "serial/channel.h"
#include "serial/line_state.h"
#include "serial/port_name.h"

namespace {

// Returns why the channel did not open the port.
std::string open_error(unsigned long rate) {
  switch (SER_OPEN_FAILURE()) {
    case OPEN_DEVICE_REFUSED:
      return windows_port_cause(SER_LAST_ERROR());
    case OPEN_DISK_FILE:
      return "not a serial port: the name leads to a file";
    case OPEN_LINE_REFUSED:
      return frame_refused(rate);
    case OPEN_TIMEOUTS_REFUSED:
      return "the port takes no write time-outs";
    default:
      return "cannot be opened";
  }
}

// Sends <bytes> on the open port and waits until they have left. Returns "" or why not.
std::string send_open(unsigned long rate, const std::string& bytes) {
  SER_SEND(bytes);
  if (SER_WRITE_FAILED()) {
    DWORD error = SER_LAST_ERROR();
    return error ? windows_port_cause(error)
                 : took_words(SER_SENT(), bytes.size(), write_limit_ms(rate, bytes.size()));
  }
  if (SER_DRAIN()) return "";
  DWORD error = SER_LAST_ERROR();
  return error ? windows_port_cause(error) : unsent_words(0, write_limit_ms(rate, bytes.size()));
}

}  // namespace

const char PORT_NAME[] = "COMn";
const char PORT_HELP[] =
    "  --port COMn          the COM port the display is on, COM1 to COM255 (glimmerset ports\n"
    "                       lists them, with the names Device Manager shows)\n";

const char* port_argument_error(const char* port) {
  return com_port_number(port) ? NULL : "must be a COM port, COM1 to COM255";
}

std::string send_to_line(const char* port, unsigned long rate, const std::string& bytes) {
  std::string error;
  if (!SER_OPEN_PORT(com_port_number(port), (int)rate)) {
    error = open_error(rate);
  } else {
    error = send_open(rate, bytes);
    SER_CLOSE();
  }
  if (stop_requested) error = "interrupted";
  return error.empty() ? "" : std::string(port) + ": " + error;
}
