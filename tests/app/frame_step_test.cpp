// The frame step as the program runs it: the frame clock and its stall clamp, the fades and the
// exit, the view each frame sets up, the clear and hyperspace, the camera and the pause.
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/camera.h"
#include "app/frame_step.h"
#include "app/input.h"
#include "core/frame_clock.h"
#include "core/phase_bank.h"
#include "sim/impact.h"
#include "support/scene_driver.h"

namespace {

using testsupport::frameAfter;
using testsupport::frameAt;
using testsupport::pressKey;

class FrameStep : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::startScene();
    frameAt(20'000);  // past the intro
  }
};

// A gap over 100 ms or backwards is a stall: the scene advances 0.05 s, the uptime real time.
TEST_F(FrameStep, StallsAdvanceTheSceneByOneTwentiethOfASecond) {
  // The gap in ms; the scene's step and the uptime's in seconds.
  const double gaps[][3] = {{16, 0.016, 0.016}, {100, 0.1, 0.1}, {101, 0.05, 0.101},
                            {500, 0.05, 0.5},   {0, 0, 0},       {-20, 0.05, 0.05},
                            {17, 0.017, 0.017}};
  pressKey('r');
  for (const auto& [gapMs, sceneSeconds, uptimeSeconds] : gaps) {
    const float clock = impactClock;
    const double before = now;
    frameAfter(static_cast<int>(gapMs));
    EXPECT_NEAR(impactClock - clock, sceneSeconds, 1e-6) << "gap " << gapMs;
    EXPECT_NEAR(now - before, uptimeSeconds, 1e-9) << "gap " << gapMs;
  }
}

// The picture fades in over three seconds (full at the first frame after, however late), out over
// two after ESC, then the program ends with status 0; a reset cancels the exit.
TEST(FrameStepFromStart, FadesInOverThreeSecondsAndOutOverTwoThenEndsWithStatusZero) {
  testsupport::startScene();
  for (const float fade : {0.25f, 0.5f, 0.75f}) {
    while (testsupport::toolkitMs() < fade * 3000) frameAfter(50);
    EXPECT_NEAR(fadeLevel, fade, 1e-6) << "at " << testsupport::toolkitMs() << " ms";
  }
  EXPECT_EQ(framesPerSecond, 20);
  frameAt(3300);  // no frame near the end of the fade (a hidden window, a slow first second)
  EXPECT_EQ(fadeLevel, 1.0f);
  pressKey(27);
  frameAt(4300);
  EXPECT_NEAR(fadeLevel, 0.5f, 1e-6);
  frameAt(5200);
  EXPECT_NEAR(fadeLevel, 0.05f, 1e-6);
  pressKey('r');
  frameAt(5400);
  EXPECT_EQ(fadeLevel, 1.0f);
  pressKey(27);
  EXPECT_EXIT(
      {
        for (int ms = 5450; ms < 7800; ms += 50) frameAt(ms);
      },
      ::testing::ExitedWithCode(0), "");
}

// A frame's letterbox viewport and view, field of view (1 to 179 degrees), polygon mode and clear.
TEST_F(FrameStep, TheViewFollowsLetterboxFieldOfViewAndPolygonModeAndHyperspaceKeepsThePicture) {
  // clang-format off
  const struct { std::string keys; int bottom, height; double fovy; int polygonMode; } views[] = {
      {"", 0, 480, 70, GL_FILL}, {"lll", 72, 336, 55.5, GL_FILL}, {"llllll", 144, 192, 41, GL_FILL},
      {",,,", 0, 480, 73, GL_FILL}, {"w", 0, 480, 70, GL_LINE}, {"ww", 0, 480, 70, GL_POINT},
      // the narrowest letterboxed view stops at 1 degree (not 0 or less: upside down)
      {"llllll" + std::string(39, '.'), 144, 192, 2, GL_FILL},
      {"llllll" + std::string(69, '.'), 144, 192, 1, GL_FILL}};
  // clang-format on
  for (const auto& v : views) {
    SCOPED_TRACE(v.keys);
    pressKey('r');
    testsupport::pressKeys(v.keys.c_str());
    setupView();
    GLint viewport[4], mode[2];
    GLfloat projection[16];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_POLYGON_MODE, mode);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    const double fovy = 2 * std::atan(1 / projection[5]) * 180 / M_PI;
    EXPECT_EQ(std::vector<int>(viewport, viewport + 4),
              (std::vector<int>{0, v.bottom, 640, v.height}));
    EXPECT_NEAR(fovy, v.fovy, 1e-3);
    EXPECT_NEAR(projection[5] / projection[0], 640.0 / v.height, 1e-4);
    EXPECT_EQ(mode[0], v.polygonMode);
  }
  // Hyperspace (space) keeps the picture (here red) from frame to frame; 'l' clears it once.
  pressKey('r');
  pressKey('u');
  const int steps[][2] = {{0, 0}, {' ', 255}, {0, 255}, {'l', 0}, {0, 255}, {' ', 0}};  // key, red
  for (const auto& [key, red] : steps) {
    frameAfter(16);
    glClearColor(1, 0, 0, 1), glClear(GL_COLOR_BUFFER_BIT), glClearColor(0, 0, 0, 1);
    if (key != 0) pressKey(static_cast<unsigned char>(key));
    frameAfter(16);
    EXPECT_EQ(testsupport::readFrame().at(2, 2).r, red) << "after '" << key << "'";
  }
}

// The manual camera turns 0.1 degree per pixel of offset a frame, paused or not; pause holds the
// auto camera and its phases (1 to 9).
TEST_F(FrameStep, ManualCameraTurnsWithThePointerAndPauseFreezesTheAutoCamera) {
  pressKey('v');
  const double heading = cameraHeading, pitch = cameraPitch;
  onMouseMotion(kPointerHomeX + 10, kPointerHomeY - 20);
  pressKey('p');
  testsupport::runFrames(3);
  EXPECT_NEAR(cameraHeading, heading + 3.0, 1e-9);
  EXPECT_NEAR(cameraPitch, pitch - 6.0, 1e-9);

  pressKey('v');
  frameAfter(16);
  const double frozen[] = {cameraHeading, cameraPitch, cameraOffset.x, phases[1], phases[9]};
  const double moving[] = {phases[0], phases[10], phases[59]};
  testsupport::runFrames(10);
  const double after[] = {cameraHeading, cameraPitch, cameraOffset.x, phases[1], phases[9]};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(after[i], frozen[i]) << "value " << i;
  EXPECT_TRUE(phases[0] != moving[0] && phases[10] != moving[1] && phases[59] != moving[2]);
}

}  // namespace
