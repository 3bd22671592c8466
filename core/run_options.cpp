#include "core/run_options.h"

#include <string.h>

#include "config/command.h"
#include "core/line_text.h"
#include "screen/screen_text.h"

// Returns the position of <value> among <choices> (a NULL-ended list), or -1.
static int choice(const char* value, const char* const* choices) {
  for (int i = 0; choices[i]; i++)
    if (!strcmp(value, choices[i])) return i;
  return -1;
}

const char* set_baud(RunOptions* run, const char* value) {
  static const char* const RATES[] = {"9600", "2400", NULL};
  int i = choice(value, RATES);
  if (i < 0) return "must be 9600 or 2400";
  run->baud = i == 0 ? 9600 : 2400;
  return NULL;
}

const char* set_screen(RunOptions* run, const char* value) {
  static const char* const TYPES[] = {"4x20", "2x20", NULL};
  int i = choice(value, TYPES);
  if (i < 0) return "must be 4x20 or 2x20";
  run->four_lines = i == 0;
  return NULL;
}

const char* set_brightness(RunOptions* run, const char* value) {
  static const char* const LEVELS[] = {"25", "50", "75", "100", NULL};
  int i = choice(value, LEVELS);
  if (i < 0) return "must be 25, 50, 75 or 100";
  run->brightness = 25 * (i + 1);
  return NULL;
}

bool line_used(const RunOptions& options, int index) {
  return options.send_text && (index < 2 || options.four_lines);
}

std::string lines_conflict(const RunOptions& options) {
  for (int i = 0; i < 4; i++) {
    if (!options.lines[i] || line_used(options, i)) continue;
    std::string option = "--line" + std::to_string(i + 1);
    if (!options.send_text) return option + ": --no-text sends no screen text";
    return option + ": a 2x20 screen has no line " + std::to_string(i + 1);
  }
  return "";
}

std::string convert_lines(const RunOptions& options, RunLines* lines) {
  std::string error;
  const CodePageTable* page = line_code_page(options.code_page, &error);
  if (!page) return error;
  for (int i = 0; i < 4; i++)
    if (options.lines[i])
      lines->refused[i] = line_bytes(*options.lines[i], *page, &lines->bytes[i]);
  return "";
}

std::string run_bytes(const RunOptions& options, const RunLines& lines) {
  std::string bytes;
  if (options.send_text) {
    // No line holds more than 20 bytes (the command refuses a longer one, the page cuts
    // it), so no line is cut here and the code page's character boundaries do not matter.
    const CodePage whole_lines = {SINGLE_BYTE_CODE_PAGE, NULL};
    bytes += screen_message(lines.bytes, options.four_lines, whole_lines);
    if (options.store) bytes += STORE_COMMAND;
  }
  int b = options.brightness;
  return bytes + configuration_command(
                     brightness_code(b == 25, b == 50, b == 75, b == 100),
                     startup_flag(options.show_startup), delay_byte(options.delay),
                     mode_flags(options.old_mode, options.write_protect, options.no_auto_dim));
}
