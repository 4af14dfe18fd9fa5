// Numeric helpers: the process-wide random generator and the small functions built on it.
// Their exact formulas fix the scene's timings and distributions.
#include "core/numeric.h"

#include <cfloat>
#include <cmath>
#include <cstdint>

namespace {
std::uint32_t randomSeed = 1;  // the generator's whole state
}

void seedRandom(unsigned seed) {
  randomSeed = seed;
}

int nextRandom() {
  randomSeed = randomSeed * 214013u + 2531011u;
  return static_cast<int>((randomSeed >> 16) & 0x7FFFu);
}

double randomUniform(double range) {
  return nextRandom() / 32768.0 * range;
}

float easeBlend(float from, float to, float t) {
  const float w = static_cast<float>((1.0 - std::cos(t * kPi)) * 0.5);
  return (1.0f - w) * from + w * to;
}

void rotateVector(float a, float b, float c, float& x, float& y, float& z) {
  const float sa = static_cast<float>(std::sin(static_cast<double>(a)));
  const float ca = static_cast<float>(std::cos(static_cast<double>(a)));
  const float sb = static_cast<float>(std::sin(static_cast<double>(b)));
  const float cb = static_cast<float>(std::cos(static_cast<double>(b)));
  const float sc = static_cast<float>(std::sin(static_cast<double>(c)));
  const float cc = static_cast<float>(std::cos(static_cast<double>(c)));
  // M = Rx(a) * Ry(b) * Rz(c), each entry rounded to single precision.
  const float m00 = cb * cc, m01 = -cb * sc, m02 = sb;
  const float m10 = ca * sc + sa * sb * cc, m11 = ca * cc - sa * sb * sc, m12 = -sa * cb;
  const float m20 = sa * sc - ca * sb * cc, m21 = sa * cc + ca * sb * sc, m22 = ca * cb;
  const float oldX = x, oldY = y, oldZ = z;
  x = m00 * oldX + m01 * oldY + m02 * oldZ;
  y = m10 * oldX + m11 * oldY + m12 * oldZ;
  z = m20 * oldX + m21 * oldY + m22 * oldZ;
}

float scaledWithinFloat(float value, double factor) {
  const double scaled = value * factor;
  // Checked in double: converting a value beyond the float range would be undefined.
  const double magnitude = std::fabs(scaled);
  if (!(magnitude >= FLT_MIN && magnitude <= FLT_MAX)) return value;  // NaN fails as well
  return static_cast<float>(scaled);
}
