// Krateon's own window at rest: the time it spends hidden (minimised, on another desktop, fully
// covered) does not count, so the show goes on where it was, one stall step later.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <string>

#include "app/own_window.h"
#include "core/frame_clock.h"
#include "core/settings.h"
#include "sim/impact.h"
#include "support/scene_driver.h"
#include "text/text_display.h"

namespace {

using testsupport::frameAfter;
using testsupport::soundLog;

constexpr int kTenMinutesMs = 10 * 60 * 1000;

// What the window system reports before a gap, and what the gap then counts for, in `now` and
// in the scene's step. A rest (hidden or fully covered, then shown) counts as one stall step; a
// moment hidden counts as it is; a visible window's stall keeps real time, as it always has, also
// right after a rest (the rows run in this order).
TEST(OwnWindow, TimeHiddenCountsAsOneStallStep) {
  const struct {
    const char* what;
    int before, after;  // GLUT_HIDDEN ... GLUT_FULLY_COVERED
    int gapMs;
    double nowStep;
    float sceneStep;
  } rows[] = {
      {"minimised, then shown", GLUT_HIDDEN, GLUT_FULLY_RETAINED, kTenMinutesMs, 0.05, 0.05f},
      {"fully covered, then partly", GLUT_FULLY_COVERED, GLUT_PARTIALLY_RETAINED, 300, 0.05, 0.05f},
      {"hidden for a moment", GLUT_HIDDEN, GLUT_FULLY_RETAINED, 60, 0.06, 0.06f},
      {"partly covered, then not", GLUT_PARTIALLY_RETAINED, GLUT_FULLY_RETAINED, 300, 0.3, 0.05f},
      {"shown, a slow frame", GLUT_FULLY_RETAINED, GLUT_FULLY_RETAINED, 250, 0.25, 0.05f},
  };
  testsupport::startScene(320, 240);
  testsupport::frameAt(20'000);
  for (const auto& row : rows) {
    const double before = now;
    onWindowStatus(row.before);
    onWindowStatus(row.after);
    frameAfter(row.gapMs);
    EXPECT_NEAR(now - before, row.nowStep, 1e-9) << row.what;
    EXPECT_NEAR(frameDt, row.sceneStep, 1e-6) << row.what;
  }
}

// Ten minutes hidden right after a meteor struck, in the intro: the first frame after them moves
// the impact clock, the fade, the burst and the start message on by one stall step; the cycle then
// goes on to one thunder and the next planet, and nothing strikes or booms a second time.
TEST(OwnWindow, AfterTenMinutesHiddenTheShowGoesOnWhereItWas) {
  testsupport::startScene(320, 240);
  testsupport::runFrames(94);  // 1.5 s: the picture half faded in
  testsupport::click();
  ASSERT_TRUE(testsupport::runUntilImpactClock(1.0f));
  ASSERT_EQ(soundLog().size(), 1u);
  const float clock = impactClock;
  const float fade = fadeLevel;
  const int particles = testsupport::liveParticles();

  onWindowStatus(GLUT_HIDDEN);
  onWindowStatus(GLUT_FULLY_RETAINED);
  frameAfter(kTenMinutesMs);
  EXPECT_NEAR(impactClock - clock, 0.05f, 1e-5);
  EXPECT_NEAR(fadeLevel - fade, 0.05f / 3, 1e-5);
  EXPECT_GT(testsupport::liveParticles(), particles * 9 / 10) << "of " << particles;
  EXPECT_NE(textDisplay.messageExpiry, 0.0) << "the start message is gone";

  const int planet = sceneSettings.planetImage;
  for (int frame = 0; frame < 2000 && sceneSettings.planetImage == planet; ++frame) {
    frameAfter(testsupport::kFrameMs);
  }
  ASSERT_EQ(soundLog().size(), 2u);
  EXPECT_EQ(soundLog()[0].name + soundLog()[1].name, "boom.wavthunder.wav");
}

}  // namespace
