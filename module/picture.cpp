#include "module/picture.h"

#include <png.h>

#include <vector>

#include "module/glyphs.h"

namespace {

// Each dot is DOT pixels square on a pitch of PITCH pixels; characters are one dot pitch
// apart and lines two, as on the glass.
const int DOT = 3;
const int PITCH = 4;
const int MARGIN = 6 * PITCH;
const int CELL_WIDTH = (GLYPH_COLUMNS + 1) * PITCH;
const int CELL_HEIGHT = (GLYPH_ROWS + 2) * PITCH;

struct Rgb {
  unsigned char r, g, b;
};
const Rgb GLASS = {10, 14, 16};
const Rgb DARK_DOT = {22, 32, 34};
const Rgb LIT_DOT = {120, 255, 225};  // the blue-green of a vacuum-fluorescent phosphor

struct Image {
  int width, height;
  std::vector<unsigned char> rgb;
};

void fill(Image& image, int x, int y, int width, int height, Rgb colour) {
  for (int row = y; row < y + height; row++)
    for (int col = x; col < x + width; col++) {
      unsigned char* p = &image.rgb[3 * ((size_t)row * image.width + col)];
      p[0] = colour.r;
      p[1] = colour.g;
      p[2] = colour.b;
    }
}

// Returns the colour of a lit dot at <percent> brightness, between dark and full.
Rgb glow(int percent) {
  auto mix = [percent](unsigned char dark, unsigned char lit) {
    return (unsigned char)(dark + (lit - dark) * percent / 100);
  };
  return {mix(DARK_DOT.r, LIT_DOT.r), mix(DARK_DOT.g, LIT_DOT.g), mix(DARK_DOT.b, LIT_DOT.b)};
}

void draw_character(Image& image, int x, int y, unsigned char c, Rgb lit) {
  const unsigned char* columns = glyph(c);
  for (int col = 0; col < GLYPH_COLUMNS; col++)
    for (int row = 0; row < GLYPH_ROWS; row++)
      fill(image, x + col * PITCH, y + row * PITCH, DOT, DOT,
           (columns[col] >> row) & 1 ? lit : DARK_DOT);
}

void append(png_structp png, png_bytep data, png_size_t length) {
  ((std::string*)png_get_io_ptr(png))->append((const char*)data, length);
}

void no_flush(png_structp) {}

// libpng reports errors by longjmp back here; only plain data lives in this frame.
bool encode(const Image& image, std::string* out) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, NULL, NULL, NULL);
  png_infop info = png ? png_create_info_struct(png) : NULL;
  if (!info) {
    png_destroy_write_struct(&png, NULL);
    return false;
  }
  std::vector<png_bytep> rows(image.height);
  for (int y = 0; y < image.height; y++)
    rows[y] = (png_bytep)&image.rgb[3 * (size_t)y * image.width];
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, out, append, no_flush);
  png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows.data());
  png_write_end(png, NULL);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool render_png(const Module& module, std::string* png) {
  Image image;
  image.width = 2 * MARGIN + MODULE_COLUMNS * CELL_WIDTH - PITCH;
  image.height = 2 * MARGIN + module.lines * CELL_HEIGHT - 2 * PITCH;
  image.rgb.assign(3 * (size_t)image.width * image.height, 0);
  fill(image, 0, 0, image.width, image.height, GLASS);
  Rgb lit = glow(module.configured ? brightness_percent(module.config.brightness) : 100);
  std::string screen = power_up_screen(module);
  for (int line = 0; line < module.lines; line++)
    for (int col = 0; col < MODULE_COLUMNS; col++)
      draw_character(image, MARGIN + col * CELL_WIDTH, MARGIN + line * CELL_HEIGHT,
                     (unsigned char)screen[line * MODULE_COLUMNS + col], lit);
  png->clear();
  return encode(image, png);
}
