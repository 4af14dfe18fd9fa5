// What the end-to-end tests look for in Krateon's pictures: the planet, text, stars, fire and
// the glowing core, each as a small measurement on a screenshot.
#pragma once

#include <optional>
#include <string>

#include "screen_image.h"

namespace e2e {

// Text is white (thin strokes a little less after filtering); stars never pass 64 % grey.
inline bool isWhite(Rgb p) {
  return p.minChannel() >= 175;
}
// Fire, the glow ring and the core: strong red, less green, little blue.
inline bool isHot(Rgb p) {
  return p.r >= 140 && p.g * 10 <= p.r * 8 && p.b * 20 <= p.r * 9;
}
// The glowing core between the fragments: red-orange with almost no blue.
inline bool isEmber(Rgb p) {
  return p.r >= 50 && p.g * 22 <= p.r * 10 && p.b * 5 <= p.r;
}

struct Disc {
  double x = 0, y = 0;  // centre, pixels from the top-left corner
  double radius = 0;    // pixels
  std::string describe() const;
};

// The planet: the largest solid region of non-black pixels, dark side included.
std::optional<Disc> findPlanet(const Image& image);

// Fraction of the pixels within `scale` x the disc's radius whose brightest channel is at least
// minChannel.
double litFraction(const Image& image, const Disc& disc, double scale, int minChannel);

// Fraction of the lit pixels within the disc that differ by more than 12 levels a channel (on
// average) from the pixel three to the right: high on a textured surface, low on a smoothly shaded
// one.
double textureContrast(const Image& image, const Disc& disc);

// Sharp bright dots within `scale` x the disc's radius, where the planet hides the stars: the
// sparks of an impact.
int sparkDots(const Image& image, const Disc& disc, double scale);

// How many pixels of a colour class lie within `scale` x the disc's radius, and where.
template <class Pred>
PixelSpread spreadInDisc(const Image& image, const Disc& disc, double scale, Pred matches) {
  const double r = disc.radius * scale;
  const Rect box = {static_cast<int>(disc.x - r), static_cast<int>(disc.y - r),
                    static_cast<int>(2 * r) + 1, static_cast<int>(2 * r) + 1};
  return spreadOf(image, box, matches);
}

}  // namespace e2e
