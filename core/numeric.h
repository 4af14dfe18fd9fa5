// Numeric helpers shared by the whole scene: the process-wide random generator,
// uniform draws, cosine easing, the three-axis vector rotation and bounded scaling.
#pragma once

// The program's own constants; the rest of the scene uses these, not the full-precision pi.
constexpr double kPi = 3.141592654;
constexpr double kTwoPi = 6.283185307;
constexpr double kDegreesPerRadian = 57.29578;

struct Vec3f {
  float x = 0, y = 0, z = 0;
};
struct Vec3d {
  double x = 0, y = 0, z = 0;
};

// The process-wide generator: seed = seed * 214013 + 2531011 (mod 2^32), output bits 16..30.
// Its seed is 1 at program start. Same recurrence on every platform, so runs reproduce.
void seedRandom(unsigned seed);
int nextRandom();  // 0..32767

// One generator value scaled to [0, range) (or (range, 0] for a negative range);
// 32768 distinct values, always consumes exactly one draw.
double randomUniform(double range);

// Cosine-eased blend from `from` (t = 0) to `to` (t = 1); t is not clamped: the weight
// (1 - cos(pi t)) / 2 is even and periodic with period 2.
float easeBlend(float from, float to, float t);

// Replaces (x, y, z) by Rx(a) * Ry(b) * Rz(c) * (x, y, z); angles in radians, right-handed.
void rotateVector(float a, float b, float c, float& x, float& y, float& z);

// value * factor (computed in double, stored as float), unless the product would leave the
// normal floats (reach zero, a subnormal, infinity or NaN): then value unchanged. For the speed
// and size factors that keys multiply without bound, so that no number of presses can stop the
// scene or blow it up.
float scaledWithinFloat(float value, double factor);
