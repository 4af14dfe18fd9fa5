// Runaway factors: keys held for thousands of presses drive the speed factors and the object
// size as far as single precision goes, but never to zero, infinity or NaN; an impact at such a
// size and a reset afterwards still give a working scene.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <vector>

#include "app/input.h"
#include "robust/robust_scene.h"
#include "sim/numeric.h"

namespace {

constexpr int kHeldPresses = 5000;
constexpr int kFrameMs = 16;
constexpr int kTextRows = 40;  // the message line at the top is left out of pixel counts

TEST(ScaledWithinFloat, MultipliesInsideTheNormalRangeAndStopsAtItsEdges) {
  EXPECT_EQ(scaledWithinFloat(2.0f, 0.5f), 1.0f);
  EXPECT_EQ(scaledWithinFloat(1.0f, 1.111111f), 1.111111f);
  EXPECT_EQ(scaledWithinFloat(FLT_MAX, 1.055555f), FLT_MAX);
  EXPECT_EQ(scaledWithinFloat(FLT_MIN, 0.95f), FLT_MIN);  // a subnormal result is refused
  EXPECT_EQ(scaledWithinFloat(3.0f, 0.0f), 3.0f);
  EXPECT_EQ(scaledWithinFloat(3.0f, std::numeric_limits<float>::infinity()), 3.0f);
  EXPECT_EQ(scaledWithinFloat(3.0f, std::numeric_limits<float>::quiet_NaN()), 3.0f);
  float value = 1.0f;
  for (int press = 0; press < kHeldPresses; ++press) value = scaledWithinFloat(value, 1.111111f);
  EXPECT_GT(value, 1e37f);
  EXPECT_TRUE(std::isfinite(value));
}

class RunawayFactors : public RobustScene {
 protected:
  void SetUp() override {
    RobustScene::SetUp();
    frameAfter(11'000);  // past the intro title, which would cover part of the picture
    onKeyboard('r', 0, 0);
  }

  static void runFrames(int count) {
    for (int frame = 0; frame < count; ++frame) frameAfter(kFrameMs);
  }

  static void pressKey(unsigned char key, int times) {
    for (int press = 0; press < times; ++press) onKeyboard(key, 0, 0);
  }

  static void pressSpecialKey(int key, int times) {
    for (int press = 0; press < times; ++press) {
      onSpecialKeyDown(key, 0, 0);
      onSpecialKeyUp(key, 0, 0);
    }
  }

  // A left click launches a meteor that strikes half a second later; runs a second past it.
  static void impact() {
    onMouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, kPointerHomeX, kPointerHomeY);
    onMouseButton(GLUT_LEFT_BUTTON, GLUT_UP, kPointerHomeX, kPointerHomeY);
    runFrames(1500 / kFrameMs);
  }

  // 'r' at a fixed toolkit time (so the reset reseeds alike), 'u' (no stars), half a second of
  // frames, then the number of pixels below the message line that are not black.
  static int litPixelsAfterResetAt(int resetMs) {
    toolkitMs = resetMs;
    elapsedMs = resetMs;
    onKeyboard('r', 0, 0);
    onKeyboard('u', 0, 0);
    runFrames(30);
    const int rows = kRobustWindowHeight - kTextRows;
    std::vector<unsigned char> rgb(static_cast<size_t>(kRobustWindowWidth) * rows * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, kRobustWindowWidth, rows, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    int lit = 0;
    for (size_t i = 0; i < rgb.size(); i += 3) lit += rgb[i] + rgb[i + 1] + rgb[i + 2] > 30;
    return lit;
  }
};

TEST_F(RunawayFactors, HeldKeysNeverReachZeroInfinityOrNaN) {
  struct HeldKey {
    unsigned char key;
    const float* factor;
    bool grows;
  } held[] = {
      {'-', &sceneSettings.rotateSpeed, false},      {'=', &sceneSettings.rotateSpeed, true},
      {'_', &sceneSettings.movementSpeed, false},    {'+', &sceneSettings.movementSpeed, true},
      {'(', &sceneSettings.lightRotateSpeed, false}, {')', &sceneSettings.lightRotateSpeed, true},
      {'[', &sceneSettings.objectSize, false},       {']', &sceneSettings.objectSize, true},
  };
  for (const HeldKey& h : held) {
    onKeyboard('r', 0, 0);
    pressKey(h.key, kHeldPresses);
    EXPECT_TRUE(std::isnormal(*h.factor)) << h.key << " gave " << *h.factor;
    // Still as large or as small as single precision allows: unbounded in practice.
    if (h.grows) {
      EXPECT_GT(*h.factor, 1e37f) << h.key;
    } else {
      EXPECT_LT(*h.factor, 1e-37f) << h.key;
    }
    runFrames(5);
    EXPECT_EQ(brokenInvariant(), "") << "after " << kHeldPresses << " presses of " << h.key;
  }
  const struct {
    int key;
    const float* factor;
  } special[] = {{GLUT_KEY_PAGE_UP, &sceneSettings.mainSpeed},
                 {GLUT_KEY_PAGE_DOWN, &sceneSettings.mainSpeed},
                 {GLUT_KEY_HOME, &sceneSettings.homeEndSpeed},
                 {GLUT_KEY_END, &sceneSettings.homeEndSpeed}};
  for (const auto& s : special) {
    onKeyboard('r', 0, 0);
    pressSpecialKey(s.key, kHeldPresses);
    EXPECT_TRUE(std::isnormal(*s.factor)) << "special key " << s.key << " gave " << *s.factor;
    runFrames(5);
    EXPECT_EQ(brokenInvariant(), "") << "after special key " << s.key;
  }
}

TEST_F(RunawayFactors, TinyObjectSizeStaysPositiveThroughAnImpact) {
  pressKey('[', kHeldPresses);
  EXPECT_GT(sceneSettings.objectSize, 0.0f);
  impact();
  EXPECT_GT(sceneSettings.objectSize, 0.0f);
  EXPECT_EQ(brokenInvariant(), "");
}

TEST_F(RunawayFactors, ResetBringsThePlanetBackAfterAnImpactAtTheLargestSize) {
  constexpr int kResetMs = 500'000;
  const int reference = litPixelsAfterResetAt(kResetMs);
  ASSERT_GT(reference, 1000) << "the planet does not show in a freshly reset scene";

  pressKey(']', kHeldPresses);
  impact();
  EXPECT_EQ(brokenInvariant(), "");
  EXPECT_TRUE(std::isfinite(cameraJolt.x) && std::isfinite(cameraJolt.y) &&
              std::isfinite(cameraJolt.z));

  const int recovered = litPixelsAfterResetAt(kResetMs);
  EXPECT_EQ(brokenInvariant(), "");
  EXPECT_GE(recovered, reference * 8 / 10) << "reference " << reference;
}

TEST_F(RunawayFactors, CameraDistanceWalksFarBothWaysAndComesBack) {
  // cameraZ moves by 0.05 a press: thousands of presses stay far from infinity, and a view
  // with its far plane behind the near one draws nothing but breaks nothing.
  pressKey('{', kHeldPresses);
  EXPECT_NEAR(sceneSettings.cameraZ, 0.35f - 0.05f * kHeldPresses, 0.1f);
  runFrames(5);
  EXPECT_EQ(brokenInvariant(), "");
  pressKey('}', 2 * kHeldPresses);
  EXPECT_NEAR(sceneSettings.cameraZ, 0.35f + 0.05f * kHeldPresses, 0.1f);
  runFrames(5);
  EXPECT_EQ(brokenInvariant(), "");
  onKeyboard('r', 0, 0);
  EXPECT_EQ(sceneSettings.cameraZ, 0.35f);
}

}  // namespace

namespace {

TEST_F(RunawayFactors, ResetKeepsAnOrdinaryKickButDropsARunawayOne) {
  cameraJolt = Vec3f{0.05f, -0.03f, 0.02f};
  resetScene();
  EXPECT_EQ(cameraJolt.x, 0.05f);  // an ordinary kick goes on decaying after a reset
  cameraJolt = Vec3f{0.0f, 2.5e37f, 0.0f};
  resetScene();
  EXPECT_EQ(cameraJolt.y, 0.0f);
  cameraJolt = Vec3f{std::numeric_limits<float>::quiet_NaN(), 0.0f, 0.0f};
  resetScene();
  EXPECT_EQ(cameraJolt.x, 0.0f);
}

}  // namespace
