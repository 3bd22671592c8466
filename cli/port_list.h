// The serial ports of a machine as a user recognises them, and how they are shown: one line
// each for a person, JSON for a script. No platform calls: each system fills the list its own
// way, and all show it alike.
#pragma once

#include <string>
#include <vector>

// One serial port; a field that the system does not tell is "".
struct SerialPort {
  std::string device;   // the path a program opens it by: /dev/ttyUSB0
  std::string by_id;    // a name that follows the adapter wherever it is plugged in
  std::string by_path;  // a name that follows the socket it is plugged into
  std::string driver;   // the driver that serves it: ftdi_sio, cdc_acm, uart-pl011, ...
  bool usb = false;     // a USB device: the fields below are its own
  std::string vendor_id, product_id;  // four hex digits each
  std::string manufacturer, product, serial;
};

// Sorts <ports> by device as a person counts them: the numbers in a name by value, so that
// ttyS2 comes before ttyS10. Returns nothing.
void sort_ports(std::vector<SerialPort>* ports);

// Returns one line per port: the device, its driver, for a USB device its ids, maker, product
// and serial number, and its stable name (by id, else by path), shown as messages show text
// (control characters and broken UTF-8 written as \xNN).
std::string port_lines(const std::vector<SerialPort>& ports);

// Returns the ports as one JSON list and a line end: per port an object with the keys device,
// by_id, by_path, driver (each a string or null) and usb (null, or an object with vendor_id,
// product_id, manufacturer, product and serial).
std::string port_json(const std::vector<SerialPort>& ports);
