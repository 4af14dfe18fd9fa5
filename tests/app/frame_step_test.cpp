// Tests of the frame step: the clock and its stall clamp, long uptimes and the counter's
// wrap, the frames-per-second counter, the fades and the exit, the view and the clear.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "app/input.h"
#include "app/scene_fixture.h"
#include "app/settings.h"
#include "sim/impact.h"

namespace {

constexpr int kOneDayMs = 86'400'000;

int addMs(int toolkitMs, int step) {  // the toolkit's 32-bit count, wrapping as it does
  return static_cast<int>(static_cast<std::uint32_t>(toolkitMs) + static_cast<std::uint32_t>(step));
}

using FrameClock = SceneTest;

TEST_F(FrameClock, ClampsStallsButKeepsRealTime) {
  advanceFrameClock(60);
  EXPECT_FLOAT_EQ(frameDt, 0.06f);  // the first step is `now` itself...
  resetFrameClock();
  advanceFrameClock(180);
  EXPECT_FLOAT_EQ(frameDt, 0.05f);  // ...clamped like any other
  advanceFrameClock(1000);
  advanceFrameClock(1250);
  EXPECT_FLOAT_EQ(frameDt, 0.05f);
  EXPECT_DOUBLE_EQ(now, 1.25);
  advanceFrameClock(1350);
  EXPECT_FLOAT_EQ(frameDt, 0.1f);
  advanceFrameClock(1350);
  EXPECT_EQ(frameDt, 0.0f);
  EXPECT_DOUBLE_EQ(previousNow, 1.35);
}

TEST_F(FrameClock, StepsStayExactToTheMillisecondAfterADay) {
  advanceFrameClock(kOneDayMs);
  for (int frame = 1; frame <= 100; ++frame) {
    advanceFrameClock(kOneDayMs + frame * 16 + frame % 3);
    ASSERT_EQ(frameDt, static_cast<float>((16 + frame % 3 - (frame - 1) % 3) * 0.001));
    ASSERT_NEAR(now - previousNow, frameDt, 1e-9);
  }
}

TEST_F(FrameClock, CrossesTheCounterWrapWithoutAJump) {
  int toolkitMs = 2'147'483'647 - 40;  // just below 2^31 ms, 24.8 days
  advanceFrameClock(toolkitMs);
  const double before = now;
  for (int frame = 0; frame < 10; ++frame) {
    toolkitMs = addMs(toolkitMs, 17);
    advanceFrameClock(toolkitMs);
    ASSERT_FLOAT_EQ(frameDt, 0.017f);
  }
  EXPECT_LT(toolkitMs, 0);  // the toolkit's count has wrapped to negative values
  EXPECT_NEAR(now - before, 0.170, 1e-9);
}

TEST_F(FrameClock, TreatsACountRunningBackwardsAsAStall) {
  advanceFrameClock(500'000);
  const double before = now;
  advanceFrameClock(20);
  EXPECT_FLOAT_EQ(frameDt, 0.05f);
  EXPECT_NEAR(now - before, 0.05, 1e-9);
  advanceFrameClock(36);
  EXPECT_FLOAT_EQ(frameDt, 0.016f);
}

TEST_F(FrameClock, RunsFortyNineDaysInHourlyStallsAndStaysExact) {
  int toolkitMs = 0;
  constexpr int kHourMs = 3'600'000;
  for (int hour = 1; hour <= 49 * 24; ++hour) {
    toolkitMs = addMs(toolkitMs, kHourMs);
    const double before = now;
    advanceFrameClock(toolkitMs);
    ASSERT_FLOAT_EQ(frameDt, 0.05f);
    ASSERT_NEAR(now - before, 3600.0, 1e-6);
  }
  EXPECT_EQ(uptimeMs, 49LL * 24 * kHourMs);
  toolkitMs = addMs(toolkitMs, 16);
  advanceFrameClock(toolkitMs);
  EXPECT_FLOAT_EQ(frameDt, 0.016f);
  EXPECT_NEAR(now - previousNow, 0.016, 1e-9);
}

using FrameStep = SceneTest;

TEST_F(FrameStep, FadesInOverThreeSecondsAndKeepsTheLastLevel) {
  frameAt(50);
  frameAt(1500);
  EXPECT_FLOAT_EQ(fadeLevel, 0.5f);
  frameAt(1550);
  frameAt(2990);
  const float lastIntroLevel = fadeLevel;
  EXPECT_LT(lastIntroLevel, 1.0f);
  frameAt(3040);
  frameAt(9000);
  EXPECT_EQ(fadeLevel, lastIntroLevel);
  resetScene();
  EXPECT_EQ(fadeLevel, 1.0f);
}

TEST_F(FrameStep, IntroFadeDoesNotComeBackAfterTheCounterWraps) {
  frameAt(2'147'483'600);
  resetScene();
  frameAt(2'147'483'640);
  frameAt(addMs(2'147'483'640, 20));
  EXPECT_EQ(fadeLevel, 1.0f);
}

TEST_F(FrameStep, CountsFramesPerSecondAndCatchesUpAfterAStall) {
  EXPECT_EQ(framesPerSecond, 30);
  for (int ms = 50; ms < 1000; ms += 50) frameAt(ms);
  EXPECT_EQ(framesPerSecond, 30);  // not yet a whole second
  frameAt(1000);
  EXPECT_EQ(framesPerSecond, 20);
  frameAt(5000);  // a stall of four seconds: the mark moves one second per frame
  EXPECT_EQ(framesPerSecond, 1);
  EXPECT_EQ(fpsNextSecond, 3.0);
  frameAt(5010);
  EXPECT_EQ(fpsNextSecond, 4.0);
}

TEST_F(FrameStep, EscapeFadesOutOverTwoSeconds) {
  frameAt(19'990);
  frameAt(20'000);
  onKeyboard(27, 0, 0);
  EXPECT_EQ(exitFadeStart, 20.0);
  frameAt(20'050);
  frameAt(21'000);
  EXPECT_FLOAT_EQ(fadeLevel, 0.5f);
  frameAt(21'950);
  EXPECT_NEAR(fadeLevel, 0.025f, 1e-6);  // still running
  resetScene();                          // a reset cancels the exit
  EXPECT_EQ(exitFadeStart, 0.0);
  frameAt(22'000);
  EXPECT_EQ(fadeLevel, 1.0f);
}

TEST_F(FrameStep, EscapeEndsTheProgramWithStatusZeroAfterTheFade) {
  EXPECT_EXIT(
      {
        frameAt(20'000);
        onKeyboard(27, 0, 0);
        for (int ms = 20'050; ms <= 21'950; ms += 50) frameAt(ms);
        frameAt(21'970);
      },
      ::testing::ExitedWithCode(0), "");
}

struct ProjectionFacts {
  GLint viewport[4];
  double fovyDegrees;
  double aspect;
};

ProjectionFacts readProjection() {
  ProjectionFacts facts{};
  glGetIntegerv(GL_VIEWPORT, facts.viewport);
  GLfloat m[16];
  glGetFloatv(GL_PROJECTION_MATRIX, m);
  facts.fovyDegrees = 2.0 * std::atan(1.0 / m[5]) * 180.0 / M_PI;
  facts.aspect = m[5] / m[0];
  return facts;
}

TEST_F(FrameStep, LetterboxNarrowsTheViewportAndTheFieldOfView) {
  resetScene();
  struct Case {
    int letterbox, bottom, height;
    double fovy;
  } cases[] = {{0, 0, 480, 70.0}, {3, 72, 336, 55.5}, {6, 144, 192, 41.0}};
  for (const Case& c : cases) {
    sceneSettings.letterbox = c.letterbox;
    setupView();
    const ProjectionFacts facts = readProjection();
    EXPECT_EQ(facts.viewport[0], 0);
    EXPECT_EQ(facts.viewport[1], c.bottom) << c.letterbox;
    EXPECT_EQ(facts.viewport[2], 640);
    EXPECT_EQ(facts.viewport[3], c.height) << c.letterbox;
    EXPECT_NEAR(facts.fovyDegrees, c.fovy, 1e-3) << c.letterbox;
    EXPECT_NEAR(facts.aspect, 640.0 / c.height, 1e-4) << c.letterbox;
  }
  sceneSettings.letterbox = 0;
}

TEST_F(FrameStep, ViewOfAWindowWithNoVisibleRowStaysFinite) {
  windowHeight = 0;
  setupView();
  const ProjectionFacts facts = readProjection();
  EXPECT_EQ(facts.viewport[3], 0);
  GLfloat m[16];
  glGetFloatv(GL_PROJECTION_MATRIX, m);
  for (float value : m) EXPECT_TRUE(std::isfinite(value));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(FrameStep, PolygonModeFollowsTheSetting) {
  const GLint expected[] = {GL_FILL, GL_LINE, GL_POINT};
  for (int mode = 0; mode < 3; ++mode) {
    sceneSettings.polyMode = mode;
    setupView();
    GLint polygonMode[2];
    glGetIntegerv(GL_POLYGON_MODE, polygonMode);
    EXPECT_EQ(polygonMode[0], expected[mode]);
  }
  sceneSettings.polyMode = 0;
  setupView();
}

// Paints the whole back buffer red, leaving the clear colour black again.
void paintRed() {
  glClearColor(1, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(0, 0, 0, 1);
}

TEST_F(FrameStep, HyperspaceKeepsThePictureAndAForcedClearClearsOnce) {
  resetScene();
  sceneSettings.universeOn = 0;
  frameAt(12'000);
  sceneSettings.clearEachFrame = 0;
  paintRed();
  frameAt(12'020);
  EXPECT_EQ(testsupport::readPixel(2, 2).r, 255);

  forceClear = 1;
  frameAt(12'040);
  EXPECT_EQ(testsupport::readPixel(2, 2).r, 0);
  EXPECT_EQ(forceClear, 0);
  paintRed();
  frameAt(12'060);
  EXPECT_EQ(testsupport::readPixel(2, 2).r, 255);

  sceneSettings.clearEachFrame = 1;
  frameAt(12'080);
  EXPECT_EQ(testsupport::readPixel(2, 2).r, 0);
  resetScene();
}

}  // namespace
