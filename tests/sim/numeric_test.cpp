// Tests of the numeric helpers: the generator's exact sequence, uniform draws, the cosine
// ease, phase waves and the three-axis rotation.
#include <gtest/gtest.h>

#include <cmath>

#include "app/phase_bank.h"
#include "sim/numeric.h"

namespace {

TEST(RandomGenerator, FollowsTheFixedRecurrenceFromSeedOne) {
  seedRandom(1);
  EXPECT_EQ(nextRandom(), 41);
  EXPECT_EQ(nextRandom(), 18467);
  EXPECT_EQ(nextRandom(), 6334);
  seedRandom(1);
  EXPECT_DOUBLE_EQ(randomUniform(1), 41.0 / 32768.0);
}

TEST(RandomGenerator, SameSeedGivesSameSequence) {
  seedRandom(22);
  int first[50];
  for (int& value : first) value = nextRandom();
  seedRandom(22);
  for (int value : first) EXPECT_EQ(nextRandom(), value);
}

TEST(RandomUniform, StaysInsideItsRangeAndConsumesOneDrawEachCall) {
  seedRandom(7);
  double largest = 0;
  for (int i = 0; i < 100000; ++i) {
    const double value = randomUniform(360);
    ASSERT_GE(value, 0.0);
    ASSERT_LT(value, 360.0);
    largest = std::max(largest, value);
  }
  EXPECT_LE(largest, 359.989013671875);
  EXPECT_GT(largest, 359.9);

  seedRandom(5);
  EXPECT_EQ(randomUniform(0), 0.0);
  const int afterZero = nextRandom();
  seedRandom(5);
  nextRandom();
  EXPECT_EQ(nextRandom(), afterZero);

  seedRandom(3);
  const double negative = randomUniform(-2);
  EXPECT_LE(negative, 0.0);
  EXPECT_GT(negative, -2.0);
}

TEST(EaseBlend, HitsEndPointsAndIsEvenAndPeriodic) {
  EXPECT_EQ(easeBlend(0.25f, 0.75f, 0), 0.25f);
  EXPECT_EQ(easeBlend(0.25f, 0.75f, 1), 0.75f);
  EXPECT_NEAR(easeBlend(0, 1, 0.5f), 0.5f, 1e-6);
  EXPECT_NEAR(easeBlend(0, 1, -1), 1.0f, 1e-6);
  EXPECT_NEAR(easeBlend(0, 1, 2), 0.0f, 1e-6);
  for (float t = -3; t <= 3; t += 0.125f) {
    EXPECT_NEAR(easeBlend(0, 1, t), easeBlend(0, 1, -t), 1e-6) << t;
    EXPECT_NEAR(easeBlend(0, 1, t), easeBlend(0, 1, t + 2), 1e-5) << t;
  }
  EXPECT_NEAR(easeBlend(10, 20, 0.5f), 15.0f, 1e-5);
}

TEST(PhaseWave, StaysBetweenOffsetAndOffsetPlusAmplitude) {
  for (int i = 0; i < 1000; ++i) {
    phases[3] = i * 0.37;
    const double value = phaseWave(3, 2.5, 0.4, -0.2);
    ASSERT_GE(value, -0.2);
    ASSERT_LE(value, 0.2);
    EXPECT_EQ(phaseWave(3, 2.5, 0, 0.7), 0.7);
  }
  phases[3] = kPi / 2;  // sin(1 * pi / 2) = 1: the top of the range
  EXPECT_NEAR(phaseWave(3, 1, 2, 1), 3.0, 1e-9);
}

// The rotation written out as the product of the three right-handed matrices.
void rotateByMatrices(double a, double b, double c, double v[3]) {
  const double rz[3][3] = {{cos(c), -sin(c), 0}, {sin(c), cos(c), 0}, {0, 0, 1}};
  const double ry[3][3] = {{cos(b), 0, sin(b)}, {0, 1, 0}, {-sin(b), 0, cos(b)}};
  const double rx[3][3] = {{1, 0, 0}, {0, cos(a), -sin(a)}, {0, sin(a), cos(a)}};
  for (const auto* m : {&rz, &ry, &rx}) {
    double out[3];
    for (int r = 0; r < 3; ++r) out[r] = (*m)[r][0] * v[0] + (*m)[r][1] * v[1] + (*m)[r][2] * v[2];
    for (int r = 0; r < 3; ++r) v[r] = out[r];
  }
}

TEST(RotateVector, MatchesTheProductOfAxisRotations) {
  seedRandom(11);
  for (int i = 0; i < 200; ++i) {
    const float a = randomUniform(7) - 3.5, b = randomUniform(7) - 3.5, c = randomUniform(7) - 3.5;
    float x = randomUniform(2) - 1, y = randomUniform(2) - 1, z = randomUniform(2) - 1;
    double expected[3] = {x, y, z};
    rotateByMatrices(a, b, c, expected);
    rotateVector(a, b, c, x, y, z);
    EXPECT_NEAR(x, expected[0], 1e-5);
    EXPECT_NEAR(y, expected[1], 1e-5);
    EXPECT_NEAR(z, expected[2], 1e-5);
  }
}

TEST(RotateVector, SimpleCases) {
  float x = 0.3f, y = -0.2f, z = 0.9f;
  rotateVector(0, 0, 0, x, y, z);
  EXPECT_EQ(x, 0.3f);
  EXPECT_EQ(y, -0.2f);
  EXPECT_EQ(z, 0.9f);

  x = 0, y = 0, z = 1;
  rotateVector(0, 0.5f, 0, x, y, z);
  EXPECT_NEAR(x, std::sin(0.5), 1e-6);
  EXPECT_NEAR(y, 0, 1e-6);
  EXPECT_NEAR(z, std::cos(0.5), 1e-6);

  x = 0, y = 0, z = 1;
  rotateVector(0.5f, 0, 0, x, y, z);
  EXPECT_NEAR(x, 0, 1e-6);
  EXPECT_NEAR(y, -std::sin(0.5), 1e-6);
  EXPECT_NEAR(z, std::cos(0.5), 1e-6);
}

}  // namespace
