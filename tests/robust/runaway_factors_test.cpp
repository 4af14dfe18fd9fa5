// Held keys: thousands of presses drive the speed factors and the object size as far as single
// precision goes, but never to zero, infinity or NaN, and the scene keeps running; after an
// impact at the largest size a reset brings the planet back.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "app/camera.h"
#include "core/settings.h"
#include "support/scene_driver.h"

namespace {

constexpr int kPresses = 5000;

class HeldKeys : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::startScene(320, 240);
    testsupport::frameAt(11'000);  // past the intro title
  }
};

TEST_F(HeldKeys, DriveFactorsToTheEndsOfTheFloatsButNeverBeyond) {
  const SceneSettings& s = sceneSettings;
  // clang-format off
  const struct {
    int key;  // ASCII, or minus a special key
    const float* factor;
    float atLeast, atMost;
  } held[] = {
      {'-', &s.rotateSpeed, 0, 1e-37f}, {'=', &s.rotateSpeed, 1e37f, FLT_MAX},
      {'_', &s.movementSpeed, 0, 1e-37f}, {'+', &s.movementSpeed, 1e37f, FLT_MAX},
      {'(', &s.lightRotateSpeed, 0, 1e-37f}, {')', &s.lightRotateSpeed, 1e37f, FLT_MAX},
      {'[', &s.objectSize, 0, 1e-37f}, {']', &s.objectSize, 1e37f, FLT_MAX},
      {-GLUT_KEY_PAGE_DOWN, &s.mainSpeed, 0, 1e-37f},
      {-GLUT_KEY_PAGE_UP, &s.mainSpeed, 1e37f, FLT_MAX},
      {-GLUT_KEY_END, &s.homeEndSpeed, 0, 1e-37f},
      {-GLUT_KEY_HOME, &s.homeEndSpeed, 1e37f, FLT_MAX},
      {'{', &s.cameraZ, -250, -249}, {'}', &s.cameraZ, 250, 251}};
  // clang-format on
  for (const auto& h : held) {
    testsupport::pressKey('r');
    for (int press = 0; press < kPresses; ++press) testsupport::press(h.key);
    EXPECT_TRUE(std::isnormal(*h.factor)) << h.key << " gave " << *h.factor;
    EXPECT_GE(*h.factor, h.atLeast) << h.key;
    EXPECT_LE(*h.factor, h.atMost) << h.key;
    testsupport::click();
    testsupport::runFrames(40);  // the meteor strikes after 32
    EXPECT_EQ(testsupport::sceneFault(), "") << "after " << kPresses << " presses of " << h.key;
  }
}

// Lit pixels below the message line half a second after a reset at a fixed time, with no stars.
int litPixelsAfterAReset() {
  testsupport::frameAt(500'000);
  testsupport::pressKeys("ru");
  testsupport::runFrames(30);
  const testsupport::Frame frame = testsupport::readFrame();
  int lit = 0;
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 320; ++x) {
      const testsupport::Rgb p = frame.at(x, y);
      lit += p.r + p.g + p.b > 30;
    }
  }
  return lit;
}

TEST_F(HeldKeys, AResetBringsThePlanetBackAfterAnImpactAtTheLargestSize) {
  const int planet = litPixelsAfterAReset();
  ASSERT_GT(planet, 1000) << "the planet does not show after a reset";
  for (int press = 0; press < kPresses; ++press) testsupport::pressKey(']');
  testsupport::click();
  testsupport::runFrames(100);
  EXPECT_EQ(testsupport::sceneFault(), "");
  EXPECT_NEAR(litPixelsAfterAReset(), planet, planet / 10);
  EXPECT_LT(std::abs(cameraJolt.x) + std::abs(cameraJolt.y) + std::abs(cameraJolt.z), 1.0f);
}

}  // namespace
