// glimmerset ports on Windows: the COM ports that the system lists, with the names Device
// Manager shows and, for USB adapters, their ids and serial number. Read from the registry
// and the device tree; no port is opened.
#include <ctype.h>
#include <string.h>
#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>

#include <string>
#include <vector>

#include "cli/port_list.h"
#include "cli/windows_text.h"

namespace {

// The device setup class of COM and printer ports, and the property that holds the name a
// USB device reports of itself. Spelt out here: the system's headers would define some
// hundreds of such constants in the program to get these two.
const GUID PORTS_CLASS = {
    0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
const DEVPROPKEY BUS_REPORTED_NAME = {
    {0x540b947e, 0x8b40, 0x45bc, {0xa8, 0xa2, 0x6a, 0x0b, 0x89, 0x4c, 0xbd, 0xa2}}, 4};

// Every COM port the serial drivers have made, PnP or not: the values of SERIALCOMM name
// the kernel's device and give the COM name. Returns the COM names.
std::vector<std::string> listed_com_names() {
  std::vector<std::string> names;
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key))
    return names;
  for (DWORD i = 0;; i++) {
    wchar_t value[256], data[256];
    DWORD value_length = 256, data_size = sizeof data - sizeof(wchar_t), type = 0;
    LONG result = RegEnumValueW(key, i, value, &value_length, NULL, &type, (BYTE*)data, &data_size);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS || type != REG_SZ) continue;
    data[data_size / sizeof(wchar_t)] = L'\0';
    names.push_back(utf8_of(data));
  }
  RegCloseKey(key);
  return names;
}

// Returns the string property <property> of the device, or "".
std::string registry_property(HDEVINFO set, SP_DEVINFO_DATA* device, DWORD property) {
  wchar_t text[512];
  DWORD type = 0;
  if (!SetupDiGetDeviceRegistryPropertyW(set, device, property, &type, (BYTE*)text,
                                         sizeof text - sizeof(wchar_t), NULL) ||
      (type != REG_SZ && type != REG_MULTI_SZ))
    return "";
  return utf8_of(text);
}

// Returns the name that a USB device reports of itself ("FT232R USB UART"), as Windows 7
// and later keep it, or "".
std::string reported_name(HDEVINFO set, SP_DEVINFO_DATA* device) {
  wchar_t text[256];
  DEVPROPTYPE type = 0;
  if (!SetupDiGetDevicePropertyW(set, device, &BUS_REPORTED_NAME, &type, (BYTE*)text,
                                 sizeof text - sizeof(wchar_t), NULL, 0) ||
      type != DEVPROP_TYPE_STRING)
    return "";
  text[255] = L'\0';
  return utf8_of(text);
}

// Returns the COM name the device's driver gave it ("PortName" in its device key), or "".
std::string port_name_of(HDEVINFO set, SP_DEVINFO_DATA* device) {
  HKEY key = SetupDiOpenDevRegKey(set, device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
  if (key == INVALID_HANDLE_VALUE) return "";
  wchar_t name[64];
  DWORD size = sizeof name - sizeof(wchar_t), type = 0;
  LONG result = RegQueryValueExW(key, L"PortName", NULL, &type, (BYTE*)name, &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_SZ) return "";
  name[size / sizeof(wchar_t)] = L'\0';
  return utf8_of(name);
}

// Returns the id of device instance <instance> ("USB\VID_0403&PID_6001\A6008ISP"), or "".
std::string instance_id(DEVINST instance) {
  wchar_t id[MAX_DEVICE_ID_LEN + 1];
  if (CM_Get_Device_IDW(instance, id, MAX_DEVICE_ID_LEN, 0) != CR_SUCCESS) return "";
  id[MAX_DEVICE_ID_LEN] = L'\0';
  return utf8_of(id);
}

// Returns the four hex digits after <key> ("VID_") in <id>, or "".
std::string id_digits(const std::string& id, const char* key) {
  size_t at = id.find(key);
  if (at == std::string::npos || id.size() < at + strlen(key) + 4) return "";
  std::string digits = id.substr(at + strlen(key), 4);
  for (char& c : digits) c = (char)tolower((unsigned char)c);
  return digits;
}

// Fills in the USB adapter behind the port: the first device up the tree whose id is
// USB\VID_xxxx&PID_yyyy\<instance> without an interface (&MI_) part. Its instance part is
// the adapter's serial number when it has one; Windows makes up one with "&" in it
// otherwise. Returns nothing.
void fill_usb(DEVINST instance, SerialPort* port) {
  for (int depth = 0; depth < 4; depth++) {
    std::string id = instance_id(instance);
    if (id.compare(0, 4, "USB\\") == 0 && id.find("&MI_") == std::string::npos) {
      port->usb = true;
      port->vendor_id = id_digits(id, "VID_");
      port->product_id = id_digits(id, "PID_");
      std::string serial = id.substr(id.rfind('\\') + 1);
      if (serial.find('&') == std::string::npos) port->serial = serial;
      return;
    }
    DEVINST parent;
    if (CM_Get_Parent(&parent, instance, 0) != CR_SUCCESS) return;
    instance = parent;
  }
}

// The ports class of the device tree: each device with the name Device Manager shows, its
// driver's service and the USB adapter it belongs to.
void add_devices(std::vector<SerialPort>* ports) {
  HDEVINFO set = SetupDiGetClassDevsW(&PORTS_CLASS, NULL, NULL, DIGCF_PRESENT);
  if (set == INVALID_HANDLE_VALUE) return;
  SP_DEVINFO_DATA device = {};
  device.cbSize = sizeof device;
  for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &device); i++) {
    SerialPort port;
    port.device = port_name_of(set, &device);
    if (port.device.compare(0, 3, "COM")) continue;  // a printer port (LPT1) is in the class too
    port.name = registry_property(set, &device, SPDRP_FRIENDLYNAME);
    port.driver = registry_property(set, &device, SPDRP_SERVICE);
    port.manufacturer = registry_property(set, &device, SPDRP_MFG);
    fill_usb(device.DevInst, &port);
    if (port.usb) port.product = reported_name(set, &device);
    ports->push_back(port);
  }
  SetupDiDestroyDeviceInfoList(set);
}

}  // namespace

const char SYSTEM_PORTS_HELP[] =
    "Lists the COM ports that Windows knows, one a line: the COM name, the name Device\n"
    "Manager shows, the driver's service and, for a USB adapter, its ids, maker and serial\n"
    "number. A USB adapter keeps its COM number in the same USB socket; give the number that\n"
    "this list shows today. Only the registry and the device tree are read; no port is opened\n"
    "(opening a serial port raises DTR, which resets some boards).\n";

bool system_ports(std::vector<SerialPort>* ports, std::string*) {
  add_devices(ports);
  for (const std::string& com : listed_com_names()) {
    bool known = false;
    for (const SerialPort& port : *ports) known = known || port.device == com;
    if (!known) {
      SerialPort port;
      port.device = com;
      ports->push_back(port);
    }
  }
  sort_ports(ports);
  return true;
}
