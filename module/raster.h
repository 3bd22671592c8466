// The module's glass as it looks at power-up, in pixels: for a picture file, or for a page to
// draw as it is. No platform calls.
#pragma once

#include <vector>

#include "module/model.h"

struct Raster {
  int width, height;
  std::vector<unsigned char> rgb;  // rows top to bottom, 3 bytes a pixel
};

// Returns the display at power-up: dark glass, the 5x7 dots of the power-up screen lit at the
// configured brightness (full brightness when the module holds no configuration).
Raster glass_raster(const Module& module);
