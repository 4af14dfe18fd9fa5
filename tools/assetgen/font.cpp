// Glyph rendering through FreeType: anti-aliased, vertically hinted, squeezed into the cell's
// 6 x 14 texel ink box with the baseline four texels above the cell's bottom.
#include "font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

namespace assetgen {

namespace {

// The pixel em is narrower than tall, so glyphs fill the tall cells: DejaVu Sans Mono's
// advance (0.6 em) is then 6 texels and its ascender and descender span 13 rows.
constexpr int kEmWidthPixels = 10;
constexpr int kEmHeightPixels = 13;
constexpr int kBaselineRow = 12;  // cell row (from the top) just below the baseline
constexpr int kLastPrintable = 126;

// Owns the FreeType library and face for the time of one rendering.
class FontFace {
 public:
  explicit FontFace(const std::string& file) {
    if (FT_Init_FreeType(&library_) != 0) {
      library_ = nullptr;
      return;
    }
    if (FT_New_Face(library_, file.c_str(), 0, &face_) != 0) face_ = nullptr;
  }
  ~FontFace() {
    if (face_ != nullptr) FT_Done_Face(face_);
    if (library_ != nullptr) FT_Done_FreeType(library_);
  }
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  FT_Face face() const { return face_; }

 private:
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
};

// Copies the rendered glyph into its cell of the upright sheet; ink outside the ink box is
// dropped. Returns the amount of ink dropped (sum of coverage, in whole texels).
double placeGlyph(const FT_GlyphSlot glyph, int code, Picture& sheet) {
  const int k = code - kFontFirstCode;
  const int cellX = (k % kFontColumns) * kFontCellWidth;
  const int cellY = (k / kFontColumns) * kFontCellHeight;
  const int boxWidth = kFontCellWidth - kFontInkLeft;
  const int advance = static_cast<int>(glyph->advance.x >> 6);
  const int penX = kFontInkLeft + (boxWidth - advance) / 2;
  const FT_Bitmap& bitmap = glyph->bitmap;
  double dropped = 0.0;
  for (unsigned row = 0; row < bitmap.rows; ++row) {
    for (unsigned column = 0; column < bitmap.width; ++column) {
      const double coverage = bitmap.buffer[row * bitmap.pitch + column] / 255.0;
      const int x = penX + glyph->bitmap_left + static_cast<int>(column);
      const int y = kBaselineRow - glyph->bitmap_top + static_cast<int>(row);
      if (x < kFontInkLeft || x >= kFontCellWidth || y < kFontInkTop || y >= kFontCellHeight) {
        dropped += coverage;
        continue;
      }
      sheet.at(cellX + x, cellY + y) = grey(coverage);
    }
  }
  return dropped;
}

}  // namespace

bool paintFontImage(const std::string& fontFile, Picture& image, std::string& error) {
  FontFace font(fontFile);
  if (font.face() == nullptr) {
    error = "cannot open the font file " + fontFile;
    return false;
  }
  if (FT_Set_Pixel_Sizes(font.face(), kEmWidthPixels, kEmHeightPixels) != 0) {
    error = "cannot size the font " + fontFile;
    return false;
  }
  Picture sheet(kFontImageSize, kFontImageSize);
  for (int code = kFontFirstCode + 1; code <= kLastPrintable; ++code) {
    if (FT_Load_Char(font.face(), static_cast<FT_ULong>(code),
                     FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0) {
      error = "cannot render character " + std::to_string(code) + " from " + fontFile;
      return false;
    }
    // A glyph that does not fit its box would lose visible strokes: refuse the font.
    if (placeGlyph(font.face()->glyph, code, sheet) > 1.0) {
      error = "character " + std::to_string(code) + " does not fit its cell in " + fontFile;
      return false;
    }
  }
  image = flipVertical(sheet);
  return true;
}

}  // namespace assetgen
