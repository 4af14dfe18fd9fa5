// Glyph placement for the bitmap font: the cell of a character code in the 16 x 8 grid of the
// font texture, the quad it covers on screen and the pen advance.
#include "text/glyph_layout.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr double kCellWidth = 1.0 / kFontColumns;  // 0.0625 of the texture
constexpr double kCellHeight = 1.0 / kFontRows;    // 0.125 of the texture
constexpr double kCellInset = 0.01;                // texture shift into the cell: right, down
constexpr float kGlyphWidthShare = 0.5f;           // glyph width / glyph height
constexpr double kAdvanceShare = 0.45;             // pen advance / glyph height
constexpr int kFirstGridCode = 32;                 // the code in the top-left cell

}  // namespace

short toShortPixels(double value) {
  if (std::isnan(value)) return 0;
  const double whole = std::trunc(value);
  const double clamped = std::fmax(INT32_MIN, std::fmin(INT32_MAX, whole));
  // Keep the low 16 bits, as a 16-bit variable holding the truncated value would.
  return static_cast<short>(static_cast<std::uint16_t>(static_cast<std::int32_t>(clamped)));
}

GlyphQuad layoutGlyph(unsigned char code, short penX, short baseY, float size) {
  // Codes below 32 wrap to the grid's end: index 224..255, rows 14 and 15, which the texture's
  // repeat maps onto rows 6 and 7 (the glyphs of codes 128..159).
  const int index = static_cast<unsigned char>(code - kFirstGridCode);
  const int column = index % kFontColumns;
  const int row = index / kFontColumns;

  GlyphQuad quad{};
  quad.left = penX;
  quad.right = penX + size * kGlyphWidthShare;
  quad.bottom = baseY;
  quad.top = baseY + size;
  quad.s0 = column * kCellWidth + kCellInset;
  quad.s1 = quad.s0 + kCellWidth;
  quad.t0 = 1.0 - kCellHeight - row * kCellHeight - kCellInset;
  quad.t1 = quad.t0 + kCellHeight;
  quad.nextPenX = toShortPixels(penX + static_cast<double>(size) * kAdvanceShare);
  return quad;
}
