// Writing pictures with an opacity channel as 8-bit RGBA PNG files, through libpng.
// Used for the program's icons, which need transparent ground; the scene's images stay BMP.
#pragma once

#include <string>
#include <vector>

#include "image.h"

namespace assetgen {

// A picture whose pixels also carry an opacity, 0 = fully transparent .. 1 = opaque. The colour
// is not premultiplied: a half-covered edge pixel keeps the full colour of what covers it.
struct TranslucentPicture {
  Picture colour;
  std::vector<double> opacity;  // one per pixel, row-major like colour.pixels
};

// Writes the picture as a non-interlaced 8-bit RGBA PNG. False when the file cannot be written
// or the opacity does not have one value per pixel.
bool writePng(const std::string& path, const TranslucentPicture& picture);

}  // namespace assetgen
