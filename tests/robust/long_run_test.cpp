// A long life on a synthetic toolkit clock: a month of uptime runs the same impact cycles to the
// frame on the first day, across the wrap of the toolkit's 32-bit millisecond count (day 24.8)
// and on day 30; keys held for thousands of presses keep every setting a sound number.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <string>

#include "app/camera.h"
#include "core/frame_clock.h"
#include "core/settings.h"
#include "sim/impact.h"
#include "support/scene_driver.h"
#include "text/text_display.h"

namespace {

// Stalls of at most a day, one frame each, until the uptime reaches `ms`.
void stallUntil(long long ms) {
  while (uptimeMs < ms)
    testsupport::frameAfter(static_cast<int>(std::min(ms - uptimeMs, 86'400'000LL)));
}

// 'r', then two cycles and the next impact at 16 ms a frame, with 'c' twice at frame 875: what
// happened in which frame, counted from the reset.
std::string segment() {
  testsupport::pressKey('r');
  testsupport::clearSoundLog();
  std::string events;
  int frame = 0, image = sceneSettings.planetImage, impactFrame = -1, messageFrame = -1;
  auto note = [&](const std::string& what) {
    events += what;
    events += '@';
    events += std::to_string(frame);
    events += ' ';
  };
  for (frame = 1; frame <= 2026; ++frame) {
    if (frame == 875) testsupport::pressKeys("cc");
    const size_t sounds = testsupport::soundLog().size();
    testsupport::frameAfter(16);
    if (testsupport::soundLog().size() > sounds) note(testsupport::soundLog().back().name);
    if (impactClock == 1.1f) note("burst " + std::to_string(testsupport::liveParticles()));
    if (impactClock == 1.1f) impactFrame = frame;
    if (sceneSettings.planetImage != image)
      note("image" + std::to_string(image = sceneSettings.planetImage));
    if (frame > 875 && messageFrame < 0 && textDisplay.messageExpiry == 0) messageFrame = frame;
    if (frame - impactFrame == 344 && testsupport::liveParticles() > 0)
      note("particles live 5.5 s");
    if (fadeLevel != 1.0f) note("fade " + std::to_string(fadeLevel));
    const std::string fault = testsupport::sceneFault();
    if (!fault.empty()) return events + fault;
  }
  return events + "message gone " + std::to_string(messageFrame);
}

TEST(LongRun, ImpactCyclesKeepTheirTimingFromTheFirstDayToDayThirty) {
  testsupport::startScene(320, 240);
  testsupport::frameAt(20'000);  // past the intro
  // From the reset's clock -1: impact 2 s on (126 frames: 125 fall a rounding short), break 3.9 s
  // later, the next planet 3.9 s after that, its impact 6 s later; the message shows for 3 s.
  const std::string expected =
      "boom.wav@126 burst 160@126 thunder.wav@370 image4@614 boom.wav@990 burst 160@990 "
      "thunder.wav@1234 image5@1478 boom.wav@1854 burst 160@1854 message gone 1062";
  EXPECT_EQ(segment(), expected) << "first day";
  stallUntil(2'147'483'648LL - 15'000);  // the count wraps 15 s into the next segment
  EXPECT_EQ(segment(), expected) << "across the wrap";
  EXPECT_LT(testsupport::toolkitMs(), 0);
  stallUntil(30 * 86'400'000LL);
  EXPECT_EQ(segment(), expected) << "day 30";
  EXPECT_GE(now, 30 * 86'400.0);
}

// Held keys drive the speed factors and the object size as far as single precision goes, never
// to zero, infinity or NaN, and the scene runs on through an impact.
class HeldKeys : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::startScene(320, 240);
    testsupport::frameAt(11'000);  // past the intro title
  }
};

TEST_F(HeldKeys, DriveFactorsToTheEndsOfTheFloatsButNeverBeyond) {
  // clang-format off
  const struct {
    int key;  // ASCII, or minus a special key
    const float* factor;
    float atLeast, atMost;
  } held[] = {
      {'-', &sceneSettings.rotateSpeed, 0, 1e-37f}, {'=', &sceneSettings.rotateSpeed, 1e37f, FLT_MAX},
      {'_', &sceneSettings.movementSpeed, 0, 1e-37f}, {'+', &sceneSettings.movementSpeed, 1e37f, FLT_MAX},
      {'(', &sceneSettings.lightRotateSpeed, 0, 1e-37f}, {')', &sceneSettings.lightRotateSpeed, 1e37f, FLT_MAX},
      {'[', &sceneSettings.objectSize, 0, 1e-37f}, {']', &sceneSettings.objectSize, 1e37f, FLT_MAX},
      {-GLUT_KEY_PAGE_DOWN, &sceneSettings.mainSpeed, 0, 1e-37f},
      {-GLUT_KEY_PAGE_UP, &sceneSettings.mainSpeed, 1e37f, FLT_MAX},
      {-GLUT_KEY_END, &sceneSettings.homeEndSpeed, 0, 1e-37f},
      {-GLUT_KEY_HOME, &sceneSettings.homeEndSpeed, 1e37f, FLT_MAX},
      {'{', &sceneSettings.cameraZ, -250, -249}, {'}', &sceneSettings.cameraZ, 250, 251}};
  // clang-format on
  for (const auto& h : held) {
    testsupport::pressKey('r');
    for (int press = 0; press < 5000; ++press) testsupport::press(h.key);
    EXPECT_TRUE(std::isnormal(*h.factor)) << h.key << " gave " << *h.factor;
    EXPECT_GE(*h.factor, h.atLeast) << h.key;
    EXPECT_LE(*h.factor, h.atMost) << h.key;
    testsupport::click();
    testsupport::runFrames(40);  // the meteor strikes after 32
    EXPECT_EQ(testsupport::sceneFault(), "") << "after 5000 presses of " << h.key;
  }
}

// Lit pixels below the message line half a second after a reset at a fixed time, with no stars.
int litPixelsAfterAReset() {
  testsupport::frameAt(500'000);
  testsupport::pressKeys("ru");
  testsupport::runFrames(30);
  const testsupport::Frame frame = testsupport::readFrame();
  int lit = 0;
  for (int i = 0; i < 320 * 200; ++i) {
    const testsupport::Rgb p = frame.at(i % 320, i / 320);
    lit += p.r + p.g + p.b > 30;
  }
  return lit;
}

TEST_F(HeldKeys, AResetBringsThePlanetBackAfterAnImpactAtTheLargestSize) {
  const int planet = litPixelsAfterAReset();
  ASSERT_GT(planet, 1000) << "the planet does not show after a reset";
  for (int press = 0; press < 5000; ++press) testsupport::pressKey(']');
  testsupport::click();
  testsupport::runFrames(100);
  EXPECT_EQ(testsupport::sceneFault(), "");
  EXPECT_NEAR(litPixelsAfterAReset(), planet, planet / 10);
  EXPECT_LT(std::abs(cameraJolt.x) + std::abs(cameraJolt.y) + std::abs(cameraJolt.z), 1.0f);
}

}  // namespace
