// The bitmap font image: glyphs of a monospaced TrueType font, rendered with FreeType into a
// grid of 16 x 8 cells of 8 x 16 texels for the character codes 32..159.
#pragma once

#include <string>

#include "image.h"

namespace assetgen {

constexpr int kFontImageSize = 128;
constexpr int kFontCellWidth = 8;
constexpr int kFontCellHeight = 16;
constexpr int kFontColumns = 16;
constexpr int kFontFirstCode = 32;  // code c sits in cell k = c - 32: column k % 16, row k / 16
// The text renderer samples each cell shifted by 0.01 of the texture (1.28 texels) towards the
// right and the bottom, so the two left columns and two top rows of every cell stay empty.
constexpr int kFontInkLeft = 2;
constexpr int kFontInkTop = 2;

// Renders the glyph grid, white on black with grey anti-aliased edges. The returned picture is
// ready for writeBmp: the program's loader puts the first stored row at the top of the texture,
// so the grid is upside down as an image viewer shows the file (codes 32..47 at the bottom).
// Codes 127..159 stay empty. On failure returns false and says why in `error`.
bool paintFontImage(const std::string& fontFile, Picture& image, std::string& error);

}  // namespace assetgen
