// Colour arithmetic and picture helpers shared by every image generator.
// Quantisation rounds half up so the same value always gives the same byte.
#include "image.h"

#include <cmath>

namespace assetgen {

Color operator+(Color a, Color b) {
  return {a.r + b.r, a.g + b.g, a.b + b.b};
}

Color operator*(Color c, double k) {
  return {c.r * k, c.g * k, c.b * k};
}

Color mix(Color a, Color b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Color grey(double level) {
  return {level, level, level};
}

Color rgb255(int r, int g, int b) {
  return {r / 255.0, g / 255.0, b / 255.0};
}

double luminance(Color c) {
  return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b;
}

Picture flipVertical(const Picture& picture) {
  Picture flipped(picture.width, picture.height);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      flipped.at(x, y) = picture.at(x, picture.height - 1 - y);
    }
  }
  return flipped;
}

unsigned char toByte(double value) {
  return static_cast<unsigned char>(std::floor(clamp01(value) * 255.0 + 0.5));
}

double clamp01(double value) {
  if (!(value > 0.0)) return 0.0;  // also maps NaN to 0
  return value < 1.0 ? value : 1.0;
}

double smoothstep(double edge0, double edge1, double x) {
  const double t = clamp01((x - edge0) / (edge1 - edge0));
  return t * t * (3.0 - 2.0 * t);
}

}  // namespace assetgen
