// Floating-point RGB pictures that the generators paint and the BMP writer stores.
// Row 0 is the top row of the picture as an image viewer shows it.
#pragma once

#include <vector>

namespace assetgen {

// A colour with channels nominally in 0..1 (values outside are clamped when stored).
struct Color {
  double r = 0.0;
  double g = 0.0;
  double b = 0.0;
};

Color operator+(Color a, Color b);
Color operator*(Color c, double k);
Color mix(Color a, Color b, double t);  // a at t = 0, b at t = 1; t is not clamped
Color grey(double level);
Color rgb255(int r, int g, int b);  // from 0..255 channel values
double luminance(Color c);          // Rec. 601 weights

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<Color> pixels;  // row-major, row 0 at the top

  Picture() = default;
  Picture(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h) {}
  Color& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
  const Color& at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Mirrors the picture top to bottom.
Picture flipVertical(const Picture& picture);

// Rounds a channel value in 0..1 to a byte, clamping values outside the range.
unsigned char toByte(double value);

double clamp01(double value);
double smoothstep(double edge0, double edge1, double x);

}  // namespace assetgen
