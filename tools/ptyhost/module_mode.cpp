#include "tools/ptyhost/module_mode.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "module/model.h"
#include "module/picture.h"
#include "module/state.h"
#include "module/views.h"

namespace {

struct ModuleArgs {
  int lines = 4;
  bool json = false;
  const char* png = NULL;
  const char* state = NULL;
  const char* read = NULL;
};

int FAILED(const std::string& message) {
  fprintf(stderr, "module: %s\n", message.c_str());
  return 2;
}

std::string SYSTEM_ERROR(const std::string& what) { return what + ": " + strerror(errno); }

// Returns true when <argv> holds only known options, none of the file names twice, and --read.
bool PARSE(int argc, char** argv, ModuleArgs* args, std::string* error) {
  for (int i = 0; i < argc; i++) {
    std::string word = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : NULL;
    const char** target = word == "--png"     ? &args->png
                          : word == "--state" ? &args->state
                          : word == "--read"  ? &args->read
                                              : NULL;
    if (word == "--json") {
      args->json = true;
    } else if (word == "--lines" && value && (!strcmp(value, "4") || !strcmp(value, "2"))) {
      args->lines = value[0] - '0';
      i++;
    } else if (target && value && !*target) {
      *target = value;
      i++;
    } else if (word == "--lines") {
      *error = "--lines takes 4 or 2";
      return false;
    } else {
      *error = "unexpected argument '" + word + "'; usage: ptyhost module [--lines 4|2] [--json]" +
               " [--png FILE] [--state FILE] --read FILE|-";
      return false;
    }
  }
  if (!args->read) *error = "--read FILE|- is required";
  return args->read != NULL;
}

// Feeds the stream to the module in the chunks that reading yields. Returns false when the
// stream cannot be read.
bool FEED_FROM(const char* path, Module& module, std::string* error) {
  bool from_stdin = !strcmp(path, "-");
  FILE* f = from_stdin ? stdin : fopen(path, "rb");
  if (!f) {
    *error = SYSTEM_ERROR(path);
    return false;
  }
  char buffer[65536];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, f)) > 0) MODULE_FEED(module, buffer, got);
  bool ok = !ferror(f);
  if (!ok) *error = SYSTEM_ERROR(path);
  if (!from_stdin) fclose(f);
  return ok;
}

// Returns 1 when the file was read into <text>, 0 when it does not exist, -1 on failure.
int READ_FILE(const char* path, std::string* text) {
  FILE* f = fopen(path, "rb");
  if (!f) return errno == ENOENT ? 0 : -1;
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, f)) > 0) text->append(buffer, got);
  bool ok = !ferror(f);
  fclose(f);
  return ok ? 1 : -1;
}

// Writes <bytes> under a temporary name first, so that a reader never finds half of it.
bool WRITE_FILE(const char* path, const std::string& bytes) {
  std::string temp = std::string(path) + ".new";
  FILE* f = fopen(temp.c_str(), "wb");
  if (!f) return false;
  bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = fclose(f) == 0 && ok;
  if (ok && rename(temp.c_str(), path) == 0) return true;
  remove(temp.c_str());
  return false;
}

// A missing state file is a module that remembers nothing yet.
bool LOAD_STATE(const char* path, Module& module, std::string* error) {
  std::string text;
  int found = READ_FILE(path, &text);
  if (found < 0) {
    *error = SYSTEM_ERROR(path);
    return false;
  }
  if (found == 0) return true;
  if (STATE_LOAD(text, &module, error)) return true;
  *error = std::string(path) + ": " + *error;
  return false;
}

}  // namespace

int MODULE_MODE(int argc, char** argv) {
  ModuleArgs args;
  std::string error;
  if (!PARSE(argc, argv, &args, &error)) return FAILED(error);
  Module module = MODULE_NEW(args.lines);
  if (args.state && !LOAD_STATE(args.state, module, &error)) return FAILED(error);
  if (!FEED_FROM(args.read, module, &error)) return FAILED(error);
  MODULE_FINISH(module);
  std::string png;
  if (args.png && !RENDER_PNG(module, &png)) return FAILED("cannot draw the picture");
  if (args.png && !WRITE_FILE(args.png, png))
    return FAILED(SYSTEM_ERROR(std::string("cannot write ") + args.png));
  if (args.state && !WRITE_FILE(args.state, STATE_TEXT(module)))
    return FAILED(SYSTEM_ERROR(std::string("cannot write ") + args.state));
  fputs((args.json ? JSON_VIEW(module) : WORDS_VIEW(module)).c_str(), stdout);
  return MODULE_CLEAN(module) ? 0 : 1;
}
