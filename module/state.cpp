#include "module/state.h"

#include <sstream>

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
  std::istringstream in(text);
  std::string header, lines_key, stored_key, stored_hex, config_key, config_hex, rest;
  int lines = 0;
  std::getline(in, header);
  in >> lines_key >> lines >> stored_key >> stored_hex >> config_key >> config_hex;
  if (header != HEADER || lines_key != "lines" || stored_key != "stored" ||
      config_key != "config" || !in || (in >> rest))
    return fail(error, "not a module state record");
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
