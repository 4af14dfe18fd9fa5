// Painting the icon by supersampling a few shapes given in fractions of the icon's size: the
// planet disc, the flash star at the impact point and a few sparks, composited back to front.
#include "icon.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "noise.h"

namespace assetgen {

namespace {

// How one size is drawn; only what still reads at that size is switched on.
struct IconStyle {
  int size;
  int samplesPerAxis;    // supersampling grid per pixel
  double outlinePixels;  // dark rim inside the planet's edge, for contrast on light ground
  int surfaceOctaves;    // detail of the continents; 0 for open ocean only
  bool clouds;
  bool diagonalRays;      // four shorter rays between the four main ones
  double rayWidthPixels;  // half width of a main ray at its root
  int sparks;
  bool glowingRing;  // the ring of heat spreading over the surface around the impact
};

// Columns: size, samples, outline, octaves, clouds, diagonal rays, ray width, sparks, ring.
const IconStyle kStyles[] = {
    {16, 8, 1.0, 0, false, false, 0.5, 0, false}, {32, 8, 1.2, 2, false, false, 0.7, 0, false},
    {48, 6, 1.4, 3, false, true, 0.9, 5, true},   {64, 6, 1.6, 4, true, true, 1.1, 7, true},
    {128, 4, 2.2, 5, true, true, 1.8, 12, true},  {256, 4, 3.5, 6, true, true, 3.2, 18, true},
};

// Layout, in fractions of the icon's size; y grows downwards as in the picture.
constexpr double kPlanetX = 0.45;
constexpr double kPlanetY = 0.56;
constexpr double kPlanetRadius = 0.40;
constexpr double kImpactAngle = 0.7853981633974483;  // 45 degrees up and to the right
constexpr double kFlashOutside = 0.02;               // the flash centre sits just over the rim
constexpr double kCoreRadius = 0.06;
constexpr double kGlowRadius = 0.13;
constexpr double kMainRayLength = 0.31;
constexpr double kDiagonalRayLength = 0.17;
constexpr double kHeatRadius = 0.16;  // warm tint of the surface around the impact
constexpr double kRingRadius = 0.21;
constexpr double kRingWidth = 0.018;

const Color kDeepOcean = {0.04, 0.17, 0.46};
const Color kShallowOcean = {0.13, 0.43, 0.80};
const Color kLowland = {0.24, 0.50, 0.20};
const Color kHighland = {0.62, 0.52, 0.32};
const Color kOutline = {0.02, 0.04, 0.13};
const Color kAtmosphere = {0.40, 0.65, 1.00};
const Color kHeat = {1.00, 0.48, 0.10};
const Color kRing = {1.00, 0.78, 0.38};
const Color kFlashEdge = {1.00, 0.40, 0.04};
const Color kFlashMiddle = {1.00, 0.86, 0.30};
const Color kFlashCore = {1.00, 1.00, 0.94};

const Vec3 kSunDirection = normalize({0.55, 0.55, 0.62});  // x right, y up, z towards the viewer

struct Point {
  double x = 0.0;
  double y = 0.0;
};

// A colour with its coverage, composited front over back.
struct Layer {
  Color colour;
  double opacity = 0.0;
};

Layer over(Layer front, Layer back) {
  const double opacity = front.opacity + back.opacity * (1.0 - front.opacity);
  if (opacity <= 0.0) return {};
  const Color colour =
      (front.colour * front.opacity + back.colour * (back.opacity * (1.0 - front.opacity))) *
      (1.0 / opacity);
  return {colour, opacity};
}

const IconStyle& styleFor(int size) {
  const IconStyle* chosen = &kStyles[0];
  for (const IconStyle& style : kStyles) {
    if (style.size <= size) chosen = &style;
  }
  return *chosen;
}

Point impactPoint() {
  return {kPlanetX + kPlanetRadius * std::cos(kImpactAngle),
          kPlanetY - kPlanetRadius * std::sin(kImpactAngle)};
}

// The flash centre, on the centre of a pixel so that the main rays are whole pixel rows and
// columns at the smallest sizes.
Point flashCentre(int size) {
  const double outside = kPlanetRadius + kFlashOutside;
  const double x = kPlanetX + outside * std::cos(kImpactAngle);
  const double y = kPlanetY - outside * std::sin(kImpactAngle);
  return {(std::floor(x * size) + 0.5) / size, (std::floor(y * size) + 0.5) / size};
}

double distance(Point a, Point b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

// Oceans, continents and clouds at the sphere point n, before lighting.
Color surfaceColour(const IconStyle& style, Vec3 n) {
  const Vec3 p = n * 1.5 + Vec3{0.3, 1.7, -0.4};
  const double height = style.surfaceOctaves > 0 ? fbm(p, 15010, style.surfaceOctaves) : -0.1;
  Color ground = mix(kDeepOcean, kShallowOcean, smoothstep(-0.35, 0.08, height));
  if (height > 0.08) ground = mix(kLowland, kHighland, smoothstep(0.12, 0.45, height));
  if (style.clouds) {
    const int octaves = std::min(style.surfaceOctaves, 4);
    const double cloud = fbm(n * 1.8 + Vec3{5.1, -2.3, 0.7}, 15020, octaves, 0.5);
    ground = mix(ground, grey(0.97), 0.8 * smoothstep(0.2, 0.5, cloud));
  }
  return ground;
}

// The planet at picture point q (fractions of the size): shaded surface, heat around the impact,
// the glowing ring and the dark rim. Transparent outside the disc.
Layer planetAt(const IconStyle& style, Point q) {
  const double a = (q.x - kPlanetX) / kPlanetRadius;
  const double b = (kPlanetY - q.y) / kPlanetRadius;
  const double r2 = a * a + b * b;
  if (r2 >= 1.0) return {};
  const Vec3 n = {a, b, std::sqrt(1.0 - r2)};
  const double lit = std::max(0.0, dot(n, kSunDirection));
  Color colour = surfaceColour(style, n) * (0.28 + 0.85 * lit);
  const double rim = std::pow(1.0 - n.z, 2.5) * (0.3 + 0.7 * lit);
  colour = colour + kAtmosphere * (0.55 * rim);

  const double fromImpact = distance(q, impactPoint());
  colour = mix(colour, kHeat, 0.85 * std::exp(-std::pow(fromImpact / kHeatRadius, 2.0)));
  if (style.glowingRing) {
    const double ring = std::exp(-std::pow((fromImpact - kRingRadius) / kRingWidth, 2.0));
    colour = mix(colour, kRing, 0.75 * ring);
  }
  const double edgePixels = (1.0 - std::sqrt(r2)) * kPlanetRadius * style.size;
  if (edgePixels < style.outlinePixels) colour = mix(colour, kOutline, 0.85);
  return {colour, 1.0};
}

// One ray of the flash star along the unit direction (dx, dy): full at its root, tapering to
// nothing at `length`, with a width that never drops below one pixel.
double rayAt(const IconStyle& style, Point d, double dx, double dy, double length,
             double widthPixels) {
  const double along = d.x * dx + d.y * dy;
  if (along <= 0.0 || along >= length) return 0.0;
  const double across = std::fabs(d.x * dy - d.y * dx) * style.size;
  const double taper = 1.0 - along / length;
  const double halfWidth = std::max(0.5, widthPixels * taper);
  return std::pow(taper, 1.3) * (1.0 - smoothstep(halfWidth * 0.7, halfWidth * 1.3, across));
}

// The flash star: a white-hot core, a warm glow and its rays, coloured by intensity.
Layer flashAt(const IconStyle& style, Point q) {
  const Point centre = flashCentre(style.size);
  const Point d = {q.x - centre.x, q.y - centre.y};
  const double rho = std::hypot(d.x, d.y);
  double intensity = std::exp(-std::pow(rho / kCoreRadius, 2.0)) +
                     0.55 * std::exp(-std::pow(rho / kGlowRadius, 2.0));
  const double w = style.rayWidthPixels;
  intensity += rayAt(style, d, 1, 0, kMainRayLength, w) +
               rayAt(style, d, -1, 0, kMainRayLength, w) +
               rayAt(style, d, 0, 1, kMainRayLength, w) + rayAt(style, d, 0, -1, kMainRayLength, w);
  if (style.diagonalRays) {
    const double s = std::sqrt(0.5);
    const double dw = 0.6 * w;
    intensity += rayAt(style, d, s, s, kDiagonalRayLength, dw) +
                 rayAt(style, d, -s, s, kDiagonalRayLength, dw) +
                 rayAt(style, d, s, -s, kDiagonalRayLength, dw) +
                 rayAt(style, d, -s, -s, kDiagonalRayLength, dw);
  }
  Color colour = mix(kFlashEdge, kFlashMiddle, smoothstep(0.2, 0.6, intensity));
  colour = mix(colour, kFlashCore, smoothstep(0.7, 1.0, intensity));
  return {colour, clamp01(intensity * 1.5)};
}

struct Spark {
  Point centre;
  double radius = 0.0;  // fractions of the size
};

// Sparks thrown away from the planet, in the half turn around the outward direction.
std::vector<Spark> scatterSparks(const IconStyle& style) {
  Rng rng(15030);
  std::vector<Spark> sparks;
  const Point from = flashCentre(style.size);
  for (int i = 0; i < style.sparks; ++i) {
    const double angle = kImpactAngle + rng.uniform(-1.4, 1.4);
    const double reach = rng.uniform(0.10, 0.27);
    const double radius = std::max(0.7, rng.uniform(0.5, 1.0) * style.size / 64.0) / style.size;
    sparks.push_back(
        {{from.x + reach * std::cos(angle), from.y - reach * std::sin(angle)}, radius});
  }
  return sparks;
}

Layer sparksAt(const std::vector<Spark>& sparks, Point q) {
  double glow = 0.0;
  for (const Spark& spark : sparks) {
    glow = std::max(glow, 1.0 - smoothstep(0.5, 1.0, distance(q, spark.centre) / spark.radius));
  }
  return {mix(kFlashEdge, kFlashMiddle, glow), glow};
}

// Pixel (x, y) as the mean of a grid of samples: the opacity is the mean coverage, the colour the
// coverage-weighted mean, so that edges fade out without darkening.
Layer averagePixel(const IconStyle& style, const std::vector<Spark>& sparks, int x, int y) {
  const int n = style.samplesPerAxis;
  Color weighted;
  double coverage = 0.0;
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < n; ++i) {
      const Point q = {(x + (i + 0.5) / n) / style.size, (y + (j + 0.5) / n) / style.size};
      Layer layer = planetAt(style, q);
      layer = over(flashAt(style, q), layer);
      layer = over(sparksAt(sparks, q), layer);
      weighted = weighted + layer.colour * layer.opacity;
      coverage += layer.opacity;
    }
  }
  if (coverage <= 0.0) return {};
  return {weighted * (1.0 / coverage), coverage / (n * n)};
}

}  // namespace

TranslucentPicture paintIcon(int size) {
  if (size < 1) return {};
  IconStyle style = styleFor(size);
  style.size = size;
  const std::vector<Spark> sparks = scatterSparks(style);
  TranslucentPicture icon{Picture(size, size), std::vector<double>(size * size, 0.0)};
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const Layer pixel = averagePixel(style, sparks, x, y);
      const std::size_t index = static_cast<std::size_t>(y) * size + x;
      icon.colour.pixels[index] = pixel.colour;
      icon.opacity[index] = pixel.opacity;
    }
  }
  return icon;
}

}  // namespace assetgen
