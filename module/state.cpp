#include "module/state.h"

#include <stdlib.h>

#include <algorithm>
#include <vector>

#include "module/hex.h"

namespace {

const char HEADER[] = "glimmerset-module-state 1";
const char NONE[] = "none";

// A stored screen holds text bytes only, one full screen of them.
bool screen_ok(const Module& module, const std::string& screen) {
  if (screen.size() != (size_t)module.lines * MODULE_COLUMNS) return false;
  for (unsigned char c : screen)
    if (c < 0x20 || c == 0x7F) return false;
  return true;
}

// Returns the words of <text>, split at white space. (No string streams: they would bring the
// C++ library's locale machinery, most of the static program's size.)
std::vector<std::string> words(const std::string& text) {
  static const char SPACE[] = " \t\n\v\f\r";
  std::vector<std::string> found;
  for (size_t at = 0, end; (at = text.find_first_not_of(SPACE, at)) != std::string::npos;
       at = end) {
    end = text.find_first_of(SPACE, at);
    found.push_back(text.substr(at, end - at));
  }
  return found;
}

bool fail(std::string* error, const std::string& reason) {
  *error = reason;
  return false;
}

}  // namespace

std::string state_text(const Module& module) {
  const ModuleConfig& c = module.config;
  std::string config =
      std::string(1, (char)c.brightness) + (char)c.startup + (char)c.delay + (char)c.mode;
  return std::string(HEADER) + "\nlines " + std::to_string(module.lines) + "\nstored " +
         (module.stored ? hex_of(module.stored_screen) : NONE) + "\nconfig " +
         (module.configured ? hex_of(config) : NONE) + "\n";
}

bool state_load(const std::string& text, Module* module, std::string* error) {
  if (text.empty()) return fail(error, "the record is empty");
  size_t header_end = std::min(text.find('\n'), text.size());
  std::vector<std::string> w = words(text.substr(header_end));
  if (text.substr(0, header_end) != HEADER || w.size() != 6 || w[0] != "lines" ||
      w[2] != "stored" || w[4] != "config" || w[1].size() > 2 ||
      w[1].find_first_not_of("0123456789") != std::string::npos)
    return fail(error, "not a module state record");
  int lines = atoi(w[1].c_str());
  const std::string &stored_hex = w[3], &config_hex = w[5];
  if (lines != module->lines)
    return fail(error, "recorded for a module of " + std::to_string(lines) + " lines");
  Module loaded = *module;
  loaded.stored = stored_hex != NONE;
  if (loaded.stored &&
      !(bytes_of_hex(stored_hex, &loaded.stored_screen) && screen_ok(loaded, loaded.stored_screen)))
    return fail(error, "the stored screen is damaged");
  loaded.configured = config_hex != NONE;
  std::string b;
  if (loaded.configured) {
    if (!bytes_of_hex(config_hex, &b) || b.size() != 4)
      return fail(error, "the options are damaged");
    loaded.config = {(unsigned char)b[0], (unsigned char)b[1], (unsigned char)b[2],
                     (unsigned char)b[3]};
    if (!config_valid(loaded.config)) return fail(error, "the options are out of range");
  }
  loaded.screen = power_up_screen(loaded);
  *module = loaded;
  return true;
}
