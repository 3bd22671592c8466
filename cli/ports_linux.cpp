#include "cli/ports_linux.h"

#include <dirent.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <map>

#include "cli/options.h"
#include "cli/process.h"

namespace {

const char HELP[] =
    " [--json]\n"
    "\n"
    "Lists the serial devices of this machine, one a line: the device, its driver, for a USB\n"
    "adapter its ids, maker, product and serial number, and its stable name under\n"
    "/dev/serial/by-id/ (or /dev/serial/by-path/) where the system made one. In scripts, name\n"
    "the port by that stable name: a USB adapter's ttyUSB number depends on the order in\n"
    "which adapters were plugged in. Only sysfs and /dev are read; no device is opened\n"
    "(opening a serial port raises DTR, which resets some boards).\n"
    "\n"
    "  --json       the list as JSON, for scripts\n"
    "  -h, --help   this text\n"
    "\n"
    "Exit status: 0 when the list was printed (an empty one too), 1 when sysfs cannot be read,\n"
    "2 for wrong arguments.\n";

// Returns the sysfs attribute at <path> without its line end; "" when there is none.
std::string attribute(const std::string& path) {
  FILE* f = fopen(path.c_str(), "re");
  if (!f) return "";
  char buffer[256];
  size_t got = fread(buffer, 1, sizeof buffer, f);
  fclose(f);
  std::string text(buffer, got);
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

// Returns where <path> leads after every link; "" when it leads nowhere.
std::string resolved(const std::string& path) {
  char real[PATH_MAX];
  return realpath(path.c_str(), real) ? real : "";
}

// Returns the last part of the target of the link <path> (the name of a driver or a bus), ""
// when <path> is no link.
std::string link_name(const std::string& path) {
  char target[PATH_MAX];
  ssize_t length = readlink(path.c_str(), target, sizeof target - 1);
  if (length <= 0) return "";
  std::string text(target, (size_t)length);
  return text.substr(text.rfind('/') + 1);
}

std::string parent(const std::string& path) { return path.substr(0, path.rfind('/')); }

// Returns false when the folder <dir> cannot be read; else true with its entries, sorted.
bool folder_entries(const std::string& dir, std::vector<std::string>* names) {
  DIR* d = opendir(dir.c_str());
  if (!d) return false;
  while (const dirent* entry = readdir(d))
    if (entry->d_name[0] != '.') names->push_back(entry->d_name);
  closedir(d);
  std::sort(names->begin(), names->end());
  return true;
}

// Returns, for every device file that a link in <dir> leads to, the first such link: the
// stable names that udev makes under /dev/serial/.
std::map<std::string, std::string> stable_names(const std::string& dir) {
  std::map<std::string, std::string> names;
  std::vector<std::string> links;
  folder_entries(dir, &links);
  for (const std::string& link : links)
    names.insert({resolved(dir + "/" + link), dir + "/" + link});
  return names;
}

std::string found(const std::map<std::string, std::string>& names, const std::string& key) {
  auto name = names.find(key);
  return name == names.end() ? "" : name->second;
}

// Returns the driver of the port whose device is the folder <device>: that device's own, or,
// since Linux 6.5, that of the device above the serial core's port and controller devices
// (bus serial-base, drivers "port" and "ctrl"), which stand between a UART and its tty.
std::string driver_of(std::string device) {
  while (link_name(device + "/subsystem") == "serial-base") device = parent(device);
  return link_name(device + "/driver");
}

// Gives <port> the ids and strings of the USB device that <device> belongs to, if any: the
// first folder above it, within <devices>, that has a vendor id. Returns nothing.
void add_usb(std::string device, const std::string& devices, SerialPort* port) {
  for (; device.size() > devices.size(); device = parent(device)) {
    port->vendor_id = attribute(device + "/idVendor");
    if (port->vendor_id.empty()) continue;
    port->usb = true;
    port->product_id = attribute(device + "/idProduct");
    port->manufacturer = attribute(device + "/manufacturer");
    port->product = attribute(device + "/product");
    port->serial = attribute(device + "/serial");
    return;
  }
}

const char* set_json(bool* json, const char*) {
  *json = true;
  return NULL;
}

const Option<bool> OPTIONS[] = {{"--json", false, set_json}};

}  // namespace

bool linux_ports(const std::string& sys_root, const std::string& dev_root,
                 std::vector<SerialPort>* ports, std::string* error) {
  std::string ttys = sys_root + "/class/tty";
  std::vector<std::string> names;
  if (!folder_entries(ttys, &names)) {
    *error = "cannot read " + ttys + " (is sysfs mounted?)";
    return false;
  }
  std::map<std::string, std::string> by_id = stable_names(dev_root + "/serial/by-id"),
                                     by_path = stable_names(dev_root + "/serial/by-path");
  std::string devices = resolved(sys_root + "/devices");
  for (std::string name : names) {
    std::string tty = ttys + "/" + name, device = resolved(tty + "/device");
    // Virtual consoles and pseudo-terminals have no device. The serial core keeps a tty for
    // every UART slot it was set up for (the 8250 driver's nr_uarts, 4 or 32 on a PC) and
    // gives type 0, "unknown", to each one where no UART answered the probe.
    if (device.empty() || attribute(tty + "/type") == "0") continue;
    std::replace(name.begin(), name.end(), '!', '/');  // sysfs writes a '/' in a name as '!'
    SerialPort port;
    port.device = dev_root + "/" + name;
    std::string node = resolved(port.device);
    if (node.empty()) continue;  // no device file to open it by (a container's /dev, say)
    port.by_id = found(by_id, node);
    port.by_path = found(by_path, node);
    port.driver = driver_of(device);
    add_usb(device, devices, &port);
    ports->push_back(port);
  }
  sort_ports(ports);
  return true;
}

int ports_command(const char* name, int argc, char** argv) {
  bool json = false, help = false;
  std::string error = parse_options(argc, argv, OPTIONS, &json, &help);
  if (help) return print_or_fail(name, std::string("usage: ") + name + HELP, 1);
  if (!error.empty()) return fail(name, error + " (see " + name + " --help)", 2);
  std::vector<SerialPort> ports;
  if (!linux_ports("/sys", "/dev", &ports, &error)) return exit_status(fail(name, error, 1));
  error = print(json ? port_json(ports) : port_lines(ports));
  if (!error.empty()) return exit_status(fail(name, error, 1));
  if (ports.empty() && !json) fprintf(stderr, "%s: no serial device found\n", name);
  return exit_status(0);
}
