// The shattered planet's fragments: what a reset draws from the generator and in which order,
// the rectangles they cover, their shared speed, their flight and their fade.
#include <gtest/gtest.h>

#include "app/frame_step.h"
#include "app/phase_bank.h"
#include "app/settings.h"
#include "scene_setup.h"
#include "sim/fragments.h"
#include "sim/impact.h"
#include "sim/numeric.h"

namespace {

class Fragments : public ::testing::Test {
 protected:
  void SetUp() override {
    scenetest::prepareScene();
    resetScene();
    fadeLevel = 1.0f;
  }
};

TEST_F(Fragments, ResetDrawsVelocityXYZThenSpinZFragmentAfterFragment) {
  seedRandom(4711);
  planetFragments(0);
  seedRandom(4711);
  for (const PlanetFragment& f : fragments) {
    const float vx = static_cast<float>(randomUniform(0.2) - 0.1);
    const float vy = static_cast<float>(randomUniform(0.2) - 0.1);
    const float vz = static_cast<float>(randomUniform(0.2) - 0.1);
    const float spin = static_cast<float>(randomUniform(100) - 50);
    ASSERT_EQ(f.velocityX, vx);
    ASSERT_EQ(f.velocityY, vy);
    ASSERT_EQ(f.velocityZ, vz);
    ASSERT_EQ(f.spinZ, spin);
  }
  // Exactly four draws per fragment: the generator is where a fresh replay leaves it.
  const int next = nextRandom();
  seedRandom(4711);
  for (int i = 0; i < 4 * kFragmentCount; ++i) nextRandom();
  EXPECT_EQ(next, nextRandom());
}

TEST_F(Fragments, ResetStartsEveryFragmentAtTheCentreUnturned) {
  fragments[17].positionX = 3;
  fragments[17].angleX = 40;
  fragments[17].spinY = 2;
  planetFragments(0);
  for (const PlanetFragment& f : fragments) {
    EXPECT_EQ(f.positionX, 0);
    EXPECT_EQ(f.positionY, 0);
    EXPECT_EQ(f.positionZ, 0);
    EXPECT_EQ(f.angleX, 0);
    EXPECT_EQ(f.angleY, 0);
    EXPECT_EQ(f.angleZ, 0);
    EXPECT_EQ(f.spinX, 0);
    EXPECT_EQ(f.spinY, 0);
    EXPECT_GE(f.spinZ, -50);
    EXPECT_LT(f.spinZ, 50);
    EXPECT_GE(f.velocityX, -0.1f);
    EXPECT_LT(f.velocityX, 0.1f);
  }
}

TEST_F(Fragments, RectanglesStepByFractionsAndScaleWithTheTessellationOfTheReset) {
  sceneSettings.tessellation = 30;
  planetFragments(0);
  // Fragment 37: column 17 of 20, row 3 of 20.
  EXPECT_FLOAT_EQ(fragments[37].uStart, 0.85f);
  EXPECT_FLOAT_EQ(fragments[37].vStart, 0.3f);
  EXPECT_FLOAT_EQ(fragments[37].uEnd, 0.85f + 30 / 400.0f);
  EXPECT_FLOAT_EQ(fragments[37].vEnd, 0.3f + 30 / 200.0f);
  // Each band of 10 covers one half of the longitudes, and v runs from 0 to 1.9.
  EXPECT_FLOAT_EQ(fragments[9].uStart, 0.45f);
  EXPECT_FLOAT_EQ(fragments[10].uStart, 0.5f);
  EXPECT_FLOAT_EQ(fragments[10].vStart, 0.1f);
  EXPECT_FLOAT_EQ(fragments[199].uStart, 0.95f);
  EXPECT_FLOAT_EQ(fragments[199].vStart, 1.9f);

  // Changing the tessellation leaves the rectangles until the next reset.
  sceneSettings.tessellation = 3;
  EXPECT_FLOAT_EQ(fragments[37].uEnd, 0.85f + 30 / 400.0f);
  planetFragments(0);
  EXPECT_FLOAT_EQ(fragments[37].uEnd, 0.85f + 3 / 400.0f);
  EXPECT_FLOAT_EQ(fragments[37].vEnd, 0.3f + 3 / 200.0f);
}

TEST_F(Fragments, AllShareOneSpeedFromTheFragmentPhase) {
  const double slotValues[] = {0.0, 0.01, 1.234, -7.5, 300.0};
  for (const double value : slotValues) {
    phases[19] = value;
    planetFragments(0);
    const float speed = fragments[0].speed;
    EXPECT_GE(speed, 0.1f);
    EXPECT_LE(speed, 2.0f);
    for (const PlanetFragment& f : fragments) EXPECT_EQ(f.speed, speed);
  }
  phases[19] = 0;  // sin 0: the middle of the range
  planetFragments(0);
  EXPECT_FLOAT_EQ(fragments[123].speed, 1.05f);
}

TEST_F(Fragments, FlyAndTurnByFrameTimeSpeedAndObjectSize) {
  phases[19] = 0;
  planetFragments(0);
  const PlanetFragment start = fragments[42];
  sceneSettings.objectSize = 2.0f;
  impactClock = 5.5f;
  frameDt = 0.1f;
  planetFragments(1);
  planetFragments(1);
  const float k = 2 * 0.1f * 1.05f * 2.0f;  // two frames
  EXPECT_NEAR(fragments[42].positionX, k * start.velocityX, 1e-6);
  EXPECT_NEAR(fragments[42].positionY, k * start.velocityY, 1e-6);
  EXPECT_NEAR(fragments[42].positionZ, k * start.velocityZ, 1e-6);
  EXPECT_NEAR(fragments[42].angleZ, k * start.spinZ, 1e-4);
  EXPECT_EQ(fragments[42].angleX, 0);
  EXPECT_EQ(fragments[42].angleY, 0);
  EXPECT_EQ(testsupport::firstGlError(), 0u);
}

// The fragments' brightness shows in the specular colour the shattered planet sets.
float fragmentSpecularAt(float clock) {
  impactClock = clock;
  frameDt = 0;
  planetFragments(1);
  GLfloat specular[4] = {-1, -1, -1, -1};
  glGetMaterialfv(GL_FRONT, GL_SPECULAR, specular);
  return specular[0];
}

TEST_F(Fragments, HoldFullBrightnessFor1_32SecondsThenFadeOutBy8_987) {
  planetFragments(0);
  EXPECT_FLOAT_EQ(fragmentSpecularAt(5.1f), 1.0f);
  EXPECT_FLOAT_EQ(fragmentSpecularAt(6.3f), 1.0f);
  float previous = 1.0f;
  for (float clock = 6.4f; clock < 8.98f; clock += 0.2f) {
    const float level = fragmentSpecularAt(clock);
    EXPECT_LT(level, previous) << clock;
    previous = level;
  }
  EXPECT_NEAR(fragmentSpecularAt(8.987f), 0.0f, 1e-4);
  EXPECT_NEAR(fragmentSpecularAt(7.65f), 0.5f, 0.01);  // half way down the cosine
  fadeLevel = 0.5f;
  EXPECT_FLOAT_EQ(fragmentSpecularAt(5.5f), 0.5f);  // the global fade goes through
}

}  // namespace
