// A picture file of the module's glass as it looks at power-up. No platform calls.
#pragma once

#include <string>

#include "module/model.h"

// Returns true and sets <png> to a PNG image of the display at power-up (glass_raster).
// Returns false when the image cannot be encoded.
bool render_png(const Module& module, std::string* png);
