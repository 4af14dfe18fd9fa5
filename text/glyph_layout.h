// Where one glyph of the bitmap font lands: its quad in window pixels, its cell of the font
// texture, and the pen position after it. Pure arithmetic, no GL, so it can be checked alone.
#pragma once

constexpr int kFontColumns = 16;  // glyph cells across the font texture
constexpr int kFontRows = 8;      // glyph cells down the font texture (codes 32..159)

// One glyph: corners in window pixels (origin bottom left), texture coordinates of the cell.
struct GlyphQuad {
  float left, bottom, right, top;
  double s0, s1;   // left and right edge of the cell, + 0.01
  double t0, t1;   // bottom and top edge of the cell, - 0.01; rows past 7 wrap (repeat)
  short nextPenX;  // pen x for the following glyph
};

// The integer part (toward zero) of `value` as the 16-bit pixel coordinate the text code works
// in, wrapping like a 16-bit int. Values beyond the 32-bit range are clamped to it first and a
// NaN gives 0, so no input makes the conversion undefined.
short toShortPixels(double value);

// The glyph for character `code` with its left edge at penX and its bottom at baseY (both window
// pixels from the bottom left), `size` pixels high and half as wide. The pen then moves on by
// size * 0.45, truncated to whole pixels.
GlyphQuad layoutGlyph(unsigned char code, short penX, short baseY, float size);
