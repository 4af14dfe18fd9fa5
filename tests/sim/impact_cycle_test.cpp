// The impact cycle as the program runs it, frame by frame on a synthetic clock: when the meteor
// strikes, the planet breaks and the next one comes, the sounds they ask for, the burst, the
// planet's light, the glow, and the GL state every drawing step leaves behind.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "app/camera.h"
#include "app/frame_step.h"
#include "core/frame_clock.h"
#include "core/gl_state.h"
#include "core/settings.h"
#include "fx/particles.h"
#include "sim/impact.h"
#include "support/scene_driver.h"

namespace {

using testsupport::frameAfter;
using testsupport::pressKey;
using testsupport::soundLog;

class ImpactCycle : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::startScene(320, 240);
    testsupport::frameAt(20'000);
    pressKey('r');
    testsupport::clearSoundLog();
  }
};

// From the program's start: the first meteor strikes 8 s in (the frame that carries the clock
// past 1), the planet breaks 3.9 s later, the next planet (Mars) comes 3.9 s after that, and its
// meteor 6 s later.
TEST(ImpactFromStart, FirstBoomAtEightSecondsThenThunderThenTheNextPlanet) {
  testsupport::startScene(320, 240);
  double wrapAt = 0;
  while (testsupport::toolkitMs() < 22'000) {
    frameAfter(16);
    if (wrapAt == 0 && sceneSettings.planetImage == 4) wrapAt = now;
  }
  ASSERT_EQ(soundLog().size(), 3u);
  EXPECT_EQ(soundLog()[0].name + soundLog()[1].name + soundLog()[2].name,
            "boom.wavthunder.wavboom.wav");
  EXPECT_NEAR(soundLog()[0].atSeconds, 8.008, 0.0081);
  EXPECT_NEAR(soundLog()[1].atSeconds - soundLog()[0].atSeconds, 3.9, 0.017);
  EXPECT_NEAR(wrapAt - soundLog()[1].atSeconds, 3.9, 0.017);
  EXPECT_NEAR(soundLog()[2].atSeconds - wrapAt, 6.0, 0.017);
}

// At any frame rate (a stalled frame advances the scene 0.05 s, a repeated one nothing) a click
// brings one boom 0.5 s of scene time later and one thunder 3.9 s after it; sound off, neither.
TEST_F(ImpactCycle, OneBoomAndOneThunderPerCycleAtAnyFrameRate) {
  const struct {
    int frameMs;
    char key;
    int sounds;
  } rates[] = {{33, 0, 2}, {50, 0, 2}, {250, 0, 2}, {100, 'o', 0}};
  for (const auto& rate : rates) {
    SetUp();
    if (rate.key != 0) pressKey(rate.key);
    testsupport::click();
    std::vector<double> heardAt;  // scene seconds since the click
    double scene = 0;
    for (int frame = 0; sceneSettings.planetImage == 3 && frame < 2000; ++frame) {
      frameAfter(rate.frameMs);
      scene += frameDt;
      frameAfter(0);  // a second redraw in the same millisecond strikes and breaks nothing again
      if (soundLog().size() > heardAt.size()) heardAt.push_back(scene);
    }
    ASSERT_EQ(heardAt.size(), static_cast<size_t>(rate.sounds)) << rate.frameMs << " ms";
    if (rate.sounds == 0) continue;
    const double dt = rate.frameMs > 100 ? 0.05 : rate.frameMs * 0.001;
    EXPECT_EQ(soundLog()[0].name + soundLog()[1].name, "boom.wavthunder.wav");
    EXPECT_NEAR(heardAt[0], 0.5, dt + 1e-4) << rate.frameMs << " ms";
    EXPECT_NEAR(heardAt[1] - heardAt[0], 3.9, dt + 1e-4) << rate.frameMs << " ms";
    EXPECT_NEAR(scene - heardAt[1], 3.9, dt + 1e-4) << rate.frameMs << " ms";
  }
}

// The strike: 50 fire, 10 smoke and 100 spark particles from the impact point, and a kick of the
// camera towards it.
TEST_F(ImpactCycle, TheStrikeThrowsItsBurstAndKicksTheCamera) {
  testsupport::click();
  ASSERT_TRUE(testsupport::runUntilImpactClock(1.0f));
  int live[kParticleKinds] = {};
  for (const Particle& p : particleSystem.particles) live[p.kind] += p.active;
  EXPECT_EQ(live[kFire], 50);
  EXPECT_EQ(live[kSmoke], 10);
  EXPECT_EQ(live[kSpark], 100);
  EXPECT_NEAR(cameraJolt.x + cameraJolt.z, impactPoint.x + impactPoint.z, 0.01);
  EXPECT_GT(std::abs(impactPoint.x) + std::abs(impactPoint.z), 0.01);
}

// The planet's light after the wrap rises from dark at clock -5 to full at -3, eased; the wrap
// brings the next image, after the last the first.
TEST_F(ImpactCycle, TheNextPlanetFadesInFromDark) {
  const float light[][2] = {{-5, 0},          {-4.5f, 0.1464f}, {-4, 0.5f},
                            {-3.5f, 0.8536f}, {-3, 1},          {0, 1}};
  for (const auto& l : light) {
    impactClock = l[0];
    frameAfter(0);
    EXPECT_NEAR(brightness, l[1], 1e-4) << "clock " << l[0];
  }
  pressKey('9');
  impactClock = 8.99f;
  frameAfter(16);
  EXPECT_EQ(sceneSettings.planetImage, 0);
  EXPECT_EQ(impactClock, -5.0f);
}

// Orange pixels of the planet's disc (35 pixels in radius about the middle of the 320 x 240
// window), within 17 pixels of the middle and beyond.
std::pair<int, int> orangeNearAndFar() {
  const testsupport::Frame frame = testsupport::readFrame();
  int near = 0, far = 0;
  for (int y = 80; y < 160; ++y) {
    for (int x = 120; x < 200; ++x) {
      const testsupport::Rgb p = frame.at(x, y);
      const double d = std::hypot(x - 160, y - 120);
      if (p.r > p.b + 60 && d < 35) ++(d < 17 ? near : far);
    }
  }
  return {near, far};
}

// The glow spreads from the point of impact as an orange ring: a click aims at the point facing
// the viewer (here in the manual camera, turned by 30 and 20 degrees), where the middle of the
// blue planet turns orange at clock 1.5, and a ring further out at 2.05.
TEST_F(ImpactCycle, TheGlowSpreadsFromThePointOfImpactAsARing) {
  testsupport::pressKeys("uv7s");  // no stars, manual camera, Neptune, unlit
  cameraHeading = 30;
  cameraPitch = 20;
  testsupport::runFrames(5);
  const auto before = orangeNearAndFar();
  EXPECT_EQ(before.first + before.second, 0);
  testsupport::click();
  testsupport::runUntilImpactClock(1.5f);
  const auto spreading = orangeNearAndFar();
  testsupport::runUntilImpactClock(2.05f);
  const auto ring = orangeNearAndFar();
  EXPECT_GT(spreading.first, 200);
  EXPECT_LT(spreading.second, 15);
  EXPECT_LT(ring.first, 15);
  EXPECT_GT(ring.second, 200);
}

// Every drawing step of the cycle leaves the scene's baseline: nothing enabled, blend function
// (source alpha, one minus source alpha), alpha test GREATER 0, depth writes on, model-view
// current, one matrix on each stack, no attribute pushed.
TEST_F(ImpactCycle, EveryDrawingStepLeavesTheBaselineState) {
  GlStateSnapshot baseline{};  // no capability enabled
  baseline.blendSrc = GL_SRC_ALPHA;
  baseline.blendDst = GL_ONE_MINUS_SRC_ALPHA;
  baseline.alphaFunc = GL_GREATER;
  baseline.depthMask = true;
  baseline.matrixMode = GL_MODELVIEW;
  baseline.modelviewDepth = baseline.projectionDepth = 1;
  const float clocks[] = {-0.5f, 0.99f, 1.05f, 1.5f, 3.5f, 5.05f, 7.0f, 8.99f};
  for (const char* keys : {"2", "1", "3", "s3"}) {
    pressKey('r');
    testsupport::pressKeys(keys);
    for (const float clock : clocks) {
      setupView();
      updateCamera();
      impactClock = clock;
      frameDt = 0.02f;
      drawImpactScene();
      const GlStateSnapshot state = captureGlState();
      EXPECT_EQ(state, baseline) << "keys " << keys << ", clock " << clock << ": "
                                 << describeGlStateDifference(baseline, state);
      EXPECT_EQ(testsupport::firstGlError(), 0u) << "keys " << keys << ", clock " << clock;
    }
  }
}

}  // namespace
