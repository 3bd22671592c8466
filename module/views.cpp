#include "module/views.h"

#include <vector>

namespace {

// The module's own characters above 0x7E are unknown to us, so they are shown as U+FFFD, one
// character per byte, and every line stays 20 characters wide.
const char REPLACEMENT[] = "\xEF\xBF\xBD";

std::vector<std::string> lines_of(const std::string& screen) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < screen.size(); at += MODULE_COLUMNS)
    lines.push_back(screen.substr(at, MODULE_COLUMNS));
  return lines;
}

// Returns the line as UTF-8 text, with U+FFFD for every byte outside printable ASCII.
std::string shown(const std::string& line) {
  std::string text;
  for (unsigned char c : line)
    if (c >= 0x20 && c <= 0x7E)
      text += (char)c;
    else
      text += REPLACEMENT;
  return text;
}

std::string box(const std::string& screen) {
  std::string edge = "  +" + std::string(MODULE_COLUMNS, '-') + "+\n";
  std::string box = edge;
  for (const std::string& line : lines_of(screen)) box += "  |" + shown(line) + "|\n";
  return box + edge;
}

const char* on_off(bool on) { return on ? "on" : "off"; }

// Returns the delay in seconds: a whole number, or one with ".5".
std::string seconds(int half_seconds) {
  return std::to_string(half_seconds / 2) + (half_seconds % 2 ? ".5" : "");
}

std::string options_in_words(const ModuleConfig& c) {
  int delay = delay_half_seconds(c.delay);
  std::string text = "  brightness " + std::to_string(brightness_percent(c.brightness)) + " %\n";
  text += std::string("  start-up screen: ") + (c.startup == 0x81 ? "shown" : "not shown") + "\n";
  text += "  power-up delay: " + (delay ? seconds(delay) + " s" : std::string("none")) + "\n";
  text += std::string("  old compatibility mode: ") + on_off(c.mode & 0x01) + "\n";
  text += std::string("  EEPROM write protect: ") + on_off(c.mode & 0x02) + "\n";
  text += std::string("  automatic dimming: ") + on_off(!(c.mode & 0x04)) + "\n";
  return text;
}

std::vector<std::string> anomaly_lines(const Module& module) {
  std::vector<std::string> lines;
  for (const Anomaly& a : module.anomalies) lines.push_back(anomaly_text(a));
  if (module.anomalies_dropped)
    lines.push_back("and " + std::to_string(module.anomalies_dropped) + " more anomalies");
  return lines;
}

// Returns <text> as a JSON string: quotes, backslashes and control bytes escaped, bytes
// outside printable ASCII as U+FFFD.
std::string json_string(const std::string& text) {
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

std::string json_list(const std::vector<std::string>& items) {
  std::string json = "[";
  for (size_t i = 0; i < items.size(); i++) json += (i ? "," : "") + json_string(items[i]);
  return json + "]";
}

const char* json_bool(bool value) { return value ? "true" : "false"; }

// Returns the anomalies as a JSON list of objects, and after it, when the list was cut, the
// key that gives how many there were in all.
std::string json_anomalies(const Module& module) {
  std::string json = "[";
  for (size_t i = 0; i < module.anomalies.size(); i++) {
    const Anomaly& a = module.anomalies[i];
    json += std::string(i ? "," : "") + "{\"offset\":" + std::to_string(a.offset) + ",\"kind\":\"" +
            anomaly_kind_name(a.kind) + "\",\"text\":" + json_string(anomaly_meaning(a)) + "}";
  }
  json += "]";
  if (module.anomalies_dropped)
    json += ",\"anomalies_total\":" +
            std::to_string(module.anomalies.size() + module.anomalies_dropped);
  return json;
}

std::string json_config(const ModuleConfig& c) {
  return std::string("{\"brightness\":") + std::to_string(brightness_percent(c.brightness)) +
         ",\"startup_screen\":" + json_bool(c.startup == 0x81) +
         ",\"delay_s\":" + seconds(delay_half_seconds(c.delay)) +
         ",\"old_mode\":" + json_bool(c.mode & 0x01) +
         ",\"write_protect\":" + json_bool(c.mode & 0x02) +
         ",\"auto_dim\":" + json_bool(!(c.mode & 0x04)) + "}";
}

}  // namespace

std::string words_view(const Module& module) {
  std::string text = "Screen (20x" + std::to_string(module.lines) + "):\n" + box(module.screen);
  text += module.stored ? "Stored start-up screen:\n" + box(module.stored_screen)
                        : "Stored start-up screen: none\n";
  text += module.configured ? "Options:\n" + options_in_words(module.config)
                            : "Options: no valid configuration command received\n";
  std::vector<std::string> anomalies = anomaly_lines(module);
  if (anomalies.empty()) return text + "Anomalies: none\n";
  text += "Anomalies:\n";
  for (const std::string& line : anomalies) text += "  " + line + "\n";
  return text;
}

std::string json_view(const Module& module) {
  return "{\"screen\":" + json_list(lines_of(module.screen)) + ",\"stored_screen\":" +
         (module.stored ? json_list(lines_of(module.stored_screen)) : "null") +
         ",\"config\":" + (module.configured ? json_config(module.config) : "null") +
         ",\"anomalies\":" + json_anomalies(module) + "}\n";
}
