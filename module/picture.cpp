#include "module/picture.h"

#include "module/png.h"
#include "module/raster.h"

bool render_png(const Module& module, std::string* png) {
  Raster image = glass_raster(module);
  return encode_png(image.width, image.height, 3, image.rgb.data(), png);
}
