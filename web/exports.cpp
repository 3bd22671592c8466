#include "web/exports.h"

#include <string>
#include <vector>

#include "config/command.h"
#include "config/number.h"
#include "core/code_page.h"
#include "core/line_text.h"
#include "core/run_options.h"
#include "module/model.h"
#include "module/raster.h"
#include "module/views.h"
#include "serial/line_state.h"

namespace {

std::string s_input, s_output;

// The form: the run's options, and the texts of the lines and of the delay field as the
// page shows them, which the run reads as the window reads its boxes.
RunOptions s_form;
std::string s_lines[4];
std::string s_delay = std::to_string(RunOptions().delay);

RunLines s_converted;  // the lines of the last run built, with their refusals
std::string s_bytes;   // the bytes of the last run built
std::string s_view;    // the module's words for the last run or capture decoded
Raster s_raster = {0, 0, {}};
std::vector<unsigned char> s_rgba;

// The flags of the form and the options they set.
const struct {
  const char* name;
  bool RunOptions::*flag;
} FLAGS[] = {
    {"send_text", &RunOptions::send_text},       {"store", &RunOptions::store},
    {"show_startup", &RunOptions::show_startup}, {"write_protect", &RunOptions::write_protect},
    {"old_mode", &RunOptions::old_mode},         {"no_auto_dim", &RunOptions::no_auto_dim},
};

// The choices of the form and what sets each.
const struct {
  const char* name;
  const char* (*set)(RunOptions* run, const char* value);
} CHOICES[] = {
    {"baud", set_baud},
    {"screen", set_screen},
    {"brightness", set_brightness},
};

// Returns the index of the line called <name> ("line1" to "line4"), or -1.
int line_index(const std::string& name) {
  for (int i = 0; i < 4; i++)
    if (name == "line" + std::to_string(i + 1)) return i;
  return -1;
}

const CodePageTable& form_code_page() { return *find_code_page(s_form.code_page); }

// Returns the <length> bytes at the start of the input: the name of a field.
std::string input_name(size_t length) { return s_input.substr(0, length); }

// Sets the field <name> to <value>, corrected as the window corrects it. Returns false for a
// name or a value the form does not have.
bool set_field(const std::string& name, const std::string& value) {
  for (const auto& f : FLAGS)
    if (name == f.name) {
      if (value != "1" && !value.empty()) return false;
      s_form.*f.flag = value == "1";
      return true;
    }
  for (const auto& c : CHOICES)
    if (name == c.name) return c.set(&s_form, value.c_str()) == NULL;
  int line = line_index(name);
  if (line >= 0) {
    s_lines[line] = line_cut(value, form_code_page());
  } else if (name == "delay") {
    s_delay = held_delay_text(value);
  } else if (name == "code_page") {
    const CodePageTable* page = find_code_page(value);
    if (!page) return false;
    s_form.code_page = page->name;
    for (std::string& text : s_lines) text = line_cut(text, *page);
  } else {
    return false;
  }
  return true;
}

// Sets <value> to what the field <name> holds. Returns false for a name the form does not have.
bool get_field(const std::string& name, std::string* value) {
  for (const auto& f : FLAGS)
    if (name == f.name) {
      *value = s_form.*f.flag ? "1" : "";
      return true;
    }
  int line = line_index(name);
  if (name == "baud")
    *value = std::to_string(s_form.baud);
  else if (name == "screen")
    *value = s_form.four_lines ? "4x20" : "2x20";
  else if (name == "brightness")
    *value = std::to_string(s_form.brightness);
  else if (line >= 0)
    *value = s_lines[line];
  else if (name == "delay")
    *value = s_delay;
  else if (name == "code_page")
    *value = s_form.code_page;
  else
    return false;
  return true;
}

// Returns the run of the form: the lines it sends, and the delay field read as the window
// reads it.
RunOptions form_run() {
  RunOptions run = s_form;
  run.delay = read_number(s_delay);
  for (int i = 0; i < 4; i++)
    if (line_used(run, i)) run.lines[i] = s_lines[i];
  return run;
}

// Decodes <bytes> into the view and the picture. Returns true when they are exactly what
// configuration runs send.
bool decode(const std::string& bytes) {
  Module module = module_new(s_form.four_lines ? 4 : 2);
  module_feed(module, bytes.data(), bytes.size());
  module_finish(module);
  s_view = words_view(module);
  s_raster = glass_raster(module);
  s_rgba.clear();
  for (size_t at = 0; at < s_raster.rgb.size(); at += 3) {
    s_rgba.insert(s_rgba.end(), &s_raster.rgb[at], &s_raster.rgb[at] + 3);
    s_rgba.push_back(255);
  }
  return module_clean(module);
}

}  // namespace

char* web_input(size_t length) {
  s_input.resize(length);
  return &s_input[0];
}

const char* web_output(void) { return s_output.data(); }
size_t web_output_length(void) { return s_output.size(); }

int web_set(size_t name_length, size_t value_length) {
  if (name_length + value_length > s_input.size()) return 0;
  return set_field(input_name(name_length), s_input.substr(name_length, value_length));
}

int web_get(size_t name_length) {
  s_output.clear();
  return get_field(input_name(name_length), &s_output);
}

int web_enabled(size_t name_length) {
  std::string name = input_name(name_length);
  if (name == "store") return s_form.send_text;
  int line = line_index(name);
  return line < 2 || s_form.four_lines;
}

int web_refusal(size_t name_length) {
  int line = line_index(input_name(name_length));
  s_output = line < 0 ? "" : s_converted.refused[line];
  return !s_output.empty();
}

int web_run(void) {
  RunOptions run = form_run();
  s_converted = RunLines();
  s_output.clear();
  s_bytes.clear();
  // The form offers only the code pages there are, so only a line can be refused.
  convert_lines(run, &s_converted);
  for (const std::string& refused : s_converted.refused)
    if (!refused.empty()) return 0;
  s_bytes = run_bytes(run, s_converted);
  decode(s_bytes);
  s_output = s_bytes;
  return 1;
}

int web_decode(size_t length) { return decode(s_input.substr(0, length)); }

size_t web_view(void) {
  s_output = s_view;
  return s_output.size();
}

int web_picture_width(void) { return s_raster.width; }
int web_picture_height(void) { return s_raster.height; }
const unsigned char* web_picture(void) { return s_rgba.data(); }

unsigned long web_baud(void) { return s_form.baud; }

unsigned long web_write_limit_ms(void) {
  return (unsigned long)write_limit_ms(s_form.baud, s_bytes.size());
}

int web_code_pages(void) {
  s_output = code_page_names();
  return CODE_PAGE_COUNT;
}
