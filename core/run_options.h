// One configuration run as every face of Glimmerset but the window describes it: its options,
// with the window's initial state as their defaults, which lines it sends, and its bytes in
// the order the window sends them. No platform calls.
#pragma once

#include <optional>
#include <string>

struct RunOptions {
  unsigned long baud = 9600;
  bool four_lines = true;
  std::optional<std::string> lines[4];  // UTF-8; none: not given, sent as an empty line
  bool send_text = true;
  bool store = true;
  bool show_startup = false;
  int delay = 0;         // units of half a second
  int brightness = 100;  // percent: 25, 50, 75 or 100
  bool write_protect = false;
  bool old_mode = false;
  bool no_auto_dim = false;
  std::string code_page = "windows-1252";
};

// Each sets a choice of the run from its value as the command line and the form give it:
// "9600" or "2400"; "4x20" or "2x20"; "25", "50", "75" or "100". Returns NULL, or what the
// value must be (and changes nothing).
const char* set_baud(RunOptions* run, const char* value);
const char* set_screen(RunOptions* run, const char* value);
const char* set_brightness(RunOptions* run, const char* value);

// Returns true when the run sends line <index> (0 to 3): only with the start-up screen, and
// lines 3 and 4 only on a 4x20 screen.
bool line_used(const RunOptions& options, int index);

// Returns "" when every line given is sent, else why one is not, naming its option
// ("--line3: a 2x20 screen has no line 3").
std::string lines_conflict(const RunOptions& options);

// What converting the lines given gave: their bytes in the code page, or for each line that
// cannot be sent as given, why (the words of line_bytes).
struct RunLines {
  std::string bytes[4];
  std::string refused[4];  // "" for a line that converts
};

// Converts the lines given into <lines>. Returns "", or why the code page cannot be used.
std::string convert_lines(const RunOptions& options, RunLines* lines);

// Returns the bytes of the run, in the order the window sends them; <lines> holds bytes of at
// most 20 for every line the run sends.
std::string run_bytes(const RunOptions& options, const RunLines& lines);
