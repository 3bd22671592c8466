// A model of the serial display module: it takes the bytes sent to the module, keeps what the
// module would show and remember, and notes every byte that a configuration run would not
// send. Bytes may arrive in chunks of any size; offsets count from the start of the stream.
// No platform calls.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

enum { MODULE_COLUMNS = 20 };

// At most this many anomalies are kept; the rest are only counted, so that a stream of noise
// cannot fill memory.
enum { MODULE_ANOMALY_LIMIT = 1000 };

enum AnomalyKind {
  ANOMALY_BRIGHTNESS,       // option byte outside 0x80..0x83
  ANOMALY_STARTUP_FLAG,     // option byte neither 0x80 nor 0x81
  ANOMALY_DELAY,            // option byte outside 0x01..0x78 and not 0x80
  ANOMALY_MODE_FLAGS,       // option byte outside 0x80..0x87
  ANOMALY_FIXED_BYTE,       // one of the four closing bytes is not 0x80
  ANOMALY_CUT_SHORT,        // the stream ends inside a command
  ANOMALY_UNKNOWN_ESCAPE,   // ESC followed by something the module is not sent
  ANOMALY_CONTROL_BYTE,     // a control byte that is no command
  ANOMALY_BEYOND_SCREEN,    // text with the screen already full
  ANOMALY_OUTSIDE_MESSAGE,  // text that does not follow a screen clear
  ANOMALY_MESSAGE_LENGTH,   // a screen message of neither 40 nor 80 bytes
  ANOMALY_SCREEN_ORDER,     // a second screen message
  ANOMALY_STORE_ORDER,      // a store command not right after a screen message
  ANOMALY_AFTER_CONFIG,     // bytes after the configuration command
  ANOMALY_NO_CONFIG,        // the stream holds no configuration command
};

// One departure from what a configuration run sends: <length> bytes from <offset>; <value> is
// the offending byte, or the length of a screen message, or the option bytes received.
struct Anomaly {
  AnomalyKind kind;
  uint64_t offset;
  uint64_t length;
  uint64_t value;
};

// The configuration command's option bytes, each checked to lie in its range.
struct ModuleConfig {
  unsigned char brightness;  // 0x80..0x83: 25, 50, 75, 100 %
  unsigned char startup;     // 0x81 shown, 0x80 not
  unsigned char delay;       // 0x01..0x78 half seconds, 0x80 none
  unsigned char mode;        // 0x80 | 1 old mode | 2 write protect | 4 no automatic dimming
};

struct Module {
  int lines = 4;
  std::string screen;  // lines x 20 bytes, as shown
  size_t cursor = 0;   // index into screen of the next text byte
  bool stored = false;
  std::string stored_screen;  // the start-up screen kept in the module's EEPROM
  bool configured = false;
  ModuleConfig config = {};
  std::vector<Anomaly> anomalies;
  uint64_t anomalies_dropped = 0;

  // Decoder state between chunks.
  uint64_t offset = 0;  // bytes taken so far
  int parse = 0;        // where inside a command the next byte falls
  uint64_t command_offset = 0;
  std::string command;  // option bytes of a configuration command so far
  int run_step = 0;     // how far the stream has followed a configuration run
  bool in_message = false;
  uint64_t message_offset = 0;
  uint64_t message_length = 0;
  bool finished = false;
  int runs = 0;  // configuration runs begun in the stream
};

// Returns a module of <lines> (4 or 2) lines as it powers up with nothing remembered.
Module module_new(int lines);

// Returns the screen the module shows at power-up: its stored start-up screen when it is
// configured to show one, else a blank screen.
std::string power_up_screen(const Module& module);

// Takes the next <count> bytes of the stream.
void module_feed(Module& module, const char* bytes, size_t count);

// Ends the stream: notes a command cut short, a screen message left unchecked and a missing
// configuration command. Further calls, and further bytes, change nothing. A view of a stream
// that is still arriving finishes a copy of the module.
void module_finish(Module& module);

// Returns true when the stream so far ends with a whole configuration run, followed by
// nothing or by an ESC that may begin the next run's configuration command.
bool module_between_runs(const Module& module);

// Returns true when the finished stream is exactly what a configuration run sends.
bool module_clean(const Module& module);

// Returns the anomaly in words, starting with its offset.
std::string anomaly_text(const Anomaly& anomaly);

// Returns what the anomaly means in words, without its offset.
std::string anomaly_meaning(const Anomaly& anomaly);

// Returns the anomaly's kind as a short name for programs: "brightness", "cut_short", ...
const char* anomaly_kind_name(AnomalyKind kind);

// Returns the brightness in percent for a brightness code of 0x80..0x83.
int brightness_percent(unsigned char code);

// Returns the power-up delay in half seconds for a delay byte (0 for 0x80).
int delay_half_seconds(unsigned char delay);

// Returns true when all option bytes lie in their ranges.
bool config_valid(const ModuleConfig& config);
