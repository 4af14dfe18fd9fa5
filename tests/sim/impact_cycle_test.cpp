// The impact cycle driven frame by frame with a controlled frame time: when the impact, the
// break and the wrap happen, what each of them does, and which sounds they ask for.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/camera.h"
#include "app/frame_step.h"
#include "app/input.h"
#include "app/phase_bank.h"
#include "app/settings.h"
#include "fx/particles.h"
#include "scene_setup.h"
#include "sim/fragments.h"
#include "sim/impact.h"
#include "sim/numeric.h"
#include "sim/sound.h"

namespace {

struct Event {
  std::string sound;
  float clockAfter;  // impactClock after the frame that asked for the sound
  int frame;
};

class ImpactCycle : public ::testing::Test {
 protected:
  void SetUp() override {
    scenetest::prepareScene();
    resetScene();
    setupView();
    fadeLevel = 1.0f;
    sceneSettings.planetImage = 2;
  }

  // One frame of the impact scene, `dt` seconds after the last one.
  void frame(float dt) {
    frameDt = dt;
    now += dt;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const int before = soundRequestCount();
    drawImpactScene();
    if (soundRequestCount() != before) {
      events.push_back({lastSoundRequested(), impactClock, frameIndex});
    }
    ++frameIndex;
  }

  // Frames of `dt` until the clock wraps to the next cycle (at most `limit` frames).
  void runToWrap(float dt, int limit = 100000) {
    for (int i = 0; i < limit; ++i) {
      const float before = impactClock;
      frame(dt);
      if (impactClock < before - 1) return;
    }
    FAIL() << "no wrap";
  }

  std::vector<Event> events;
  int frameIndex = 0;
};

TEST_F(ImpactCycle, ImpactAndBreakHappenOnceEachPerCycleWithTheirSounds) {
  const float steps[] = {0.02f, 0.05f, 0.0333f};
  for (const float dt : steps) {
    events.clear();
    impactClock = -5.0f;
    runToWrap(dt);
    ASSERT_EQ(events.size(), 2u) << "dt " << dt;
    EXPECT_EQ(events[0].sound, "boom.wav");
    EXPECT_EQ(events[0].clockAfter, 1.1f);
    EXPECT_EQ(events[1].sound, "thunder.wav");
    EXPECT_EQ(events[1].clockAfter, 5.1f);
    EXPECT_EQ(impactClock, -5.0f);
  }
}

TEST_F(ImpactCycle, AFrameWithoutTimeRepeatsNeitherImpactNorBreak) {
  impactClock = 1.0f;
  frame(0.05f);
  ASSERT_EQ(events.size(), 1u);
  frame(0);
  frame(0);
  impactClock = 5.0f;
  frame(0.05f);
  ASSERT_EQ(events.size(), 2u);
  frame(0);
  frame(0);
  EXPECT_EQ(events.size(), 2u);
  EXPECT_EQ(impactClock, 5.1f);
}

TEST_F(ImpactCycle, TheImpactJoltsTheCameraAndSendsTheBurstOutward) {
  sceneSettings.objectSize = 1.5f;
  aimImpact(0);
  cameraJolt = Vec3f{};
  impactClock = 0.98f;
  frame(0.05f);
  EXPECT_EQ(cameraJolt.x, impactPoint.x);
  EXPECT_EQ(cameraJolt.y, impactPoint.y);
  EXPECT_EQ(cameraJolt.z, impactPoint.z);
  EXPECT_FLOAT_EQ(particleSystem.driftX[kFire], 0.8f * impactPoint.x);
  EXPECT_FLOAT_EQ(particleSystem.driftY[kSmoke], 0.6f * impactPoint.y);
  EXPECT_FLOAT_EQ(particleSystem.driftZ[kSpark], impactPoint.z);
  // 50 fire, 10 smoke and 100 sparks, all starting at the impact point.
  int live[kParticleKinds] = {};
  for (const Particle& p : particleSystem.particles) {
    if (!p.active) continue;
    ++live[p.kind];
    EXPECT_NEAR(p.position[0], impactPoint.x, 5e-3);  // one frame of flight at most
  }
  EXPECT_EQ(live[kFire], 50);
  EXPECT_EQ(live[kSmoke], 10);
  EXPECT_EQ(live[kSpark], 100);
}

TEST_F(ImpactCycle, AStepOverTheImpactWindowSkipsImpactButNotFlashOrGlow) {
  cameraJolt = Vec3f{};
  impactClock = 0.95f;
  frame(0.2f);  // 0.95 -> 1.15: never strictly inside (1, 1.1)
  EXPECT_TRUE(events.empty());
  EXPECT_FLOAT_EQ(impactClock, 1.15f);
  EXPECT_EQ(cameraJolt.x, 0);
  EXPECT_EQ(cameraJolt.z, 0);
}

TEST_F(ImpactCycle, AStepOverTheBreakWindowKeepsTheLastBreaksFragments) {
  planetFragments(0);
  const PlanetFragment before = fragments[5];
  impactClock = 4.95f;
  frame(0.2f);  // 4.95 -> 5.15
  EXPECT_TRUE(events.empty());
  EXPECT_FLOAT_EQ(impactClock, 5.15f);
  // Not reset: same velocity, and the frame carried it on from where it was.
  EXPECT_EQ(fragments[5].velocityX, before.velocityX);
  EXPECT_EQ(fragments[5].spinZ, before.spinZ);
  EXPECT_NE(fragments[5].positionX, 0);
}

TEST_F(ImpactCycle, TheBreakResetsTheFragments) {
  for (PlanetFragment& f : fragments) f.positionX = 1;
  impactClock = 5.0f;
  frame(0.02f);
  ASSERT_EQ(events.size(), 1u);
  // Reset, then advanced once: a small offset along the fresh velocity.
  for (const PlanetFragment& f : fragments) {
    EXPECT_NEAR(f.positionX, 0.02f * f.speed * f.velocityX, 1e-6);
  }
}

TEST_F(ImpactCycle, WrapsToTheNextImageDarkAndAfterNineToZero) {
  sceneSettings.planetImage = 4;
  impactClock = 8.98f;
  frame(0.05f);
  EXPECT_EQ(impactClock, -5.0f);
  EXPECT_EQ(sceneSettings.planetImage, 5);
  EXPECT_EQ(brightness, 0.0f);  // the new image starts dark

  sceneSettings.planetImage = 9;
  impactClock = 8.99f;
  frame(0.05f);
  EXPECT_EQ(sceneSettings.planetImage, 0);
}

TEST_F(ImpactCycle, OneWrapInFiveAimsAtTheViewOthersAtRandom) {
  cameraHeading = 33;
  cameraPitch = -12;
  int facing = 0;
  for (unsigned i = 1; i <= 200; ++i) {
    const unsigned seed = i * 2654435761u;  // spread out: small seeds all start low
    seedRandom(seed);
    const double r = randomUniform(1);
    const float pitch = static_cast<float>(randomUniform(360));
    const float heading = static_cast<float>(randomUniform(360));
    seedRandom(seed);
    impactClock = 8.99f;
    frame(0.05f);
    if (r < 0.2) {
      ++facing;
      EXPECT_EQ(impactHeading, -33.0f);
      EXPECT_EQ(impactPitch, 12.0f);
    } else {
      EXPECT_EQ(impactPitch, pitch);
      EXPECT_EQ(impactHeading, heading);
    }
  }
  EXPECT_GT(facing, 20);
  EXPECT_LT(facing, 60);
}

TEST_F(ImpactCycle, BrightnessRisesFromDarkAtMinusFiveToFullAtMinusThree) {
  const float clocks[] = {-5.0f, -4.5f, -4.0f, -3.5f, -3.0f, 0.0f};
  const float expected[] = {0.0f, 0.14644662f, 0.5f, 0.85355341f, 1.0f, 1.0f};
  for (int i = 0; i < 6; ++i) {
    impactClock = clocks[i];
    frame(0);
    EXPECT_NEAR(brightness, expected[i], 1e-6) << clocks[i];
  }
  fadeLevel = 0.5f;
  impactClock = 2;
  frame(0);
  EXPECT_FLOAT_EQ(brightness, 0.5f);
}

TEST_F(ImpactCycle, NoSoundIsAskedForWithTheImpactSoundOff) {
  sceneSettings.impactSoundOn = 0;
  const int before = soundRequestCount();
  impactClock = -5.0f;
  runToWrap(0.05f);
  EXPECT_EQ(soundRequestCount(), before);
  EXPECT_TRUE(events.empty());
}

TEST_F(ImpactCycle, AClickRestartsTheFlightAndStrikesWhenTheClockPassesOne) {
  impactClock = 6.0f;
  frame(0.02f);
  cameraHeading = 90;
  cameraPitch = 0;
  onMouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, 450, 350);
  EXPECT_EQ(impactClock, 0.5f);
  EXPECT_NEAR(impactPoint.x, -0.07, 1e-6) << "aimed at the point facing the view";
  int framesToImpact = 0;
  for (float clock = 0.5f; !(clock > 1.0f); clock += 0.02f) ++framesToImpact;
  for (int i = 0; i < 30; ++i) frame(0.02f);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].sound, "boom.wav");
  EXPECT_EQ(events[0].frame, framesToImpact);  // frame 0 was the one before the click
}

}  // namespace
