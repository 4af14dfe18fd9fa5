// What the end-to-end tests look for in Krateon's pictures: the planet, text, stars, fire and
// the glowing core, each as a small measurement on a screenshot.
#include "scene_checks.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace e2e {

namespace {

constexpr int kPlanetMinChannel = 10;  // the unlit side still shows the ambient light
constexpr int kPlanetCell = 4;
constexpr double kSmallestPlanetRadius = 25;
constexpr double kLeastAspect = 0.45;  // width to height
constexpr double kLeastFill = 0.3;     // of the bounding box
constexpr int kSparkRise = 60;         // above the pixels around, of 255

template <class F>
void forEachInDisc(const Image& image, const Disc& disc, double scale, F f) {
  const double r = disc.radius * scale;
  const Rect box = {static_cast<int>(disc.x - r), static_cast<int>(disc.y - r),
                    static_cast<int>(2 * r) + 1, static_cast<int>(2 * r) + 1};
  forEachPixel(image, box, [&](int x, int y, Rgb pixel) {
    const double dx = x - disc.x, dy = y - disc.y;
    if (dx * dx + dy * dy <= r * r) f(x, y, pixel);
  });
}

}  // namespace

std::string Disc::describe() const {
  std::ostringstream text;
  text << "disc at (" << static_cast<int>(x) << ", " << static_cast<int>(y) << ") radius "
       << static_cast<int>(radius);
  return text.str();
}

std::optional<Disc> findPlanet(const Image& image) {
  for (const Blob& blob : litBlobs(image, kPlanetMinChannel, kPlanetCell)) {
    if (blob.equivalentRadius() < kSmallestPlanetRadius) break;
    // Round, or half of a round thing when the sun lights one side: not a line of text.
    const double aspect = static_cast<double>(blob.box.width) / blob.box.height;
    const double fill = blob.areaPixels() / (static_cast<double>(blob.box.width) * blob.box.height);
    if (aspect < kLeastAspect || aspect > 1 / kLeastAspect || fill < kLeastFill) continue;
    // The middle of the bounding box, not the centroid, so that a half-lit planet keeps its size.
    Disc disc;
    disc.x = blob.box.x + blob.box.width / 2.0;
    disc.y = blob.box.y + blob.box.height / 2.0;
    disc.radius = std::max(blob.box.width, blob.box.height) / 2.0;
    return disc;
  }
  return std::nullopt;
}

double litFraction(const Image& image, const Disc& disc, double scale, int minChannel) {
  long lit = 0, all = 0;
  forEachInDisc(image, disc, scale, [&](int, int, Rgb pixel) {
    lit += pixel.maxChannel() >= minChannel;
    ++all;
  });
  return all > 0 ? static_cast<double>(lit) / all : 0;
}

double textureContrast(const Image& image, const Disc& disc) {
  long differing = 0, lit = 0;
  forEachInDisc(image, disc, 0.85, [&](int x, int y, Rgb pixel) {
    if (pixel.maxChannel() < 30 || x + 3 >= image.width) return;
    const Rgb right = image.at(x + 3, y);
    const int difference =
        std::abs(pixel.r - right.r) + std::abs(pixel.g - right.g) + std::abs(pixel.b - right.b);
    differing += difference > 3 * 12;
    ++lit;
  });
  return lit > 0 ? static_cast<double>(differing) / lit : 0;
}

int sparkDots(const Image& image, const Disc& disc, double scale) {
  const double r = disc.radius * scale;
  const Rect box = {static_cast<int>(disc.x - r), static_cast<int>(disc.y - r),
                    static_cast<int>(2 * r) + 1, static_cast<int>(2 * r) + 1};
  return sharpDots(image, box, kSparkRise, [&](int x, int y) {
    const double dx = x - disc.x, dy = y - disc.y;
    return dx * dx + dy * dy <= r * r;
  });
}

}  // namespace e2e
