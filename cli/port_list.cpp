#include "cli/port_list.h"

#include <algorithm>

#include "cli/messages.h"
#include "cli/options.h"
#include "cli/process.h"
#include "core/shown_text.h"
#include "module/hex.h"

namespace {

const char DIGITS[] = "0123456789";

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Returns the run of digits in <text> that starts at <at>, and moves <at> past it.
std::string digits_at(const std::string& text, size_t* at) {
  size_t end = std::min(text.find_first_not_of(DIGITS, *at), text.size());
  std::string run = text.substr(*at, end - *at);
  *at = end;
  return run;
}

// Returns true when <a> comes before <b>, runs of digits compared by their value.
bool counted_before(const std::string& a, const std::string& b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (is_digit(a[i]) && is_digit(b[j])) {
      std::string x = digits_at(a, &i), y = digits_at(b, &j);
      if (x.size() != y.size()) return x.size() < y.size();
      if (x != y) return x < y;
    } else if (a[i] != b[j]) {
      return (unsigned char)a[i] < (unsigned char)b[j];
    } else {
      i++, j++;
    }
  }
  return a.size() - i < b.size() - j;
}

// Returns the adapter in words: "USB 0403:6001 FTDI FT232R USB UART, serial A6008isP".
std::string usb_text(const SerialPort& port) {
  std::string text = "USB " + port.vendor_id + ":" + port.product_id;
  if (!port.manufacturer.empty()) text += " " + port.manufacturer;
  if (!port.product.empty()) text += " " + port.product;
  if (!port.serial.empty()) text += ", serial " + port.serial;
  return text;
}

std::string port_line(const SerialPort& port) {
  std::string line = shown_text(port.device);
  for (const std::string& field :
       {port.name, port.driver, port.usb ? usb_text(port) : std::string(),
        port.by_id.empty() ? port.by_path : port.by_id})
    if (!field.empty()) line += "  " + shown_text(field);
  return line + "\n";
}

// Returns <text> as a JSON string (sysfs gives UTF-8, which JSON takes as it is), or null
// when it is empty.
std::string json_text(const std::string& text) {
  if (text.empty()) return "null";
  std::string json = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') json += '\\';
    json += c < 0x20 ? "\\u" + hex_digits(c, 4) : std::string(1, (char)c);
  }
  return json + "\"";
}

std::string json_usb(const SerialPort& port) {
  if (!port.usb) return "null";
  return "{\"vendor_id\":" + json_text(port.vendor_id) +
         ",\"product_id\":" + json_text(port.product_id) +
         ",\"manufacturer\":" + json_text(port.manufacturer) +
         ",\"product\":" + json_text(port.product) + ",\"serial\":" + json_text(port.serial) + "}";
}

std::string json_port(const SerialPort& port) {
  return "{\"device\":" + json_text(port.device) + ",\"name\":" + json_text(port.name) +
         ",\"by_id\":" + json_text(port.by_id) + ",\"by_path\":" + json_text(port.by_path) +
         ",\"driver\":" + json_text(port.driver) + ",\"usb\":" + json_usb(port) + "}";
}

const char HELP[] =
    " [--json]\n"
    "\n";

const char OPTIONS_HELP[] =
    "\n"
    "  --json       the list as JSON, for scripts\n"
    "  -h, --help   this text\n"
    "\n"
    "Exit status: 0 when the list was printed (an empty one too), 1 when the system's list\n"
    "cannot be read, 2 for wrong arguments.\n";

const char* set_json(bool* json, const char*) {
  *json = true;
  return NULL;
}

const Option<bool> OPTIONS[] = {{"--json", false, set_json}};

}  // namespace

void sort_ports(std::vector<SerialPort>* ports) {
  std::sort(ports->begin(), ports->end(), [](const SerialPort& a, const SerialPort& b) {
    return counted_before(a.device, b.device);
  });
}

std::string port_lines(const std::vector<SerialPort>& ports) {
  std::string lines;
  for (const SerialPort& port : ports) lines += port_line(port);
  return lines;
}

std::string port_json(const std::vector<SerialPort>& ports) {
  std::string json = "[";
  for (size_t i = 0; i < ports.size(); i++) json += (i ? "," : "") + json_port(ports[i]);
  return json + "]\n";
}

int ports_command(const char* name, int argc, char** argv) {
  bool json = false, help = false;
  std::string error = parse_options(argc, argv, OPTIONS, &json, &help);
  if (help)
    return print_or_fail(
        name, "usage: " + std::string(name) + HELP + SYSTEM_PORTS_HELP + OPTIONS_HELP, 1);
  if (!error.empty()) return fail(name, error + " (see " + name + " --help)", 2);
  std::vector<SerialPort> ports;
  if (!system_ports(&ports, &error)) return exit_status(fail(name, error, 1));
  error = print(json ? port_json(ports) : port_lines(ports));
  if (!error.empty()) return exit_status(fail(name, error, 1));
  if (ports.empty() && !json) print_error(std::string(name) + ": no serial device found\n");
  return exit_status(0);
}
