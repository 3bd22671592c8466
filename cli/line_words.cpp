#include "cli/line_words.h"

namespace {

// Returns <ms> as seconds to a tenth, rounded: "1.9 s".
std::string seconds(long long ms) {
  long long tenths = (ms + 50) / 100;
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " s";
}

}  // namespace

std::string took_words(size_t sent, size_t total, long long limit_ms) {
  if (sent == 0) return "the line took no bytes for " + seconds(limit_ms);
  return "the line took only " + std::to_string(sent) + " of " + std::to_string(total) +
         " bytes in " + seconds(limit_ms);
}

std::string unsent_words(long long left, long long limit_ms) {
  if (left <= 0) return "the adapter did not send its last bytes within " + seconds(limit_ms);
  return "the line did not send the last " + std::to_string(left) + " bytes within " +
         seconds(limit_ms);
}

std::string frame_refused(unsigned long rate) {
  return "the line does not take 8 data bits, no parity and one stop bit at " +
         std::to_string(rate) + " bit/s";
}
