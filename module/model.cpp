#include "module/model.h"

#include "module/hex.h"

namespace {

const unsigned char FORM_FEED = 0x0C;
const unsigned char ESCAPE = 0x1B;
const int OPTION_BYTES = 8;

enum Parse { PARSE_TEXT, PARSE_ESCAPE, PARSE_STORE, PARSE_CONFIG };

// The order in which a configuration run sends its commands.
enum RunStep { RUN_START, RUN_MESSAGE, RUN_STORED, RUN_CONFIGURED, RUN_BEYOND };

// Kinds whose neighbouring bytes join into one anomaly instead of one per byte.
bool joins(AnomalyKind kind) {
  return kind == ANOMALY_BEYOND_SCREEN || kind == ANOMALY_OUTSIDE_MESSAGE;
}

void note(Module& module, AnomalyKind kind, uint64_t offset, uint64_t length, uint64_t value) {
  if (!module.anomalies.empty()) {
    Anomaly& last = module.anomalies.back();
    if (joins(kind) && last.kind == kind && last.offset + last.length == offset) {
      last.length += length;
      return;
    }
  }
  if (module.anomalies.size() >= MODULE_ANOMALY_LIMIT) {
    module.anomalies_dropped++;
    return;
  }
  module.anomalies.push_back({kind, offset, length, value});
}

size_t screen_size(const Module& module) { return (size_t)module.lines * MODULE_COLUMNS; }

// A screen message is 40 bytes (2x20) or 80 bytes (4x20). A longer one has already been
// noted byte by byte as text beyond the screen.
void end_message(Module& module) {
  if (!module.in_message) return;
  module.in_message = false;
  uint64_t length = module.message_length;
  bool fits = length == 2 * MODULE_COLUMNS || length == screen_size(module);
  if (!fits && length <= screen_size(module))
    note(module, ANOMALY_MESSAGE_LENGTH, module.message_offset, 1 + length, length);
}

void clear(Module& module, uint64_t at) {
  end_message(module);
  module.screen.assign(screen_size(module), ' ');
  module.cursor = 0;
  if (module.run_step == RUN_START)
    module.run_step = RUN_MESSAGE;
  else if (module.run_step < RUN_CONFIGURED)
    note(module, ANOMALY_SCREEN_ORDER, at, 1, FORM_FEED);
  module.in_message = true;
  module.message_offset = at;
  module.message_length = 0;
}

// Text bytes are printed at the cursor; the module's own characters above 0x7E are kept as
// their codes.
void print(Module& module, unsigned char c, uint64_t at) {
  if (module.in_message)
    module.message_length++;
  else if (module.run_step < RUN_CONFIGURED)
    note(module, ANOMALY_OUTSIDE_MESSAGE, at, 1, c);
  if (module.cursor < module.screen.size())
    module.screen[module.cursor++] = (char)c;
  else
    note(module, ANOMALY_BEYOND_SCREEN, at, 1, c);
}

void store(Module& module) {
  module.stored = true;
  module.stored_screen = module.screen;
  if (module.run_step == RUN_MESSAGE)
    module.run_step = RUN_STORED;
  else if (module.run_step < RUN_CONFIGURED)
    note(module, ANOMALY_STORE_ORDER, module.command_offset, 3, 0);
}

bool brightness_ok(unsigned char c) { return c >= 0x80 && c <= 0x83; }
bool startup_ok(unsigned char c) { return c == 0x80 || c == 0x81; }
bool delay_ok(unsigned char c) { return (c >= 0x01 && c <= 0x78) || c == 0x80; }
bool mode_ok(unsigned char c) { return c >= 0x80 && c <= 0x87; }
bool fixed_ok(unsigned char c) { return c == 0x80; }

// The rule for each of the eight option bytes, in the order they arrive.
struct OptionRule {
  AnomalyKind kind;
  bool (*ok)(unsigned char);
  const char* name;
  const char* expected;
};
const OptionRule FIXED_RULE = {ANOMALY_FIXED_BYTE, fixed_ok, "closing byte", "0x80"};
const OptionRule OPTION_RULES[OPTION_BYTES] = {
    {ANOMALY_BRIGHTNESS, brightness_ok, "brightness byte", "0x80..0x83"},
    {ANOMALY_STARTUP_FLAG, startup_ok, "start-up screen byte", "0x80 or 0x81"},
    {ANOMALY_DELAY, delay_ok, "power-up delay byte", "0x01..0x78 or 0x80"},
    {ANOMALY_MODE_FLAGS, mode_ok, "mode flags byte", "0x80..0x87"},
    FIXED_RULE,
    FIXED_RULE,
    FIXED_RULE,
    FIXED_RULE,
};

// The module counts the eight option bytes whatever they hold (a delay of 0x0C or 0x1B is a
// valid one), so a value out of range is noted, never taken for the start of a command.
void configure(Module& module) {
  const unsigned char* b = (const unsigned char*)module.command.data();
  bool valid = true;
  for (int i = 0; i < OPTION_BYTES; i++)
    if (!OPTION_RULES[i].ok(b[i])) {
      note(module, OPTION_RULES[i].kind, module.command_offset + 2 + i, 1, b[i]);
      valid = false;
    }
  // What the module makes of a value out of range is unknown: such a command changes nothing.
  if (valid) {
    module.configured = true;
    module.config = {b[0], b[1], b[2], b[3]};
  }
  if (module.run_step < RUN_CONFIGURED) module.run_step = RUN_CONFIGURED;
}

// A configuration run ends with its configuration command. A screen message or another
// configuration command right after it begins the next run (a sender that configures one
// module after the other without a pause); any other byte there is one too many.
void after_run(Module& module, unsigned char c, uint64_t at) {
  bool escape = module.parse == PARSE_ESCAPE;
  if (escape ? c == 'W' : c == FORM_FEED) {
    module.run_step = RUN_START;
    module.runs++;
  } else if (escape || c != ESCAPE) {
    note(module, ANOMALY_AFTER_CONFIG, escape ? at - 1 : at, 1, escape ? ESCAPE : c);
    module.run_step = RUN_BEYOND;
  }
}

// Takes the byte at offset <at> of the stream.
void take(Module& module, unsigned char c, uint64_t at) {
  if (at == 0) module.runs = 1;
  if (module_between_runs(module)) after_run(module, c, at);
  switch (module.parse) {
    case PARSE_TEXT:
      if (c == FORM_FEED) {
        clear(module, at);
      } else if (c == ESCAPE) {
        end_message(module);
        module.parse = PARSE_ESCAPE;
        module.command_offset = at;
      } else if (c < 0x20 || c == 0x7F) {
        // Glimmerset sends no other control byte and what the module makes of one is
        // unknown: it is noted, not printed, and the cursor stays.
        note(module, ANOMALY_CONTROL_BYTE, at, 1, c);
      } else {
        print(module, c, at);
      }
      return;
    case PARSE_ESCAPE:
      module.parse = c == 'W' ? PARSE_CONFIG : c == 'X' ? PARSE_STORE : PARSE_TEXT;
      module.command.clear();
      if (module.parse == PARSE_TEXT) note(module, ANOMALY_UNKNOWN_ESCAPE, at - 1, 2, c);
      return;
    case PARSE_STORE:
      module.parse = PARSE_TEXT;
      if (c == '0')
        store(module);
      else
        note(module, ANOMALY_UNKNOWN_ESCAPE, at - 2, 3, c);
      return;
    case PARSE_CONFIG:
      module.command += (char)c;
      if (module.command.size() == OPTION_BYTES) {
        module.parse = PARSE_TEXT;
        configure(module);
      }
      return;
  }
}

std::string hex_byte(uint64_t value) { return "0x" + hex_digits((unsigned long)value, 2); }

std::string bytes_text(uint64_t count) {
  return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

// Returns the words for an option byte out of its range.
std::string option_meaning(const Anomaly& a) {
  const OptionRule* rule = OPTION_RULES;
  while (rule->kind != a.kind) rule++;
  return std::string(rule->name) + " " + hex_byte(a.value) + " (" + rule->expected + " expected)";
}

}  // namespace

std::string anomaly_meaning(const Anomaly& a) {
  switch (a.kind) {
    case ANOMALY_BRIGHTNESS:
    case ANOMALY_STARTUP_FLAG:
    case ANOMALY_DELAY:
    case ANOMALY_MODE_FLAGS:
    case ANOMALY_FIXED_BYTE:
      return option_meaning(a);
    case ANOMALY_CUT_SHORT:
      return a.value == 'W' ? "configuration command cut short after " + bytes_text(a.length)
                            : "escape sequence cut short after " + bytes_text(a.length);
    case ANOMALY_UNKNOWN_ESCAPE:
      return "unknown escape sequence ending in " + hex_byte(a.value);
    case ANOMALY_CONTROL_BYTE:
      return "control byte " + hex_byte(a.value) + " that is no command";
    case ANOMALY_BEYOND_SCREEN:
      return bytes_text(a.length) + " of text beyond the screen";
    case ANOMALY_OUTSIDE_MESSAGE:
      return bytes_text(a.length) + " of text without a screen clear (0x0C) before it";
    case ANOMALY_MESSAGE_LENGTH:
      return "screen message of " + bytes_text(a.value) + " of text (40 or 80 expected)";
    case ANOMALY_SCREEN_ORDER:
      return "second screen message";
    case ANOMALY_STORE_ORDER:
      return "store command (ESC \"X0\") not right after a screen message";
    case ANOMALY_AFTER_CONFIG:
      return "the stream goes on after the configuration command";
    case ANOMALY_NO_CONFIG:
      return "the stream holds no configuration command (ESC \"W\")";
  }
  return "unknown anomaly";
}

const char* anomaly_kind_name(AnomalyKind kind) {
  static const char* const NAMES[] = {
      "brightness",     "startup_flag",   "delay",        "mode_flags",    "fixed_byte",
      "cut_short",      "unknown_escape", "control_byte", "beyond_screen", "outside_message",
      "message_length", "screen_order",   "store_order",  "after_config",  "no_config",
  };
  return kind >= 0 && kind < (int)(sizeof NAMES / sizeof NAMES[0]) ? NAMES[kind] : "unknown";
}

Module module_new(int lines) {
  Module module;
  module.lines = lines == 2 ? 2 : 4;
  module.screen.assign(screen_size(module), ' ');
  return module;
}

std::string power_up_screen(const Module& module) {
  if (module.configured && module.config.startup == 0x81 && module.stored)
    return module.stored_screen;
  return std::string(screen_size(module), ' ');
}

void module_feed(Module& module, const char* bytes, size_t count) {
  if (module.finished) return;
  for (size_t i = 0; i < count; i++) take(module, (unsigned char)bytes[i], module.offset + i);
  module.offset += count;
}

void module_finish(Module& module) {
  if (module.finished) return;
  module.finished = true;
  end_message(module);
  if (module.parse != PARSE_TEXT) {
    uint64_t taken = module.offset - module.command_offset;
    note(module, ANOMALY_CUT_SHORT, module.command_offset, taken,
         module.parse == PARSE_CONFIG ? 'W' : 0);
  } else if (module.run_step < RUN_CONFIGURED) {
    note(module, ANOMALY_NO_CONFIG, module.offset, 0, 0);
  }
}

bool module_between_runs(const Module& module) {
  return module.run_step == RUN_CONFIGURED && module.parse != PARSE_CONFIG;
}

bool module_clean(const Module& module) {
  return module.anomalies.empty() && module.anomalies_dropped == 0;
}

std::string anomaly_text(const Anomaly& anomaly) {
  return "offset " + std::to_string(anomaly.offset) + ": " + anomaly_meaning(anomaly);
}

int brightness_percent(unsigned char code) { return 25 * ((code & 0x03) + 1); }

int delay_half_seconds(unsigned char delay) { return delay == 0x80 ? 0 : delay; }

bool config_valid(const ModuleConfig& c) {
  return brightness_ok(c.brightness) && startup_ok(c.startup) && delay_ok(c.delay) &&
         mode_ok(c.mode);
}
