// The impact cycle as the running program sees it: initScene, then frames from the frame step
// on a controlled millisecond clock, from the start to the second planet image.
#include <gtest/gtest.h>

#include <string>

#include "app/frame_step.h"
#include "app/settings.h"
#include "app/startup.h"
#include "scene_setup.h"
#include "sim/impact.h"
#include "sim/sound.h"

namespace {

TEST(ImpactFromStart, FirstBoomAfterEightSecondsThunderAndNextImageFollow) {
  scenetest::prepareScene();  // initScene: the first reset keeps the clock at -7
  ASSERT_EQ(impactClock, -7.0f);
  ASSERT_EQ(sceneSettings.planetImage, 3);
  const int firstRequest = soundRequestCount();
  double boomAt = -1, thunderAt = -1, wrapAt = -1;
  int booms = 0, thunders = 0;
  for (elapsedMs = 20; elapsedMs <= 17000; elapsedMs += 20) {
    const int before = soundRequestCount();
    const float clockBefore = impactClock;
    frameStep();
    if (soundRequestCount() != before) {
      const std::string sound = lastSoundRequested();
      if (sound == "boom.wav" && booms++ == 0) boomAt = now;
      if (sound == "thunder.wav" && thunders++ == 0) thunderAt = now;
    }
    if (impactClock < clockBefore - 1 && wrapAt < 0) wrapAt = now;
  }
  // -7 + 8 s: the frame that carries the clock past 1 (float steps of 0.02 may land on 1).
  EXPECT_GE(boomAt, 8.0);
  EXPECT_LE(boomAt, 8.02 + 1e-9);
  // The impact sets the clock to 1.1, so the break comes 3.9 s later and the wrap 3.9 after.
  EXPECT_NEAR(thunderAt, boomAt + 3.9, 0.021);
  EXPECT_NEAR(wrapAt, thunderAt + 3.9, 0.021);
  EXPECT_EQ(booms, 1);
  EXPECT_EQ(thunders, 1);
  EXPECT_EQ(soundRequestCount(), firstRequest + 2);
  EXPECT_EQ(sceneSettings.planetImage, 4);
  EXPECT_EQ(testsupport::firstGlError(), 0u);
}

}  // namespace
