#include <gtest/gtest.h>
#include <png.h>
#include <stdlib.h>

#include <random>

#include "module/model.h"
#include "module/picture.h"
#include "module/state.h"
#include "module/views.h"
#include "spawn.h"

namespace {

const std::string BLANK20(20, ' ');
const std::string STORE = "\x1BX0";
const std::string DEFAULT_CONFIG = "\x1BW\x83\x80\x80\x80\x80\x80\x80\x80";

std::string config(unsigned char brightness, unsigned char startup, unsigned char delay,
                   unsigned char mode) {
  return std::string("\x1BW") + (char)brightness + (char)startup + (char)delay + (char)mode +
         "\x80\x80\x80\x80";
}

std::string message(const std::string& text) { return "\x0C" + text; }

Module decoded(const std::string& stream, int lines = 4) {
  Module module = module_new(lines);
  module_feed(module, stream.data(), stream.size());
  module_finish(module);
  return module;
}

std::vector<std::string> anomalies(const Module& module) {
  std::vector<std::string> texts;
  for (const Anomaly& a : module.anomalies) texts.push_back(anomaly_text(a));
  return texts;
}

std::string printable(const std::string& bytes) {
  std::string text;
  char hex[8];
  for (unsigned char c : bytes) {
    snprintf(hex, sizeof hex, c >= 0x20 && c < 0x7F ? "%c" : "\\x%02X", c);
    text += hex;
  }
  return text;
}

}  // namespace

TEST(Module, WorkedExampleAsJson) {
  std::string stream = message(std::string(80, ' ')) + STORE + DEFAULT_CONFIG;
  ASSERT_EQ(94u, stream.size());
  std::string lines =
      "[\"" + BLANK20 + "\",\"" + BLANK20 + "\",\"" + BLANK20 + "\",\"" + BLANK20 + "\"]";
  EXPECT_EQ("{\"screen\":" + lines + ",\"stored_screen\":" + lines +
                ",\"config\":{\"brightness\":100,\"startup_screen\":false,\"delay_s\":0,"
                "\"old_mode\":false,\"write_protect\":false,\"auto_dim\":true},\"anomalies\":[]}\n",
            json_view(decoded(stream)));
  std::string json = json_view(decoded(stream + "\x01"));
  EXPECT_EQ(
      ",\"anomalies\":[{\"offset\":94,\"kind\":\"after_config\",\"text\":"
      "\"the stream goes on after the configuration command\"},{\"offset\":94,\"kind\":"
      "\"control_byte\",\"text\":\"control byte 0x01 that is no command\"}]}\n",
      json.substr(json.find(",\"anomalies\"")));
}

TEST(Module, StreamsThatARunSends) {
  static const struct {
    int lines;
    std::string stream, screen;
    bool stored;
  } cases[] = {
      {2, message("Hello" + std::string(35, ' ')) + DEFAULT_CONFIG, "Hello" + std::string(35, ' '),
       false},
      {2, message(std::string(40, 'x')) + STORE + DEFAULT_CONFIG, std::string(40, 'x'), true},
      {4, message("two lines" + std::string(31, ' ')) + STORE + DEFAULT_CONFIG,
       "two lines" + std::string(71, ' '), true},
      {4, message("\xE4\xFF" + std::string(78, '~')) + DEFAULT_CONFIG,
       "\xE4\xFF" + std::string(78, '~'), false},
      {4, DEFAULT_CONFIG, std::string(80, ' '), false},
      {2, DEFAULT_CONFIG, std::string(40, ' '), false},
      // Runs back to back, as a sender that configures one module after the other sends them.
      {4, DEFAULT_CONFIG + message("x" + std::string(79, ' ')) + STORE + DEFAULT_CONFIG,
       "x" + std::string(79, ' '), true},
      {2, message(std::string(40, 'y')) + DEFAULT_CONFIG + DEFAULT_CONFIG, std::string(40, 'y'),
       false},
  };
  for (const auto& c : cases) {
    Module module = decoded(c.stream, c.lines);
    std::string name = printable(c.stream) + " on " + std::to_string(c.lines) + " lines";
    EXPECT_TRUE(module_clean(module)) << name << ": " << words_view(module);
    EXPECT_EQ(c.screen, module.screen) << name << ": screen";
    EXPECT_EQ(c.stored, module.stored) << name << ": stored";
    EXPECT_EQ(c.stored ? c.screen : "", module.stored_screen) << name << ": stored screen";
    EXPECT_TRUE(module.configured) << name << ": configured";
  }
}

TEST(Module, EachOptionValue) {
  static const struct {
    unsigned char brightness, startup, delay, mode;
    std::string json;
  } cases[] = {
      {0x80, 0x80, 0x80, 0x80,
       R"({"brightness":25,"startup_screen":false,"delay_s":0,)"
       R"("old_mode":false,"write_protect":false,"auto_dim":true})"},
      {0x81, 0x81, 0x01, 0x81,
       R"({"brightness":50,"startup_screen":true,"delay_s":0.5,)"
       R"("old_mode":true,"write_protect":false,"auto_dim":true})"},
      {0x82, 0x80, 0x0C, 0x82,
       R"({"brightness":75,"startup_screen":false,"delay_s":6,)"
       R"("old_mode":false,"write_protect":true,"auto_dim":true})"},
      {0x83, 0x81, 0x78, 0x84,
       R"({"brightness":100,"startup_screen":true,"delay_s":60,)"
       R"("old_mode":false,"write_protect":false,"auto_dim":false})"},
  };
  for (const auto& c : cases) {
    std::string stream = config(c.brightness, c.startup, c.delay, c.mode);
    Module module = decoded(stream);
    EXPECT_TRUE(module_clean(module)) << printable(stream);
    std::string json = json_view(module);
    EXPECT_NE(std::string::npos, json.find("\"config\":" + c.json + ","))
        << printable(stream) << ": json " << json;
  }
}

TEST(Module, InWords) {
  std::string stream = message("Gr\xFC\xDF Gott" + std::string(31, ' ')) + STORE +
                       config(0x81, 0x81, 0x05, 0x87) + "!";
  EXPECT_EQ(
      "Screen (20x2):\n"
      "  +--------------------+\n"
      "  |Gr\xEF\xBF\xBD\xEF\xBF\xBD Gott           |\n"
      "  |                    |\n"
      "  +--------------------+\n"
      "Stored start-up screen:\n"
      "  +--------------------+\n"
      "  |Gr\xEF\xBF\xBD\xEF\xBF\xBD Gott           |\n"
      "  |                    |\n"
      "  +--------------------+\n"
      "Options:\n"
      "  brightness 50 %\n"
      "  start-up screen: shown\n"
      "  power-up delay: 2.5 s\n"
      "  old compatibility mode: on\n"
      "  EEPROM write protect: on\n"
      "  automatic dimming: off\n"
      "Anomalies:\n"
      "  offset 54: the stream goes on after the configuration command\n"
      "  offset 54: 1 byte of text beyond the screen\n",
      words_view(decoded(stream, 2)));
}

// Every kind of departure from a configuration run, with the offset it is reported at.
struct AnomalyCase {
  int lines;
  std::string stream;
  std::vector<std::string> anomalies;
  bool configured;
};

const AnomalyCase ANOMALY_CASES[] = {
    {4,
     config(0x00, 0x80, 0x80, 0x80),
     {"offset 2: brightness byte 0x00 (0x80..0x83 expected)"},
     false},
    {4,
     config(0x84, 0x82, 0x00, 0x88),
     {"offset 2: brightness byte 0x84 (0x80..0x83 expected)",
      "offset 3: start-up screen byte 0x82 (0x80 or 0x81 expected)",
      "offset 4: power-up delay byte 0x00 (0x01..0x78 or 0x80 expected)",
      "offset 5: mode flags byte 0x88 (0x80..0x87 expected)"},
     false},
    {4,
     config(0x83, 0x80, 0x79, 0x80),
     {"offset 4: power-up delay byte 0x79 (0x01..0x78 or 0x80 expected)"},
     false},
    {4,
     std::string("\x1BW\x83\x80\x80\x80\x80\x00\x80\x81", 10),
     {"offset 7: closing byte 0x00 (0x80 expected)", "offset 9: closing byte 0x81 (0x80 expected)"},
     false},
    {4, "\x1BW\x83\x80\x80", {"offset 0: configuration command cut short after 5 bytes"}, false},
    {4,
     message(std::string(80, ' ')) + "\x1BX",
     {"offset 81: escape sequence cut short after 2 bytes"},
     false},
    {4, DEFAULT_CONFIG + "\x1B", {"offset 10: escape sequence cut short after 1 byte"}, true},
    {4, "\x1BQ" + DEFAULT_CONFIG, {"offset 0: unknown escape sequence ending in 0x51"}, true},
    {4,
     message(std::string(80, ' ')) + "\x1BX1" + DEFAULT_CONFIG,
     {"offset 81: unknown escape sequence ending in 0x31"},
     true},
    {4,
     message(std::string(40, ' ') + "\r\n" + std::string(40, ' ')) + DEFAULT_CONFIG,
     {"offset 41: control byte 0x0D that is no command",
      "offset 42: control byte 0x0A that is no command"},
     true},
    {2,
     message(std::string(80, 'a')) + DEFAULT_CONFIG,
     {"offset 41: 40 bytes of text beyond the screen"},
     true},
    {4,
     message(std::string(83, 'a')) + STORE + DEFAULT_CONFIG,
     {"offset 81: 3 bytes of text beyond the screen"},
     true},
    {4,
     message(std::string(79, ' ')) + DEFAULT_CONFIG,
     {"offset 0: screen message of 79 bytes of text (40 or 80 expected)"},
     true},
    {4,
     message("") + STORE + DEFAULT_CONFIG,
     {"offset 0: screen message of 0 bytes of text (40 or 80 expected)"},
     true},
    {4,
     "Hi" + DEFAULT_CONFIG,
     {"offset 0: 2 bytes of text without a screen clear (0x0C) before it"},
     true},
    {4,
     message(std::string(40, ' ')) + STORE + "Hi" + DEFAULT_CONFIG,
     {"offset 44: 2 bytes of text without a screen clear (0x0C) before it"},
     true},
    {4,
     message(std::string(40, ' ')) + message(std::string(40, ' ')) + DEFAULT_CONFIG,
     {"offset 41: second screen message"},
     true},
    {4,
     STORE + DEFAULT_CONFIG,
     {"offset 0: store command (ESC \"X0\") not right after a screen message"},
     true},
    {4,
     message(std::string(40, ' ')) + STORE + STORE + DEFAULT_CONFIG,
     {"offset 44: store command (ESC \"X0\") not right after a screen message"},
     true},
    {4,
     DEFAULT_CONFIG + STORE,
     {"offset 10: the stream goes on after the configuration command"},
     true},
    {4,
     DEFAULT_CONFIG + "junk\x01",
     {"offset 10: the stream goes on after the configuration command",
      "offset 14: control byte 0x01 that is no command"},
     true},
    {4, "", {"offset 0: the stream holds no configuration command (ESC \"W\")"}, false},
    {4,
     message(std::string(80, ' ')) + STORE,
     {"offset 84: the stream holds no configuration command (ESC \"W\")"},
     false},
};

TEST(Module, EachAnomaly) {
  for (const AnomalyCase& c : ANOMALY_CASES) {
    Module module = decoded(c.stream, c.lines);
    std::string name = printable(c.stream) + " on " + std::to_string(c.lines) + " lines";
    EXPECT_EQ(c.anomalies, anomalies(module)) << name;
    EXPECT_EQ(c.configured, module.configured) << name << ": configured";
    EXPECT_FALSE(module_clean(module)) << name;
  }
}

TEST(Module, ChunkSizesDoNotChangeTheResult) {
  std::mt19937 random(7);
  for (const AnomalyCase& c : ANOMALY_CASES) {
    std::string whole = json_view(decoded(c.stream, c.lines));
    for (int round = 0; round < 4; round++) {
      Module module = module_new(c.lines);
      for (size_t at = 0; at < c.stream.size();) {
        size_t size = round == 0 ? 1 : std::min(c.stream.size() - at, (size_t)random() % 12);
        module_feed(module, c.stream.data() + at, size);
        at += size;
      }
      module_finish(module);
      EXPECT_EQ(whole, json_view(module)) << printable(c.stream) << ", round " << round;
    }
  }
}

TEST(Module, NoiseKeepsTheModelWhole) {
  std::mt19937 random(1);
  std::string noise(1 << 20, '\0');
  for (char& c : noise) c = (char)random();
  Module module = decoded(noise);
  EXPECT_EQ(80u, module.screen.size());
  EXPECT_EQ(MODULE_ANOMALY_LIMIT, (int)module.anomalies.size());
  EXPECT_GT(module.anomalies_dropped, 0u);
  std::string json = json_view(module);
  for (unsigned char c : json) ASSERT_TRUE(c >= 0x20 || c == '\n') << "raw control byte in JSON";
  std::string total = std::to_string(MODULE_ANOMALY_LIMIT + module.anomalies_dropped);
  EXPECT_EQ("],\"anomalies_total\":" + total + "}\n", json.substr(json.rfind(']')))
      << "the cut list";
}

TEST(Module, StateRoundTrip) {
  std::string stream =
      message("Welcome" + std::string(33, ' ')) + STORE + config(0x81, 0x81, 0x14, 0x86);
  Module first = decoded(stream, 2);
  Module second = module_new(2);
  std::string error;
  ASSERT_TRUE(state_load(state_text(first), &second, &error)) << error;
  EXPECT_TRUE(second.stored);
  EXPECT_EQ(first.stored_screen, second.stored_screen);
  EXPECT_EQ(config(0x81, 0x81, 0x14, 0x86), config(second.config.brightness, second.config.startup,
                                                   second.config.delay, second.config.mode));
  EXPECT_EQ(first.stored_screen, second.screen) << "the stored screen shows at power-up";

  Module fresh = module_new(4);
  ASSERT_TRUE(state_load(state_text(fresh), &fresh, &error)) << error;
  EXPECT_FALSE(fresh.stored);
  EXPECT_FALSE(fresh.configured);
}

TEST(Module, DamagedStateIsRefused) {
  std::string good = state_text(decoded(message(std::string(80, 'a')) + STORE + DEFAULT_CONFIG));
  static const struct {
    std::string text, error;
  } cases[] = {
      {"", "the record is empty"},
      {"glimmerset-module-state 2\nlines 4\nstored none\nconfig none\n",
       "not a module state record"},
      {good.substr(0, good.size() / 2), "not a module state record"},
      {good + "extra\n", "not a module state record"},
      {"glimmerset-module-state 1\nlines 2\nstored none\nconfig none\n",
       "recorded for a module of 2 lines"},
      {"glimmerset-module-state 1\nlines 4\nstored 0a\nconfig none\n",
       "the stored screen is damaged"},
      {"glimmerset-module-state 1\nlines 4\nstored " + std::string(160, 'g') + "\nconfig none\n",
       "the stored screen is damaged"},
      {"glimmerset-module-state 1\nlines 4\nstored none\nconfig 838080\n",
       "the options are damaged"},
      {"glimmerset-module-state 1\nlines 4\nstored none\nconfig 83808000\n",
       "the options are out of range"},
  };
  for (const auto& c : cases) {
    Module module = module_new(4);
    std::string before = json_view(module), error;
    EXPECT_FALSE(state_load(c.text, &module, &error)) << printable(c.text);
    EXPECT_EQ(c.error, error) << printable(c.text);
    EXPECT_EQ(before, json_view(module)) << printable(c.text) << ": module changed";
  }
}

// Returns the number of pixels in the PNG whose green channel is above <level>.
int bright_pixels(const std::string& png, int level) {
  png_image image = {};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) return -1;
  image.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, NULL, rgb.data(), 0, NULL)) return -1;
  int count = 0;
  for (size_t i = 1; i < rgb.size(); i += 3) count += rgb[i] > level;
  return count;
}

TEST(Module, PictureShowsTheStartUpScreenAtItsBrightness) {
  std::string text = message("I" + std::string(79, ' ')) + STORE;
  static const struct {
    std::string stream;
    int lit;  // green above 200: full brightness; above 60: any glow
    int glowing;
  } cases[] = {
      {text + config(0x83, 0x80, 0x80, 0x80), 0, 0},
      {text + config(0x83, 0x81, 0x80, 0x80), 9 * 11, 9 * 11},
      {text + config(0x80, 0x81, 0x80, 0x80), 0, 9 * 11},
  };
  for (const auto& c : cases) {
    std::string png;
    ASSERT_TRUE(render_png(decoded(c.stream), &png)) << printable(c.stream);
    EXPECT_EQ(c.lit, bright_pixels(png, 200)) << printable(c.stream) << ": full";
    EXPECT_EQ(c.glowing, bright_pixels(png, 60)) << printable(c.stream) << ": glowing";
  }
}

TEST(Module, ProgramExitCodes) {
  std::string dir = testing::TempDir() + "module_exit_codes";
  ASSERT_EQ(0, system(("mkdir -p " + dir).c_str()));
  std::string clean = dir + "/clean", noisy = dir + "/noisy";
  FILE* f = fopen(clean.c_str(), "wb");
  std::string stream = message(std::string(80, ' ')) + STORE + DEFAULT_CONFIG;
  fwrite(stream.data(), 1, stream.size(), f);
  fclose(f);
  f = fopen(noisy.c_str(), "wb");
  fputs("noise", f);
  fclose(f);
  static const struct {
    std::string args;
    int code;
  } cases[] = {
      {"--read " + clean, 0},
      {"--json --lines 2 --read - <" + clean, 1},
      {"--read " + noisy, 1},
      {"--png " + dir + "/shot.png --state " + dir + "/state --read " + clean, 0},
      {"--state " + dir + "/state --read " + clean, 0},
      {"--read " + dir + "/missing", 2},
      {"--lines 3 --read " + clean, 2},
      {"--json", 2},
      {"--read " + clean + " --read " + clean, 2},
      {"--png " + dir + "/no/such/folder.png --read " + clean, 2},
      {"--lines 2 --state " + dir + "/state --read " + clean, 2},
      {"--link " + clean, 2},
      {"--device /dev/null", 1},
      {"--json --link " + dir + "/com", 2},
      {"--read " + clean + " --link " + dir + "/com", 2},
      {"--capture " + dir + "/capture.bin --read " + clean, 2},
      {"--hex --state " + dir + "/state --link " + dir + "/com", 2},
      {"--link " + dir + "/com --device /dev/null", 2},
  };
  // Files the user keeps beside the ones written stay as they are.
  const std::string beside[] = {dir + "/state.new", dir + "/shot.png.new"};
  for (const std::string& file : beside) ASSERT_EQ(0, system(("echo mine >" + file).c_str()));
  // A live module that starts by mistake ends with the time limit (exit code 124).
  for (const auto& c : cases) {
    std::string command =
        "timeout 20 " + std::string(GLIMMERSET_EXE) + " module " + c.args + " >/dev/null 2>&1";
    int status = system(command.c_str());
    EXPECT_EQ(c.code, WIFEXITED(status) ? WEXITSTATUS(status) : -1) << c.args;
  }
  f = fopen(clean.c_str(), "rb");
  std::string after(200, '\0');
  after.resize(f ? fread(&after[0], 1, after.size(), f) : 0);
  if (f) fclose(f);
  EXPECT_EQ(stream, after) << "--link over a plain file";
  for (const std::string& file : beside) EXPECT_EQ("mine\n", file_text(file)) << file;
}
