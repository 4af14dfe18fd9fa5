// Screenshots as plain RGB pixels and the measurements the end-to-end tests make on them:
// brightness, colour classes, the largest lit blob (the planet), and PNG files for inspection.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

struct Rgb {
  int r = 0, g = 0, b = 0;  // 0..255
  int brightness() const { return (r + g + b) / 3; }
  int maxChannel() const;
  int minChannel() const;
};

struct Rect {
  int x = 0, y = 0;  // upper-left corner, pixels from the top-left of the screen
  int width = 0, height = 0;
};

// A screenshot: rows from the top, 3 bytes per pixel (red, green, blue).
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;

  bool empty() const { return rgb.empty(); }
  Rect bounds() const { return {0, 0, width, height}; }
  Rgb at(int x, int y) const;
  // Writes an uncompressed PNG; false when the file cannot be written.
  bool savePng(const std::string& path) const;
};

// Calls f(x, y, pixel) for every pixel of the rectangle that lies on the image.
template <class F>
void forEachPixel(const Image& image, Rect area, F f) {
  const int x0 = area.x < 0 ? 0 : area.x;
  const int y0 = area.y < 0 ? 0 : area.y;
  const int x1 = area.x + area.width > image.width ? image.width : area.x + area.width;
  const int y1 = area.y + area.height > image.height ? image.height : area.y + area.height;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) f(x, y, image.at(x, y));
  }
}

// Mean of (r + g + b) / 3 over the rectangle, 0 for an empty one.
double meanBrightness(const Image& image, Rect area);

// Where the pixels of one kind lie within a region.
struct PixelSpread {
  int count = 0;
  double centerX = 0, centerY = 0;  // centroid, when count > 0
  Rect box;                         // bounding box, when count > 0
  int rows = 0;                     // rows holding at least one such pixel
};

template <class Pred>
PixelSpread spreadOf(const Image& image, Rect area, Pred matches) {
  PixelSpread spread;
  int left = image.width, top = image.height, right = -1, bottom = -1;
  double sumX = 0, sumY = 0;
  std::vector<bool> rowSeen(static_cast<size_t>(image.height), false);
  forEachPixel(image, area, [&](int x, int y, Rgb pixel) {
    if (!matches(pixel)) return;
    ++spread.count;
    sumX += x;
    sumY += y;
    left = x < left ? x : left;
    right = x > right ? x : right;
    top = y < top ? y : top;
    bottom = y > bottom ? y : bottom;
    rowSeen[static_cast<size_t>(y)] = true;
  });
  if (spread.count > 0) {
    spread.centerX = sumX / spread.count;
    spread.centerY = sumY / spread.count;
    spread.box = {left, top, right - left + 1, bottom - top + 1};
  }
  for (bool seen : rowSeen) spread.rows += seen ? 1 : 0;
  return spread;
}

// The 4-connected regions of cells (cell x cell pixels) in which at least half of the pixels
// are lit, largest first. Stars are single points, so they never make a cell; the planet does.
struct Blob {
  int cells = 0;
  int cellSize = 0;
  double centerX = 0, centerY = 0;  // pixels
  Rect box;
  double areaPixels() const { return static_cast<double>(cells) * cellSize * cellSize; }
  // Radius of the disc with the blob's area.
  double equivalentRadius() const;
};
std::vector<Blob> litBlobs(const Image& image, int minChannel, int cellSize = 4);

// Colours, each channel cut to its top 3 bits, of the lit pixels within the circle.
int distinctColours(const Image& image, double centerX, double centerY, double radius,
                    int minChannel);

// Lit pixels (max channel >= minChannel) with at most maxNeighbours lit pixels in the 7 x 7
// square around them: stars and sparks on black, not glyphs or the planet.
int isolatedPoints(const Image& image, Rect area, int minChannel, int maxNeighbours = 6);

// Pixels at least `rise` brighter than the mean of the ring of pixels two steps away: the
// sharp dots that sparks make, also over a textured surface. Only pixels for which
// counts(x, y) holds are looked at.
int sharpDots(const Image& image, Rect area, int rise, const std::function<bool(int, int)>& counts);

}  // namespace e2e
