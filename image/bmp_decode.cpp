// BMP pixel decoding: the bytes of a 24-bit file become an RGBA image, bottom-up rows
// turned into texture rows, alpha from brightness or a threshold. No GL here.
#include "image/bmp.h"

namespace {

// One byte of the file as the loaders see it: 0..255, or -1 past its end.
int byteAt(const unsigned char* file, std::size_t size, std::size_t offset) {
  return offset < size ? file[offset] : -1;
}

// r, g, b are the values read (-1 for a missing byte); the result keeps the low 8 bits.
unsigned char alphaFor(int r, int g, int b, int alphaValue, int threshold) {
  if (alphaValue < 0) {
    // The channel average, truncated toward zero: three missing bytes give -1, stored as 255.
    return static_cast<unsigned char>(static_cast<int>((r + g + b) / 3.0));
  }
  const bool bright = r >= threshold || g >= threshold || b >= threshold;
  return bright ? static_cast<unsigned char>(alphaValue) : 0;
}

}  // namespace

void decodeBmpImage(const unsigned char* file, std::size_t size, int n, int alphaValue,
                    int threshold, unsigned char* rgba) {
  if (n <= 0 || rgba == nullptr) return;
  if (file == nullptr) size = 0;
  const std::size_t side = static_cast<std::size_t>(n);
  for (std::size_t storedRow = 0; storedRow < side; ++storedRow) {
    // The first stored row is the bottom of a bottom-up BMP; it goes to the last memory row.
    unsigned char* out = rgba + (side - 1 - storedRow) * side * 4;
    std::size_t offset = kBmpPixelDataOffset + storedRow * side * 3;
    for (std::size_t column = 0; column < side; ++column, offset += 3, out += 4) {
      const int b = byteAt(file, size, offset);
      const int g = byteAt(file, size, offset + 1);
      const int r = byteAt(file, size, offset + 2);
      out[0] = static_cast<unsigned char>(r);
      out[1] = static_cast<unsigned char>(g);
      out[2] = static_cast<unsigned char>(b);
      out[3] = alphaFor(r, g, b, alphaValue, threshold);
    }
  }
}
