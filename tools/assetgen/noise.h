// Seeded, hash-based randomness: a small generator for placing features and 3-D gradient noise
// with fractal sums for textures. Integer hashing only, so results never depend on a clock.
#pragma once

#include <cstdint>

namespace assetgen {

struct Vec3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(Vec3 v, double k) {
  return {v.x * k, v.y * k, v.z * k};
}
inline double dot(Vec3 a, Vec3 b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 cross(Vec3 a, Vec3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double length(Vec3 v);
Vec3 normalize(Vec3 v);  // (0, 1, 0) for a zero vector

// A 64-bit generator (SplitMix64): the same seed always gives the same sequence.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next();
  double uniform();                      // in [0, 1)
  double uniform(double lo, double hi);  // in [lo, hi)
  Vec3 onSphere();                       // uniform on the unit sphere

 private:
  std::uint64_t state_;
};

// Perlin-style gradient noise in 3-D, roughly in -1..1, zero at the lattice points.
double gradientNoise(Vec3 p, std::uint32_t seed);

// Fractal sum of `octaves` noise layers, each at twice the frequency and `gain` times the
// amplitude of the previous one; divided by the total amplitude, so roughly in -1..1.
double fbm(Vec3 p, std::uint32_t seed, int octaves, double gain = 0.5);

// Ridged fractal sum (1 - |noise|, squared): sharp crests, in 0..1.
double ridged(Vec3 p, std::uint32_t seed, int octaves, double gain = 0.5);

// A smooth vector field made of three independent fbm sums, for domain warping.
Vec3 fbmVector(Vec3 p, std::uint32_t seed, int octaves);

}  // namespace assetgen
