// What a run on a serial line says when the line fails it, in the same words on every
// system. No platform calls.
#pragma once

#include <stddef.h>

#include <string>

// Returns why a write of <total> bytes failed when the line took <sent> of them within
// <limit_ms>: "the line took no bytes for 1.9 s", "the line took only 40 of 94 bytes in 1.9 s".
std::string took_words(size_t sent, size_t total, long long limit_ms);

// Returns why a line whose driver still held <left> bytes (0: it cannot tell how many) after
// <limit_ms> failed the run.
std::string unsent_words(long long left, long long limit_ms);

// Returns why a line that does not take the display's frame at <rate> is refused.
std::string frame_refused(unsigned long rate);
