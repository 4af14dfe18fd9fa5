// Tests of the scene settings: defaults after a reset and what a reset leaves alone.
#include <gtest/gtest.h>

#include "app/camera.h"
#include "app/scene_fixture.h"
#include "app/settings.h"
#include "sim/impact.h"

namespace {

using SettingsReset = SceneTest;

TEST_F(SettingsReset, RestoresEveryDefault) {
  SceneSettings& s = sceneSettings;
  s.fieldOfView = 3;
  s.cameraZ = -4;
  s.tessellation = 4;
  s.planetImage = 8;
  s.rotateSpeed = s.movementSpeed = s.mainSpeed = s.homeEndSpeed = s.lightRotateSpeed = 7;
  s.objectSize = 0.2f;
  s.spotlightsOn = s.universeOn = s.clearEachFrame = s.impactSoundOn = 0;
  s.fpsClockOn = s.cameraMode = 1;
  s.polyMode = 2;
  s.letterbox = 5;
  paused = 1;
  readoutMode = 2;
  fadeLevel = 0.3f;
  cameraHeading = cameraPitch = 40;
  cameraOffset = Vec3d{1, 2, 3};
  resetScene();
  EXPECT_EQ(s.fieldOfView, 70);
  EXPECT_FLOAT_EQ(s.cameraZ, 0.35f);
  EXPECT_EQ(s.tessellation, 30);
  EXPECT_EQ(s.planetImage, 3);
  for (float factor : {s.rotateSpeed, s.movementSpeed, s.mainSpeed, s.homeEndSpeed,
                       s.lightRotateSpeed, s.objectSize}) {
    EXPECT_EQ(factor, 1.0f);
  }
  EXPECT_EQ(s.spotlightsOn, 1);
  EXPECT_EQ(s.universeOn, 1);
  EXPECT_EQ(s.clearEachFrame, 1);
  EXPECT_EQ(s.impactSoundOn, 1);
  EXPECT_EQ(s.fpsClockOn, 0);
  EXPECT_EQ(s.cameraMode, 0);
  EXPECT_EQ(s.polyMode, 0);
  EXPECT_EQ(s.letterbox, 0);
  EXPECT_EQ(paused, 0);
  EXPECT_EQ(readoutMode, 0);
  EXPECT_EQ(fadeLevel, 1.0f);
  EXPECT_EQ(cameraHeading, 0.0);
  EXPECT_EQ(cameraPitch, 0.0);
  EXPECT_EQ(cameraOffset.x, 0.0);
  EXPECT_EQ(cameraOffset.z, 0.0);
}

TEST_F(SettingsReset, LeavesWindowFlagsAloneAndRestartsTheCycle) {
  fullScreen = 0;
  helpShown = 1;
  letterboxStep = -3;
  cameraJolt = Vec3f{0.5f, 0, 0};
  impactClock = 4.0f;
  exitFadeStart = 12.5;
  resetScene();
  EXPECT_EQ(fullScreen, 0);
  EXPECT_EQ(helpShown, 1);
  EXPECT_EQ(letterboxStep, -3);
  EXPECT_EQ(cameraJolt.x, 0.5f);
  EXPECT_EQ(impactClock, -1.0f);  // every reset after the first brings the meteor at once
  EXPECT_EQ(exitFadeStart, 0.0);
  EXPECT_EQ(firstResetDone, 1);
  fullScreen = 1;
  helpShown = 0;
  letterboxStep = 0;
  cameraJolt = Vec3f{};
}

TEST_F(SettingsReset, ReseedsTheGeneratorFromTheToolkitClock) {
  elapsedMs = 123'456;
  resetScene();
  const double afterFirst = randomUniform(1);
  elapsedMs = 123'456;
  resetScene();
  EXPECT_EQ(randomUniform(1), afterFirst);
}

}  // namespace
