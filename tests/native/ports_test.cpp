// glimmerset ports: sysfs and /dev trees as real kernels lay them out, made in a temporary
// folder, and the program on this machine as it is.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "cli/port_list.h"
#include "cli/ports_linux.h"
#include "spawn.h"

namespace {

// Makes the tree that <lines> describe under <root>: "PATH -> TARGET" a link, "PATH = TEXT"
// a file holding TEXT and a line end, "PATH" an empty file. Returns false on failure.
bool make_tree(const std::string& root, const std::string& lines) {
  size_t end;
  for (size_t at = 0; at < lines.size(); at = end + 1) {
    end = std::min(lines.find('\n', at), lines.size());
    std::string line = lines.substr(at, end - at);
    size_t link = line.find(" -> "), text = line.find(" = ");
    std::string path = root + "/" + line.substr(0, std::min(link, text));
    if (line.empty()) continue;
    for (size_t slash = root.size() + 1; (slash = path.find('/', slash)) != std::string::npos;)
      mkdir(path.substr(0, slash++).c_str(), 0755);
    if (link != std::string::npos) {
      if (symlink(line.substr(link + 4).c_str(), path.c_str()) != 0) return false;
      continue;
    }
    FILE* f = fopen(path.c_str(), "w");
    if (!f) return false;
    if (text != std::string::npos) fprintf(f, "%s\n", line.substr(text + 3).c_str());
    fclose(f);
  }
  return true;
}

// The serial ttys of these trees carry names that no driver gives ("ttytestUSB2" where a
// kernel has ttyUSB2), so that no test names a device this machine may have; the program
// takes every name as sysfs gives it, and sorts them alike.

// An FTDI and a CP210x adapter (usb-serial ttys below their USB interfaces), an Arduino with
// the CDC ACM driver (which gives no product string), the PC's first port found through
// ACPI, three 8250 slots without a UART and a virtual console, as Linux 6.1 lays them out
// (what the program does not read left out).
const char PC_LINUX_6_1[] = R"(
sys/class/tty/tty0 -> ../../devices/virtual/tty/tty0
sys/class/tty/ttytestS0 -> ../../devices/pnp0/00:04/tty/ttytestS0
sys/devices/pnp0/00:04/tty/ttytestS0/device -> ../../../00:04
sys/devices/pnp0/00:04/tty/ttytestS0/type = 4
sys/devices/pnp0/00:04/driver -> ../../../bus/pnp/drivers/serial
sys/class/tty/ttytestS1 -> ../../devices/platform/serial8250/tty/ttytestS1
sys/class/tty/ttytestS2 -> ../../devices/platform/serial8250/tty/ttytestS2
sys/class/tty/ttytestS3 -> ../../devices/platform/serial8250/tty/ttytestS3
sys/devices/platform/serial8250/tty/ttytestS1/device -> ../../../serial8250
sys/devices/platform/serial8250/tty/ttytestS1/type = 0
sys/devices/platform/serial8250/tty/ttytestS2/device -> ../../../serial8250
sys/devices/platform/serial8250/tty/ttytestS2/type = 0
sys/devices/platform/serial8250/tty/ttytestS3/device -> ../../../serial8250
sys/devices/platform/serial8250/tty/ttytestS3/type = 0
sys/devices/platform/serial8250/driver -> ../../../bus/platform/drivers/serial8250
sys/class/tty/ttytestUSB2 -> ../../devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/ttytestUSB2/tty/ttytestUSB2
sys/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/ttytestUSB2/tty/ttytestUSB2/device -> ../../../ttytestUSB2
sys/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/ttytestUSB2/driver -> ../../../../../../../bus/usb-serial/drivers/ftdi_sio
sys/devices/pci0000:00/0000:00:14.0/usb1/1-2/idVendor = 0403
sys/devices/pci0000:00/0000:00:14.0/usb1/1-2/idProduct = 6001
sys/devices/pci0000:00/0000:00:14.0/usb1/1-2/manufacturer = FTDI
sys/devices/pci0000:00/0000:00:14.0/usb1/1-2/product = FT232R USB UART
sys/devices/pci0000:00/0000:00:14.0/usb1/1-2/serial = A6008isP
sys/devices/pci0000:00/0000:00:14.0/usb1/idVendor = 1d6b
sys/class/tty/ttytestUSB10 -> ../../devices/pci0000:00/0000:00:14.0/usb1/1-4/1-4.1/1-4.1:1.0/ttytestUSB10/tty/ttytestUSB10
sys/devices/pci0000:00/0000:00:14.0/usb1/1-4/1-4.1/1-4.1:1.0/ttytestUSB10/tty/ttytestUSB10/device -> ../../../ttytestUSB10
sys/devices/pci0000:00/0000:00:14.0/usb1/1-4/1-4.1/1-4.1:1.0/ttytestUSB10/driver -> ../../../../../../../../bus/usb-serial/drivers/cp210x
sys/devices/pci0000:00/0000:00:14.0/usb1/1-4/1-4.1/idVendor = 10c4
sys/devices/pci0000:00/0000:00:14.0/usb1/1-4/1-4.1/idProduct = ea60
sys/devices/pci0000:00/0000:00:14.0/usb1/1-4/1-4.1/manufacturer = Silicon Labs
sys/devices/pci0000:00/0000:00:14.0/usb1/1-4/1-4.1/product = CP2102 USB to UART Bridge Controller
sys/devices/pci0000:00/0000:00:14.0/usb1/1-4/1-4.1/serial = 0001
sys/devices/pci0000:00/0000:00:14.0/usb1/1-4/idVendor = 05e3
sys/class/tty/ttytestACM0 -> ../../devices/pci0000:00/0000:00:14.0/usb1/1-3/1-3:1.0/tty/ttytestACM0
sys/devices/pci0000:00/0000:00:14.0/usb1/1-3/1-3:1.0/tty/ttytestACM0/device -> ../../../1-3:1.0
sys/devices/pci0000:00/0000:00:14.0/usb1/1-3/1-3:1.0/driver -> ../../../../../../bus/usb/drivers/cdc_acm
sys/devices/pci0000:00/0000:00:14.0/usb1/1-3/idVendor = 2341
sys/devices/pci0000:00/0000:00:14.0/usb1/1-3/idProduct = 0043
sys/devices/pci0000:00/0000:00:14.0/usb1/1-3/manufacturer = Arduino (www.arduino.cc)
sys/devices/pci0000:00/0000:00:14.0/usb1/1-3/serial = 75833353035351A0F0E1
dev/tty0
dev/ttytestS0
dev/ttytestS1
dev/ttytestS2
dev/ttytestS3
dev/ttytestUSB2
dev/ttytestUSB10
dev/ttytestACM0
dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0 -> ../../ttytestUSB2
dev/serial/by-id/usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_0001-if00-port0 -> ../../ttytestUSB10
dev/serial/by-id/usb-Arduino__www.arduino.cc__0043_75833353035351A0F0E1-if00 -> ../../ttytestACM0
dev/serial/by-path/pci-0000:00:14.0-usb-0:3:1.0 -> ../../ttytestACM0
)";

// Since Linux 6.5 the serial core puts a controller and a port device (bus serial-base)
// between the UART's device and its tty. Here the first port, found through ACPI, has a
// UART, the next slot has none, and an adapter seen in sysfs has no device file in this
// /dev (a container's).
const char PC_LINUX_6_12[] = R"(
sys/class/tty/ttytestS0 -> ../../devices/pnp0/00:00/00:00:0/00:00:0.0/tty/ttytestS0
sys/devices/pnp0/00:00/00:00:0/00:00:0.0/tty/ttytestS0/device -> ../../../00:00:0.0
sys/devices/pnp0/00:00/00:00:0/00:00:0.0/tty/ttytestS0/type = 4
sys/devices/pnp0/00:00/00:00:0/00:00:0.0/driver -> ../../../../../bus/serial-base/drivers/port
sys/devices/pnp0/00:00/00:00:0/00:00:0.0/subsystem -> ../../../../../bus/serial-base
sys/devices/pnp0/00:00/00:00:0/driver -> ../../../../bus/serial-base/drivers/ctrl
sys/devices/pnp0/00:00/00:00:0/subsystem -> ../../../../bus/serial-base
sys/devices/pnp0/00:00/driver -> ../../../bus/pnp/drivers/serial
sys/class/tty/ttytestS1 -> ../../devices/platform/serial8250/serial8250:0/serial8250:0.1/tty/ttytestS1
sys/devices/platform/serial8250/serial8250:0/serial8250:0.1/tty/ttytestS1/device -> ../../../serial8250:0.1
sys/devices/platform/serial8250/serial8250:0/serial8250:0.1/tty/ttytestS1/type = 0
sys/class/tty/ttytestUSB0 -> ../../devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/ttytestUSB0/tty/ttytestUSB0
sys/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/ttytestUSB0/tty/ttytestUSB0/device -> ../../../ttytestUSB0
dev/ttytestS0
dev/ttytestS1
)";

// A Raspberry Pi 4 with Linux 6.6: the PL011 UART on the pin header, an AMBA device.
const char RASPBERRY_PI_LINUX_6_6[] = R"(
sys/class/tty/ttytestAMA0 -> ../../devices/platform/soc/fe201000.serial/fe201000.serial:0/fe201000.serial:0.0/tty/ttytestAMA0
sys/devices/platform/soc/fe201000.serial/fe201000.serial:0/fe201000.serial:0.0/tty/ttytestAMA0/device -> ../../../fe201000.serial:0.0
sys/devices/platform/soc/fe201000.serial/fe201000.serial:0/fe201000.serial:0.0/tty/ttytestAMA0/type = 32
sys/devices/platform/soc/fe201000.serial/fe201000.serial:0/fe201000.serial:0.0/subsystem -> ../../../../../../bus/serial-base
sys/devices/platform/soc/fe201000.serial/fe201000.serial:0/subsystem -> ../../../../../bus/serial-base
sys/devices/platform/soc/fe201000.serial/driver -> ../../../../bus/amba/drivers/uart-pl011
sys/class/tty/tty1 -> ../../devices/virtual/tty/tty1
dev/ttytestAMA0
dev/tty1
dev/serial/by-path/platform-fe201000.serial -> ../../ttytestAMA0
)";

// The tree's paths as the program prints them: "@" stands for the root.
std::string at_root(std::string text, const std::string& root) {
  for (size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, root);
  return text;
}

std::string fresh_root(const char* name) {
  std::string root = testing::TempDir() + name + ".XXXXXX";
  return mkdtemp(&root[0]) ? root : "";
}

}  // namespace

TEST(Ports, FromTheLayoutsOfRealKernels) {
  static const struct {
    const char* machine;
    const char* tree;
    const char* lines;
  } cases[] = {
      {"a PC, Linux 6.1", PC_LINUX_6_1,
       "@/dev/ttytestACM0  cdc_acm  USB 2341:0043 Arduino (www.arduino.cc), serial "
       "75833353035351A0F0E1  @/dev/serial/by-id/usb-Arduino__www.arduino.cc__0043_"
       "75833353035351A0F0E1-if00\n"
       "@/dev/ttytestS0  serial\n"
       "@/dev/ttytestUSB2  ftdi_sio  USB 0403:6001 FTDI FT232R USB UART, serial A6008isP  "
       "@/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0\n"
       "@/dev/ttytestUSB10  cp210x  USB 10c4:ea60 Silicon Labs CP2102 USB to UART Bridge "
       "Controller, serial 0001  @/dev/serial/by-id/usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_"
       "Controller_0001-if00-port0\n"},
      {"a PC, Linux 6.12", PC_LINUX_6_12, "@/dev/ttytestS0  serial\n"},
      {"a Raspberry Pi 4, Linux 6.6", RASPBERRY_PI_LINUX_6_6,
       "@/dev/ttytestAMA0  uart-pl011  @/dev/serial/by-path/platform-fe201000.serial\n"},
      {"no serial port", "sys/class/tty/tty0 -> ../../devices/virtual/tty/tty0\ndev/tty0", ""},
  };
  for (const auto& c : cases) {
    std::string root = fresh_root("ports_test");
    ASSERT_TRUE(make_tree(root, c.tree)) << c.machine;
    std::vector<SerialPort> ports;
    std::string error;
    EXPECT_TRUE(linux_ports(root + "/sys", root + "/dev", &ports, &error)) << c.machine;
    EXPECT_EQ(at_root(c.lines, root), port_lines(ports)) << c.machine;
    ASSERT_EQ(0, system(("rm -rf " + root).c_str()));
  }
  std::vector<SerialPort> ports;
  std::string error;
  EXPECT_FALSE(linux_ports("/nonexistent/sys", "/dev", &ports, &error));
  EXPECT_EQ("cannot read /nonexistent/sys/class/tty (is sysfs mounted?)", error);
}

TEST(Ports, AsJson) {
  SerialPort usb;
  usb.device = "/dev/ttytestUSB0";
  usb.by_id = "/dev/serial/by-id/usb-\"x\"";
  usb.driver = "ftdi_sio";
  usb.usb = true;
  usb.vendor_id = "0403";
  usb.product_id = "6001";
  usb.product = "tab\there";
  SerialPort uart;
  uart.device = "/dev/ttytestAMA0";
  uart.by_path = "/dev/serial/by-path/platform-fe201000.serial";
  SerialPort com;  // as Windows names it
  com.device = "COM5";
  com.name = "Communications Port (COM5)";
  EXPECT_EQ("[]\n", port_json({}));
  EXPECT_EQ(
      "[{\"device\":\"/dev/ttytestUSB0\",\"name\":null,"
      "\"by_id\":\"/dev/serial/by-id/usb-\\\"x\\\"\",\"by_path\":null,\"driver\":\"ftdi_sio\","
      "\"usb\":{\"vendor_id\":\"0403\","
      "\"product_id\":\"6001\",\"manufacturer\":null,\"product\":\"tab\\u0009here\","
      "\"serial\":null}},{\"device\":\"/dev/ttytestAMA0\",\"name\":null,\"by_id\":null,\"by_path\":"
      "\"/dev/serial/by-path/platform-fe201000.serial\",\"driver\":null,\"usb\":null},"
      "{\"device\":\"COM5\",\"name\":\"Communications Port (COM5)\",\"by_id\":null,"
      "\"by_path\":null,\"driver\":null,\"usb\":null}]\n",
      port_json({usb, uart, com}));
}

// This machine as it is: every port listed is a device file and a tty of sysfs, and the
// JSON lists as many. No device is opened, so the machine's own ports are safe to list.
TEST(Ports, OnThisMachine) {
  std::string out = testing::TempDir() + "ports_out", json = testing::TempDir() + "ports_json";
  ASSERT_EQ(0, end_program(start_glimmerset({"ports"}, out, "/dev/null"), false));
  ASSERT_EQ(0, end_program(start_glimmerset({"ports", "--json"}, json), false));
  std::string lines = file_text(out), listed = file_text(json);
  size_t count = 0;
  for (size_t at = 0, end; at < lines.size(); at = end + 1, count++) {
    end = lines.find('\n', at);
    std::string line = lines.substr(at, end - at), device = line.substr(0, line.find("  "));
    struct stat s;
    EXPECT_EQ(0, stat(device.c_str(), &s)) << device;
    EXPECT_EQ(0, access(("/sys/class/tty/" + device.substr(5)).c_str(), F_OK)) << device;
  }
  size_t objects = 0;
  for (size_t at = 0; (at = listed.find("{\"device\":", at)) != std::string::npos; at++) objects++;
  EXPECT_EQ(count, objects) << lines << listed;
}

TEST(Ports, RefusesWhatItDoesNotTake) {
  static const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"--by-id"}, "unknown option '--by-id'"},
      {{"ttytestUSB0"}, "unexpected argument 'ttytestUSB0'"},
      {{"--json", "--json"}, "--json is given twice"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), "ports");
    std::string out = testing::TempDir() + "ports_refused";
    EXPECT_EQ(2, end_program(start_glimmerset(args, out), false)) << c.message;
    EXPECT_EQ("glimmerset ports: " + c.message + " (see glimmerset ports --help)\n",
              file_text(out));
  }
}
