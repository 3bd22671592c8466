// A picture of the module's glass as it looks at power-up. No platform calls.
#pragma once

#include <string>

#include "module/model.h"

// Returns true and sets <png> to a PNG image of the display at power-up: dark glass, the 5x7
// dots of the power-up screen lit at the configured brightness (full brightness when the
// module holds no configuration). Returns false when the image cannot be encoded.
bool render_png(const Module& module, std::string* png);
