#include "module/png.h"

#include <stdint.h>
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

}  // namespace

// A PNG file is a signature and chunks: the header, the deflated rows and the end. The
// chunk framing is done here and the deflating by zlib, which every system has, so that
// the pictures come out alike wherever the program runs.
bool encode_png(int width, int height, int channels, const unsigned char* pixels,
                std::string* out) {
  if (width <= 0 || height <= 0 || (channels != 3 && channels != 4)) return false;
  size_t row = (size_t)channels * width;
  // Every row begins with its filter type: none. The dots repeat, and zlib finds that.
  std::string rows;
  rows.reserve((row + 1) * height);
  for (int y = 0; y < height; y++) {
    rows += '\0';
    rows.append((const char*)pixels + row * y, row);
  }
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
