// Crater profiles by x = distance / rim radius (bowl, rim crest at x = 1, outer flank), shaded
// against a sun direction taken in each crater's own tangent plane, so every crater stays round.
#include "craters.h"

#include <algorithm>
#include <cmath>

#include "sphere_map.h"

namespace assetgen {

namespace {

constexpr double kEjectaReach = 1.8;  // ejecta and flanks end at this many rim radii
constexpr double kRayReach = 6.0;     // rays run out to this many rim radii
const Vec3 kSunDirection = normalize({-0.6, 0.5, 0.62});

// Height slope d(height)/dx of the profile, scaled so the rim wall's steepest slope is 1.
double profileSlope(double x) {
  if (x < 1.0) return x * x;                 // bowl wall, steepest at the rim
  return -0.6 * std::exp(-(x - 1.0) * 5.0);  // outer flank falls off quickly
}

// Albedo of the profile: dark floor, bright rim crest, a faint bright ejecta blanket.
double profileAlbedo(double x) {
  const double floor = -0.06 * (1.0 - smoothstep(0.55, 0.95, x));
  const double rim = 0.10 * std::exp(-((x - 1.0) * (x - 1.0)) / 0.012);
  const double ejecta = x > 1.0 ? 0.06 * (1.0 - smoothstep(1.0, kEjectaReach, x)) : 0.0;
  return floor + rim + ejecta;
}

// Ray brightness: narrow streaks fanning out from the crater, fading with distance.
double rayAlbedo(const Crater& crater, double x, Vec3 radial) {
  if (x < 1.0 || x > kRayReach) return 0.0;
  const LocalFrame frame = frameAt(crater.centre);
  const double azimuth = std::atan2(dot(radial, frame.north), dot(radial, frame.east));
  const Vec3 around = {std::cos(azimuth) * 14.0, std::sin(azimuth) * 14.0, x * 0.25};
  const double streak = std::max(0.0, gradientNoise(around, crater.seed) * 2.5 - 0.3);
  const double fade = 1.0 - smoothstep(1.2, kRayReach, x);
  return crater.rays * streak * streak * fade;
}

int bandOf(double latitude) {
  const int band = static_cast<int>(std::floor((latitude / kPi + 0.5) * kCraterBands));
  return std::clamp(band, 0, kCraterBands - 1);
}

}  // namespace

CraterField scatterCraters(std::uint64_t seed, int count, double minRadius, double maxRadius,
                           int rayCraters) {
  Rng rng(seed);
  CraterField field;
  field.craters.reserve(static_cast<std::size_t>(count));
  // Sizes follow N(>r) ~ r^-2: the inverse of that distribution between the two radii.
  const double a = 1.0 / (minRadius * minRadius);
  const double b = 1.0 / (maxRadius * maxRadius);
  for (int i = 0; i < count; ++i) {
    Crater crater;
    crater.centre = rng.onSphere();
    crater.radius = 1.0 / std::sqrt(a + (b - a) * rng.uniform());
    const double age = rng.uniform();
    crater.freshness = 0.15 + 0.85 * age * age;  // most craters are old and worn
    crater.seed = static_cast<std::uint32_t>(rng.next() & 0xFFFFFFFFu);
    const Vec3 tangent = kSunDirection - crater.centre * dot(kSunDirection, crater.centre);
    crater.sunTangent = length(tangent) > 1e-6 ? normalize(tangent) : frameAt(crater.centre).east;
    field.craters.push_back(crater);
  }
  // The largest craters that are also fresh carry the rays.
  for (int k = 0; k < rayCraters; ++k) {
    Crater* best = nullptr;
    for (Crater& crater : field.craters) {
      if (crater.rays > 0.0 || crater.radius > maxRadius * 0.5) continue;
      if (best == nullptr || crater.radius * crater.freshness > best->radius * best->freshness) {
        best = &crater;
      }
    }
    if (best == nullptr) break;
    best->rays = 0.22;
    best->freshness = 1.0;
  }
  field.bands.resize(kCraterBands);
  for (std::size_t i = 0; i < field.craters.size(); ++i) {
    Crater& crater = field.craters[i];
    const double reach =
        std::min(crater.radius * (crater.rays > 0.0 ? kRayReach : kEjectaReach), kPi);
    crater.cosReach = std::cos(reach);
    // The cap of angular radius `reach` spans the latitudes within `reach` of its centre.
    const double latitude = std::asin(crater.centre.y);
    const int first = bandOf(latitude - reach);
    const int last = bandOf(latitude + reach);
    for (int band = first; band <= last; ++band) field.bands[band].push_back(static_cast<int>(i));
  }
  return field;
}

CraterSample sampleCraters(const CraterField& field, Vec3 p) {
  CraterSample sample;
  for (int index : field.bands[bandOf(std::asin(std::clamp(p.y, -1.0, 1.0)))]) {
    const Crater& crater = field.craters[index];
    const double along = dot(p, crater.centre);
    if (along < crater.cosReach) continue;
    const Vec3 tangent = p - crater.centre * along;
    const double sideways = length(tangent);
    const double x = std::atan2(sideways, along) / crater.radius;
    const Vec3 radial = sideways > 1e-12 ? tangent * (1.0 / sideways) : crater.sunTangent;
    // Ground is lit where it tilts towards the sun, i.e. where the height falls towards it:
    // inside the bowl that is the wall on the far side from the sun.
    const double facing = dot(radial, crater.sunTangent);
    sample.relief -= profileSlope(x) * facing * crater.freshness;
    sample.albedo += profileAlbedo(x) * crater.freshness;
    if (crater.rays > 0.0) sample.albedo += rayAlbedo(crater, x, radial);
  }
  return sample;
}

}  // namespace assetgen
