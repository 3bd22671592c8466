#include "module/views.h"

#include <stdio.h>

#include <vector>

namespace {

// The module's own characters above 0x7E are unknown to us, so they are shown as U+FFFD, one
// character per byte, and every line stays 20 characters wide.
const char REPLACEMENT[] = "\xEF\xBF\xBD";

std::vector<std::string> LINES_OF(const std::string& screen) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < screen.size(); at += MODULE_COLUMNS)
    lines.push_back(screen.substr(at, MODULE_COLUMNS));
  return lines;
}

// Returns the line as UTF-8 text, with U+FFFD for every byte outside printable ASCII.
std::string SHOWN(const std::string& line) {
  std::string text;
  for (unsigned char c : line)
    if (c >= 0x20 && c <= 0x7E)
      text += (char)c;
    else
      text += REPLACEMENT;
  return text;
}

std::string BOX(const std::string& screen) {
  std::string edge = "  +" + std::string(MODULE_COLUMNS, '-') + "+\n";
  std::string box = edge;
  for (const std::string& line : LINES_OF(screen)) box += "  |" + SHOWN(line) + "|\n";
  return box + edge;
}

const char* ON_OFF(bool on) { return on ? "on" : "off"; }

// Returns the delay in seconds: a whole number, or one with ".5".
std::string SECONDS(int half_seconds) {
  return std::to_string(half_seconds / 2) + (half_seconds % 2 ? ".5" : "");
}

std::string OPTIONS_IN_WORDS(const ModuleConfig& c) {
  int delay = DELAY_HALF_SECONDS(c.delay);
  std::string text = "  brightness " + std::to_string(BRIGHTNESS_PERCENT(c.brightness)) + " %\n";
  text += std::string("  start-up screen: ") + (c.startup == 0x81 ? "shown" : "not shown") + "\n";
  text += "  power-up delay: " + (delay ? SECONDS(delay) + " s" : std::string("none")) + "\n";
  text += std::string("  old compatibility mode: ") + ON_OFF(c.mode & 0x01) + "\n";
  text += std::string("  EEPROM write protect: ") + ON_OFF(c.mode & 0x02) + "\n";
  text += std::string("  automatic dimming: ") + ON_OFF(!(c.mode & 0x04)) + "\n";
  return text;
}

std::vector<std::string> ANOMALY_LINES(const Module& module) {
  std::vector<std::string> lines;
  for (const Anomaly& a : module.anomalies) lines.push_back(ANOMALY_TEXT(a));
  if (module.anomalies_dropped)
    lines.push_back("and " + std::to_string(module.anomalies_dropped) + " more anomalies");
  return lines;
}

// Returns <text> as a JSON string: quotes, backslashes and control bytes escaped, bytes
// outside printable ASCII as U+FFFD.
std::string JSON_STRING(const std::string& text) {
  std::string json = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      json += '\\';
      json += (char)c;
    } else if (c >= 0x20 && c <= 0x7E) {
      json += (char)c;
    } else {
      json += "\\ufffd";
    }
  }
  return json + "\"";
}

std::string JSON_LIST(const std::vector<std::string>& items) {
  std::string json = "[";
  for (size_t i = 0; i < items.size(); i++) json += (i ? "," : "") + JSON_STRING(items[i]);
  return json + "]";
}

const char* JSON_BOOL(bool value) { return value ? "true" : "false"; }

std::string JSON_CONFIG(const ModuleConfig& c) {
  return std::string("{\"brightness\":") + std::to_string(BRIGHTNESS_PERCENT(c.brightness)) +
         ",\"startup_screen\":" + JSON_BOOL(c.startup == 0x81) +
         ",\"delay_s\":" + SECONDS(DELAY_HALF_SECONDS(c.delay)) +
         ",\"old_mode\":" + JSON_BOOL(c.mode & 0x01) +
         ",\"write_protect\":" + JSON_BOOL(c.mode & 0x02) +
         ",\"auto_dim\":" + JSON_BOOL(!(c.mode & 0x04)) + "}";
}

}  // namespace

std::string WORDS_VIEW(const Module& module) {
  std::string text = "Screen (20x" + std::to_string(module.lines) + "):\n" + BOX(module.screen);
  text += module.stored ? "Stored start-up screen:\n" + BOX(module.stored_screen)
                        : "Stored start-up screen: none\n";
  text += module.configured ? "Options:\n" + OPTIONS_IN_WORDS(module.config)
                            : "Options: no valid configuration command received\n";
  std::vector<std::string> anomalies = ANOMALY_LINES(module);
  if (anomalies.empty()) return text + "Anomalies: none\n";
  text += "Anomalies:\n";
  for (const std::string& line : anomalies) text += "  " + line + "\n";
  return text;
}

std::string JSON_VIEW(const Module& module) {
  return "{\"screen\":" + JSON_LIST(LINES_OF(module.screen)) + ",\"stored_screen\":" +
         (module.stored ? JSON_LIST(LINES_OF(module.stored_screen)) : "null") +
         ",\"config\":" + (module.configured ? JSON_CONFIG(module.config) : "null") +
         ",\"anomalies\":" + JSON_LIST(ANOMALY_LINES(module)) + "}\n";
}
