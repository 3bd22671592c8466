// Feeds arbitrary bytes to the display module model in chunks whose sizes the input chooses,
// and checks that the result does not depend on the chunking and stays well formed.
#include <stdint.h>
#include <stdlib.h>

#include <algorithm>
#include <string>

#include "module/live.h"
#include "module/model.h"
#include "module/picture.h"
#include "module/views.h"

namespace {

void require(bool condition) {
  if (!condition) abort();
}

// The JSON view has balanced brackets outside strings and no raw control bytes.
void check_json(const std::string& json) {
  int depth = 0;
  bool in_string = false;
  for (size_t i = 0; i < json.size(); i++) {
    unsigned char c = json[i];
    require(c >= 0x20 || (c == '\n' && i + 1 == json.size()));
    if (in_string) {
      if (c == '\\')
        i++;
      else if (c == '"')
        in_string = false;
    } else if (c == '"') {
      in_string = true;
    } else if (c == '{' || c == '[') {
      depth++;
    } else if (c == '}' || c == ']') {
      require(--depth >= 0);
    }
  }
  require(depth == 0 && !in_string);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  int lines = data[0] & 1 ? 2 : 4;
  unsigned char chunk_seed = data[1];
  const char* stream = (const char*)data + 2;
  size_t length = size - 2;

  Module whole = module_new(lines);
  module_feed(whole, stream, length);
  module_finish(whole);

  // Chunk sizes cycle through the low bits of the stream's own bytes, starting at the seed.
  Module chunked = module_new(lines);
  LiveModule live_whole = live_new(module_new(lines)), live_chunked = live_whole;
  std::string ended_whole = live_take(live_whole, stream, length), ended_chunked;
  size_t at = 0, step = chunk_seed;
  while (at < length) {
    size_t chunk = std::min(length - at, (size_t)(1 + (stream[step % length] & 0x1F)));
    module_feed(chunked, stream + at, chunk);
    ended_chunked += live_take(live_chunked, stream + at, chunk);
    at += chunk;
    step++;
  }
  module_finish(chunked);

  // On a live line the runs are told apart alike however the bytes arrive, and the last one
  // leaves the module as the whole stream does.
  require(ended_whole == ended_chunked && live_whole.runs == live_chunked.runs);
  require(live_run_view(live_whole) == live_run_view(live_chunked));
  require(length == 0 || (live_whole.runs == whole.runs && live_whole.run.screen == whole.screen &&
                          live_whole.run.stored_screen == whole.stored_screen &&
                          live_whole.run.configured == whole.configured));

  std::string json = json_view(whole);
  require(json == json_view(chunked));
  require(words_view(whole) == words_view(chunked));
  check_json(json);
  require(whole.screen.size() == (size_t)lines * MODULE_COLUMNS);
  require(!whole.stored || whole.stored_screen.size() == whole.screen.size());
  require(whole.anomalies.size() <= MODULE_ANOMALY_LIMIT);
  for (const Anomaly& a : whole.anomalies) require(a.offset + a.length <= length);
  // The picture depends on little of the input and, instrumented, costs a hundred times the
  // rest: one input in sixty-four draws it.
  std::string png;
  if ((data[0] & 0x7E) == 0) require(render_png(whole, &png) && png.size() > 8);
  return 0;
}
