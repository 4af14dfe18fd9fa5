// Gradient noise on an integer lattice, with gradients picked by hashing the lattice point and
// the seed, and the fractal sums built on it. Octaves are offset so their lattices never align.
#include "noise.h"

#include <cmath>

namespace assetgen {

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kLacunarity = 2.0;

// The twelve cube-edge directions plus four repeats, as in improved Perlin noise.
constexpr double kGradients[16][3] = {
    {1, 1, 0}, {-1, 1, 0}, {1, -1, 0}, {-1, -1, 0}, {1, 0, 1}, {-1, 0, 1}, {1, 0, -1}, {-1, 0, -1},
    {0, 1, 1}, {0, -1, 1}, {0, 1, -1}, {0, -1, -1}, {1, 1, 0}, {0, -1, 1}, {-1, 1, 0}, {0, -1, -1}};

std::uint32_t mix32(std::uint32_t h) {
  h ^= h >> 16;
  h *= 0x85EBCA6Bu;
  h ^= h >> 13;
  h *= 0xC2B2AE35u;
  h ^= h >> 16;
  return h;
}

// One multiply per axis and one avalanche: cheap enough for millions of lookups per map.
std::uint32_t hashLattice(std::int32_t x, std::int32_t y, std::int32_t z, std::uint32_t seed) {
  return mix32(static_cast<std::uint32_t>(x) * 0x8DA6B343u +
               static_cast<std::uint32_t>(y) * 0xD8163841u +
               static_cast<std::uint32_t>(z) * 0xCB1AB31Fu + seed * 0x165667B1u);
}

double corner(std::int32_t x, std::int32_t y, std::int32_t z, std::uint32_t seed, double dx,
              double dy, double dz) {
  const double* g = kGradients[hashLattice(x, y, z, seed) & 15u];
  return g[0] * dx + g[1] * dy + g[2] * dz;
}

// Floor without a library call; noise coordinates stay far inside the int range.
std::int32_t floorToInt(double v) {
  const auto truncated = static_cast<std::int32_t>(v);
  return v < truncated ? truncated - 1 : truncated;
}

double fade(double t) {
  return t * t * t * (t * (t * 6.0 - 15.0) + 10.0);
}

double lerp(double a, double b, double t) {
  return a + (b - a) * t;
}

// A fixed, irrational-looking shift per octave keeps lattice points of octaves apart.
Vec3 octaveShift(int octave) {
  return {octave * 17.31, octave * -9.77, octave * 5.43};
}

}  // namespace

double length(Vec3 v) {
  return std::sqrt(dot(v, v));
}
Vec3 normalize(Vec3 v) {
  const double len = length(v);
  if (len <= 0.0) return {0.0, 1.0, 0.0};
  return v * (1.0 / len);
}

std::uint64_t Rng::next() {
  state_ += 0x9E3779B97F4A7C15ull;
  std::uint64_t z = state_;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

double Rng::uniform() {
  return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0);
}

double Rng::uniform(double lo, double hi) {
  return lo + (hi - lo) * uniform();
}

Vec3 Rng::onSphere() {
  const double y = uniform(-1.0, 1.0);
  const double angle = uniform(0.0, kTwoPi);
  const double ring = std::sqrt(1.0 - y * y);
  return {ring * std::sin(angle), y, ring * std::cos(angle)};
}

double gradientNoise(Vec3 p, std::uint32_t seed) {
  const std::int32_t x = floorToInt(p.x);
  const std::int32_t y = floorToInt(p.y);
  const std::int32_t z = floorToInt(p.z);
  const double dx = p.x - x;
  const double dy = p.y - y;
  const double dz = p.z - z;
  const double u = fade(dx);
  const double v = fade(dy);
  const double w = fade(dz);

  const double x00 =
      lerp(corner(x, y, z, seed, dx, dy, dz), corner(x + 1, y, z, seed, dx - 1, dy, dz), u);
  const double x10 = lerp(corner(x, y + 1, z, seed, dx, dy - 1, dz),
                          corner(x + 1, y + 1, z, seed, dx - 1, dy - 1, dz), u);
  const double x01 = lerp(corner(x, y, z + 1, seed, dx, dy, dz - 1),
                          corner(x + 1, y, z + 1, seed, dx - 1, dy, dz - 1), u);
  const double x11 = lerp(corner(x, y + 1, z + 1, seed, dx, dy - 1, dz - 1),
                          corner(x + 1, y + 1, z + 1, seed, dx - 1, dy - 1, dz - 1), u);
  return lerp(lerp(x00, x10, v), lerp(x01, x11, v), w);
}

double fbm(Vec3 p, std::uint32_t seed, int octaves, double gain) {
  double sum = 0.0;
  double amplitude = 1.0;
  double total = 0.0;
  for (int octave = 0; octave < octaves; ++octave) {
    sum += amplitude *
           gradientNoise(p + octaveShift(octave), seed + static_cast<std::uint32_t>(octave));
    total += amplitude;
    amplitude *= gain;
    p = p * kLacunarity;
  }
  return sum / total;
}

double ridged(Vec3 p, std::uint32_t seed, int octaves, double gain) {
  double sum = 0.0;
  double amplitude = 1.0;
  double total = 0.0;
  for (int octave = 0; octave < octaves; ++octave) {
    const double crest = 1.0 - std::fabs(gradientNoise(p + octaveShift(octave),
                                                       seed + static_cast<std::uint32_t>(octave)));
    sum += amplitude * crest * crest;
    total += amplitude;
    amplitude *= gain;
    p = p * kLacunarity;
  }
  return sum / total;
}

Vec3 fbmVector(Vec3 p, std::uint32_t seed, int octaves) {
  return {fbm(p, seed, octaves), fbm(p, seed + 101u, octaves), fbm(p, seed + 202u, octaves)};
}

}  // namespace assetgen
