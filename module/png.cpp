#include "module/png.h"

#include <stdint.h>
#include <stdlib.h>
#include <zlib.h>

namespace {

void put32(std::string* out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) *out += (char)(value >> shift & 0xFF);
}

// Appends one chunk: the length of <data>, <type>, <data> and the CRC of type and data.
void put_chunk(std::string* out, const char* type, const std::string& data) {
  put32(out, (uint32_t)data.size());
  std::string body = type + data;
  *out += body;
  put32(out, (uint32_t)crc32(0, (const Bytef*)body.data(), (uInt)body.size()));
}

int paeth(int left, int up, int up_left) {
  int p = left + up - up_left, pa = abs(p - left), pb = abs(p - up), pc = abs(p - up_left);
  return pa <= pb && pa <= pc ? left : pb <= pc ? up : up_left;
}

// Returns the row <row> (<length> bytes, <step> a pixel; <above> is the row before, or
// NULL) through PNG filter <type>: 0 none, 1 the difference to the left, 2 up, 3 the
// average of the two, 4 the nearest of left, up and upper left. The filter type leads.
std::string filtered(const unsigned char* row, const unsigned char* above, size_t length, int step,
                     int type) {
  std::string out(1, (char)type);
  for (size_t i = 0; i < length; i++) {
    int left = i >= (size_t)step ? row[i - step] : 0, up = above ? above[i] : 0,
        up_left = above && i >= (size_t)step ? above[i - step] : 0;
    int predicted = type == 1   ? left
                    : type == 2 ? up
                    : type == 3 ? (left + up) / 2
                    : type == 4 ? paeth(left, up, up_left)
                                : 0;
    out += (char)(row[i] - predicted);
  }
  return out;
}

// Returns the row through the filter whose bytes, taken as signed, add up to the least:
// the usual guess at what deflates best, and the glow of the dots is smooth.
std::string best_filtered(const unsigned char* row, const unsigned char* above, size_t length,
                          int step) {
  std::string best;
  long best_sum = -1;
  for (int type = 0; type <= 4; type++) {
    std::string candidate = filtered(row, above, length, step, type);
    long sum = 0;
    for (size_t i = 1; i < candidate.size(); i++) sum += abs((int)(signed char)candidate[i]);
    if (best_sum < 0 || sum < best_sum) {
      best = candidate;
      best_sum = sum;
    }
  }
  return best;
}

}  // namespace

// A PNG file is a signature and chunks: the header, the deflated rows and the end. The
// chunk framing is done here and the deflating by zlib, which every system has, so that
// the pictures come out alike wherever the program runs.
bool encode_png(int width, int height, int channels, const unsigned char* pixels,
                std::string* out) {
  if (width <= 0 || height <= 0 || (channels != 3 && channels != 4)) return false;
  size_t row = (size_t)channels * width;
  std::string rows;
  rows.reserve((row + 1) * height);
  for (int y = 0; y < height; y++)
    rows += best_filtered(pixels + row * y, y ? pixels + row * (y - 1) : NULL, row, channels);
  uLongf size = compressBound((uLong)rows.size());
  std::string deflated(size, '\0');
  if (compress2((Bytef*)&deflated[0], &size, (const Bytef*)rows.data(), (uLong)rows.size(),
                Z_BEST_COMPRESSION) != Z_OK)
    return false;
  deflated.resize(size);
  std::string header;
  put32(&header, (uint32_t)width);
  put32(&header, (uint32_t)height);
  // 8 bits a sample; truecolour with or without alpha; deflate, adaptive filters, no
  // interlacing.
  header += std::string{8, (char)(channels == 4 ? 6 : 2), 0, 0, 0};
  out->assign("\x89PNG\r\n\x1A\n", 8);
  put_chunk(out, "IHDR", header);
  put_chunk(out, "IDAT", deflated);
  put_chunk(out, "IEND", "");
  return true;
}
