// Builds the screen text from any four lines of bytes (a byte 0 included) and checks its
// shape: 40 bytes for two lines or 80 for four, each 20-byte line the start of what was
// typed followed by spaces, and nothing of lines 3 and 4 on a two-line screen. In a
// single-byte code page every byte is a character, so each line keeps exactly its first 20
// bytes; the cut in other code pages has a target of its own.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "screen/screen_text.h"

namespace {

void check(bool ok, const char* what, int line, const std::string& got) {
  if (ok) return;
  fprintf(stderr, "%s: line %d, got %zu bytes \"%s\"\n", what, line + 1, got.size(), got.c_str());
  abort();
}

// True when <padded> is the first bytes of <typed> (up to 20) followed by spaces only.
bool padded_from(const std::string& padded, const std::string& typed) {
  size_t kept = typed.size() < SCREEN_WIDTH ? typed.size() : SCREEN_WIDTH;
  return padded.compare(0, kept, typed, 0, kept) == 0 &&
         padded.find_first_not_of(' ', kept) == std::string::npos;
}

const CodePage SINGLE_BYTE = {SINGLE_BYTE_CODE_PAGE, nullptr};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  bool four_lines = input.ConsumeBool();
  std::string lines[4];
  for (std::string& line : lines) line = input.ConsumeRandomLengthString(2 * SCREEN_WIDTH);

  std::string text = build_screen_text(lines, four_lines, SINGLE_BYTE);
  int shown = four_lines ? 4 : 2;
  check(text.size() == (size_t)shown * SCREEN_WIDTH, "screen text length", shown - 1, text);
  for (int i = 0; i < shown; i++) {
    std::string slice = text.substr(i * SCREEN_WIDTH, SCREEN_WIDTH);
    check(padded_from(slice, lines[i]), "screen text line", i, slice);
    std::string padded = PAD_LINE(lines[i], SINGLE_BYTE);
    check(padded.size() == SCREEN_WIDTH && padded_from(padded, lines[i]), "padded line", i, padded);
  }
  return 0;
}
