#include "module/png.h"

#include <png.h>

#include <vector>

namespace {

void append(png_structp png, png_bytep data, png_size_t length) {
  ((std::string*)png_get_io_ptr(png))->append((const char*)data, length);
}

void no_flush(png_structp) {}

}  // namespace

// libpng reports errors by longjmp back here; only plain data lives in this frame.
bool encode_png(int width, int height, int channels, const unsigned char* pixels,
                std::string* out) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, NULL, NULL, NULL);
  png_infop info = png ? png_create_info_struct(png) : NULL;
  if (!info) {
    png_destroy_write_struct(&png, NULL);
    return false;
  }
  std::vector<png_bytep> rows(height);
  for (int y = 0; y < height; y++) rows[y] = (png_bytep)&pixels[(size_t)channels * y * width];
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  out->clear();
  png_set_write_fn(png, out, append, no_flush);
  png_set_IHDR(png, info, width, height, 8,
               channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows.data());
  png_write_end(png, NULL);
  png_destroy_write_struct(&png, &info);
  return true;
}
