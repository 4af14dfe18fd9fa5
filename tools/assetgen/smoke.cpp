// A puff made of billowing fractal noise inside a round mask whose edge wobbles with the angle.
// The mask reaches zero well inside the borders, so the sprite's square never shows.
#include "smoke.h"

#include <cmath>

#include "noise.h"

namespace assetgen {

namespace {

constexpr double kMaskEnd = 0.94;  // radius (fraction of the half size) beyond which all is black
constexpr double kPeakGrey = 0.88;

}  // namespace

Picture paintSmoke() {
  Picture puff(kSmokeImageSize, kSmokeImageSize);
  const double half = kSmokeImageSize * 0.5;
  for (int y = 0; y < kSmokeImageSize; ++y) {
    for (int x = 0; x < kSmokeImageSize; ++x) {
      const double u = (x + 0.5 - half) / half;
      const double v = (y + 0.5 - half) / half;
      const double r = std::sqrt(u * u + v * v);
      const double angle = std::atan2(v, u);
      // The edge radius follows noise sampled around a circle, so it joins up smoothly.
      const Vec3 around = {std::cos(angle) * 1.3, std::sin(angle) * 1.3, 4.2};
      const double edge = 0.70 + 0.22 * fbm(around, 11010, 3);
      const Vec3 p = {u * 2.2, v * 2.2, 0.37};
      const Vec3 warp = fbmVector(p, 11020, 3);
      const double billows = 0.5 + 0.9 * fbm(p * 1.6 + warp * 0.8, 11030, 5);
      const double body = 1.0 - smoothstep(0.0, edge, r);
      const double mask = 1.0 - smoothstep(0.8, kMaskEnd, r);
      const double density = std::sqrt(body) * (0.3 + 0.7 * clamp01(billows)) * mask;
      puff.at(x, y) = grey(kPeakGrey * density);
    }
  }
  return puff;
}

}  // namespace assetgen
