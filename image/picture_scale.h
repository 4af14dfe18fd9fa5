// Scaling a picture to the power-of-two sides a texture takes: each new pixel the average of
// the area of the picture it covers (a box filter), for shrinking and enlarging alike.
#pragma once

#include <cstddef>

constexpr int kLargestScaledSide = 2048;  // pixels, either side of a scaled picture

// Pixels of 8-bit channels in memory, row 0 at the top. Pixels may carry other bytes (alpha,
// padding) beside the three colours; rows may be padded.
struct PictureView {
  const unsigned char* pixels = nullptr;
  int width = 0;                // pixels
  int height = 0;               // pixels
  std::ptrdiff_t rowBytes = 0;  // from the start of one row to the next
  int pixelBytes = 0;           // from one pixel to the next, 1..8
  int redAt = 0;                // byte of each colour within a pixel
  int greenAt = 1;
  int blueAt = 2;
};

// The power of two nearest to `side` (nearest on a logarithmic scale, halfway rounding up),
// at most `largest` (itself rounded down to a power of two); 1 for a side or limit below 1.
int powerOfTwoSide(long long side, int largest);

// Writes `picture` scaled to width x height into `rgba` (4 bytes a pixel, rows packed, row 0 at
// the top), opaque: alpha 255. Each channel is the area-weighted mean of the source pixels the
// target pixel covers, rounded. Returns false and writes nothing when a side of either is
// below 1, a target side above kLargestScaledSide or the view has no pixels.
bool scalePicture(const PictureView& picture, int width, int height, unsigned char* rgba);
