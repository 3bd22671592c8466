#include "module/raster.h"

#include "module/glyphs.h"

namespace {

// Each dot is DOT pixels square on a pitch of PITCH pixels; characters are one dot pitch
// apart and lines two, as on the glass.
const int DOT = 3;
const int PITCH = 4;
const int MARGIN = 6 * PITCH;
const int CELL_WIDTH = (GLYPH_COLUMNS + 1) * PITCH;
const int CELL_HEIGHT = (GLYPH_ROWS + 2) * PITCH;

void fill(Raster& image, int x, int y, int width, int height, Rgb colour) {
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

void draw_character(Raster& image, int x, int y, unsigned char c, Rgb lit) {
  const unsigned char* columns = glyph(c);
  for (int col = 0; col < GLYPH_COLUMNS; col++)
    for (int row = 0; row < GLYPH_ROWS; row++)
      fill(image, x + col * PITCH, y + row * PITCH, DOT, DOT,
           (columns[col] >> row) & 1 ? lit : DARK_DOT);
}

}  // namespace

Raster glass_raster(const Module& module) {
  Raster image;
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
  return image;
}
