// Draws the program's icon: a "G" of the display module's own 5x7 dots, lit in the phosphor's
// blue-green with a glow, on the module's dark glass. Writes an .ico file with the sizes
// Windows asks for: 16 (captions, lists), 32 (taskbar, desktop), 48 (Explorer's icon view)
// and 256 (Explorer's large views). Runs on the build machine; the same sources give the same
// file, byte for byte.
//
//   draw_icon FILE.ico
#include <stdio.h>

#include <string>
#include <vector>

#include "module/glyphs.h"
#include "module/png.h"

namespace {

// Dots sit on whole pixels at every size, so that the small icons stay sharp.
struct IconSize {
  int size, pitch, dot;
};
const IconSize SIZES[] = {{16, 2, 2}, {32, 4, 3}, {48, 6, 5}, {256, 32, 26}};
const unsigned char LETTER = 'G';
const Rgb RIM = {58, 74, 78};  // lets the dark glass stand out on a dark taskbar

struct Canvas {
  int size;
  std::vector<unsigned char> rgba;  // rows top to bottom, straight alpha
};

// Returns true when the point lies inside the rounded square of the glass, <inset> pixels in
// from the icon's edge.
bool inside_glass(double x, double y, int size, double inset) {
  double radius = size / 8.0 - inset, low = inset + radius, high = size - inset - radius;
  double dx = x < low ? low - x : x > high ? x - high : 0;
  double dy = y < low ? low - y : y > high ? y - high : 0;
  return dx * dx + dy * dy <= radius * radius;
}

// Returns the share (0..1) of pixel (x, y) that the rounded square covers, from 4x4 samples.
double glass_cover(int x, int y, int size, double inset) {
  int hits = 0;
  for (int sy = 0; sy < 4; sy++)
    for (int sx = 0; sx < 4; sx++)
      hits += inside_glass(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4, size, inset);
  return hits / 16.0;
}

// Returns the light that the lit dots throw on pixel (x, y) outside them: each adds a soft
// falloff from its edge. Plain arithmetic only, so that every build machine gets the same
// bytes.
double glow_at(int x, int y, const IconSize& s, int left, int top) {
  const unsigned char* columns = glyph(LETTER);
  double sigma = s.pitch * 0.4, light = 0;
  for (int col = 0; col < GLYPH_COLUMNS; col++)
    for (int row = 0; row < GLYPH_ROWS; row++) {
      if (!((columns[col] >> row) & 1)) continue;
      double x0 = left + col * s.pitch, y0 = top + row * s.pitch, cx = x + 0.5, cy = y + 0.5;
      double dx = cx < x0 ? x0 - cx : cx > x0 + s.dot ? cx - x0 - s.dot : 0;
      double dy = cy < y0 ? y0 - cy : cy > y0 + s.dot ? cy - y0 - s.dot : 0;
      double q = 1 + (dx * dx + dy * dy) / (sigma * sigma);
      light += 0.3 / (q * q);
    }
  return light > 1 ? 1 : light;
}

unsigned char mix(unsigned char base, unsigned char light, double share) {
  return (unsigned char)(base + (light - base) * share + 0.5);
}

// Returns <base> moved towards <light> by <share> (0..1).
Rgb blend(Rgb base, Rgb light, double share) {
  return {mix(base.r, light.r, share), mix(base.g, light.g, share), mix(base.b, light.b, share)};
}

// Returns the icon at one size: the glass with its rim, the letter's dots, the glow.
Canvas draw(const IconSize& s) {
  Canvas c = {s.size, std::vector<unsigned char>((size_t)4 * s.size * s.size)};
  int width = GLYPH_COLUMNS * s.pitch - (s.pitch - s.dot);
  int height = GLYPH_ROWS * s.pitch - (s.pitch - s.dot);
  int left = (s.size - width) / 2, top = (s.size - height) / 2;
  double rim = s.size / 32.0 < 1 ? 1 : s.size / 32.0;
  const unsigned char* columns = glyph(LETTER);
  for (int y = 0; y < s.size; y++)
    for (int x = 0; x < s.size; x++) {
      int col = (x - left) / s.pitch, row = (y - top) / s.pitch;
      bool on_dot = x >= left && y >= top && col < GLYPH_COLUMNS && row < GLYPH_ROWS &&
                    (x - left) % s.pitch < s.dot && (y - top) % s.pitch < s.dot;
      Rgb colour;
      if (on_dot) {
        colour = (columns[col] >> row) & 1 ? LIT_DOT : DARK_DOT;
      } else {
        colour = blend(blend(RIM, GLASS, glass_cover(x, y, s.size, rim)), LIT_DOT,
                       glow_at(x, y, s, left, top));
      }
      unsigned char* p = &c.rgba[(size_t)4 * (y * s.size + x)];
      p[0] = colour.r;
      p[1] = colour.g;
      p[2] = colour.b;
      p[3] = (unsigned char)(255 * glass_cover(x, y, s.size, 0) + 0.5);
    }
  return c;
}

void put16(std::string& out, unsigned value) {
  out += (char)(value & 0xFF);
  out += (char)(value >> 8 & 0xFF);
}

void put32(std::string& out, unsigned value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}

// Returns an icon image in the bitmap form every Windows version reads: a BITMAPINFOHEADER of
// twice the height, the colour rows bottom up in BGRA, then the 1-bit mask (set where the
// icon is transparent), each mask row padded to 32 bits.
std::string bitmap_image(const Canvas& c) {
  std::string out;
  int mask_row = (c.size + 31) / 32 * 4;
  put32(out, 40);
  put32(out, c.size);
  put32(out, 2 * c.size);
  put16(out, 1);   // planes
  put16(out, 32);  // bits per pixel
  put32(out, 0);   // BI_RGB
  put32(out, (unsigned)(4 * c.size * c.size + mask_row * c.size));
  for (int i = 0; i < 4; i++) put32(out, 0);  // resolution, colours used and important
  for (int y = c.size - 1; y >= 0; y--)
    for (int x = 0; x < c.size; x++) {
      const unsigned char* p = &c.rgba[(size_t)4 * (y * c.size + x)];
      out += {(char)p[2], (char)p[1], (char)p[0], (char)p[3]};
    }
  for (int y = c.size - 1; y >= 0; y--) {
    std::string row(mask_row, '\0');
    for (int x = 0; x < c.size; x++)
      if (c.rgba[(size_t)4 * (y * c.size + x) + 3] == 0) row[x / 8] |= (char)(0x80 >> x % 8);
    out += row;
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: draw_icon FILE.ico\n");
    return 2;
  }
  const int count = sizeof SIZES / sizeof SIZES[0];
  std::string directory, images;
  put16(directory, 0);
  put16(directory, 1);  // an icon, not a cursor
  put16(directory, count);
  for (const IconSize& s : SIZES) {
    Canvas canvas = draw(s);
    std::string image;
    bool encoded = true;
    // 256 pixels as a bitmap would be 264 KiB; Windows reads that size as PNG (since Vista).
    if (s.size == 256)
      encoded = encode_png(s.size, s.size, 4, canvas.rgba.data(), &image);
    else
      image = bitmap_image(canvas);
    if (!encoded) {
      fprintf(stderr, "draw_icon: cannot encode the %d-pixel image\n", s.size);
      return 1;
    }
    directory += {(char)(s.size & 0xFF), (char)(s.size & 0xFF), 0, 0};  // 0 means 256
    put16(directory, 1);
    put16(directory, 32);
    put32(directory, (unsigned)image.size());
    put32(directory, (unsigned)(6 + 16 * count + images.size()));
    images += image;
  }
  FILE* file = fopen(argv[1], "wb");
  bool written = file && fwrite(directory.data(), 1, directory.size(), file) == directory.size() &&
                 fwrite(images.data(), 1, images.size(), file) == images.size();
  if (file && fclose(file) != 0) written = false;
  if (!written) {
    fprintf(stderr, "draw_icon: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
