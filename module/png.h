// PNG encoding of 8-bit images. No platform calls.
#pragma once

#include <string>

// Returns true and sets <png> to a PNG file of the <width> x <height> image at <pixels>: rows
// top to bottom, <channels> bytes a pixel (3: RGB, 4: RGBA with straight alpha). It carries
// no time or other chunk that would differ between two encodings of one image. Returns false
// when the image cannot be encoded.
bool encode_png(int width, int height, int channels, const unsigned char* pixels, std::string* png);
