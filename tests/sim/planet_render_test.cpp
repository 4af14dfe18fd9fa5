// The planet as it reaches the screen: which faces survive culling, what a frame shows before
// and after the break, the glow after an impact, and the GL state every step leaves behind.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "app/camera.h"
#include "app/frame_step.h"
#include "app/gl_state.h"
#include "app/phase_bank.h"
#include "app/settings.h"
#include "scene_setup.h"
#include "sim/fragments.h"
#include "sim/impact.h"
#include "sim/numeric.h"
#include "sim/planet.h"

namespace {

using testsupport::Rgb;

constexpr int kCentreX = scenetest::kWindowWidth / 2;
constexpr int kCentreY = scenetest::kWindowHeight / 2;
// The planet's radius on screen: 0.07 at 0.35 from the eye with a 70 degree field of view.
constexpr double kPlanetPixels = 70;
constexpr unsigned char kBody[3] = {40, 90, 250};  // the body texture: a clear blue

class PlanetRender : public ::testing::Test {
 protected:
  void SetUp() override {
    scenetest::prepareScene();
    resetScene();
    scenetest::installSolidTextures(kBody[0], kBody[1], kBody[2]);
    setupView();
    fadeLevel = 1.0f;
    sceneSettings.planetImage = 2;
    sceneSettings.spotlightsOn = 0;  // unlit: the colours on screen are the drawn ones
    // The light and the sun stand behind the eye, out of view.
    phases[0] = (kPi / 2 - 5) / 0.2;
    phases[19] = 0;  // fragment speed 1.05
    testsupport::firstGlError();
  }

  // Frames of the impact scene, each on a cleared screen, until the clock reaches `clock`.
  void runSceneTo(float clock, float dt) {
    while (impactClock + dt <= clock + 1e-4f) {
      frameDt = dt;
      now += dt;
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      drawImpactScene();
    }
  }

  std::vector<unsigned char> readFrame() {
    std::vector<unsigned char> pixels(scenetest::kWindowWidth * scenetest::kWindowHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, scenetest::kWindowWidth, scenetest::kWindowHeight, GL_RGB, GL_UNSIGNED_BYTE,
                 pixels.data());
    return pixels;
  }

  // Pixels matching a test, within or beyond a distance from the centre of the screen.
  static int countPixels(const std::vector<unsigned char>& frame,
                         const std::function<bool(int, int, int)>& match, double minRadius,
                         double maxRadius) {
    int count = 0;
    for (int y = 0; y < scenetest::kWindowHeight; ++y) {
      for (int x = 0; x < scenetest::kWindowWidth; ++x) {
        const double d = std::hypot(x - kCentreX, y - kCentreY);
        if (d < minRadius || d > maxRadius) continue;
        const unsigned char* p = &frame[(y * scenetest::kWindowWidth + x) * 3];
        if (match(p[0], p[1], p[2])) ++count;
      }
    }
    return count;
  }

  static bool isCore(int r, int g, int b) {
    return r > 150 && g > 0.25 * r && g < 0.45 * r && b < 20;
  }
  static bool isBody(int r, int, int b) { return b > 120 && b > r + 60; }
  static bool isLit(int r, int g, int b) { return r + g + b > 30; }
};

TEST_F(PlanetRender, CullingKeepsTheFacesTowardsTheViewer) {
  // The depth left at the centre of the disc tells which hemisphere survived the culling.
  auto depthAtCentre = [](GLenum culledFace) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_ALWAYS);
    glEnable(GL_CULL_FACE);
    glCullFace(culledFace);
    drawSphere(0.07, 30, 30, 1, 1, 0, 0);
    glCullFace(GL_BACK);
    glDisable(GL_CULL_FACE);
    glDepthFunc(GL_LESS);
    glDisable(GL_DEPTH_TEST);
    GLfloat depth = -1;
    glReadPixels(kCentreX, kCentreY, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    return depth;
  };
  const float outside = depthAtCentre(GL_BACK);
  const float inside = depthAtCentre(GL_FRONT);
  EXPECT_LT(outside, 1.0f) << "something was drawn";
  EXPECT_LT(outside, inside) << "what stays with back faces culled is the near side";
}

TEST_F(PlanetRender, ClockFourShowsTheWholePlanetClockSixFragmentsAroundAGlowingCore) {
  impactClock = 3.9f;
  runSceneTo(4.0f, 0.05f);
  const auto whole = readFrame();
  const Rgb centre = testsupport::readPixel(kCentreX, kCentreY);
  EXPECT_GT(centre.b, centre.r + 60) << centre.r << " " << centre.g << " " << centre.b;
  // A round disc: blue inside, nothing outside, no core.
  const double disc = kPlanetPixels * 0.9;
  const double discArea = kPi * disc * disc;
  EXPECT_GT(countPixels(whole, isBody, 0, disc), 0.98 * discArea);
  EXPECT_EQ(countPixels(whole, isLit, kPlanetPixels * 1.1, 1e9), 0);
  EXPECT_EQ(countPixels(whole, isCore, 0, 1e9), 0);

  impactClock = 4.9f;
  runSceneTo(6.0f, 0.05f);
  const auto broken = readFrame();
  const int core = countPixels(broken, isCore, 0, kPlanetPixels);
  const int bodyInside = countPixels(broken, isBody, 0, kPlanetPixels);
  const int bodyOutside = countPixels(broken, isBody, kPlanetPixels * 1.1, 1e9);
  EXPECT_GT(core, 500) << "the core shows between the fragments";
  EXPECT_GT(bodyInside, 1000) << "fragments still cover much of the disc";
  EXPECT_GT(bodyOutside, 200) << "fragments have flown out beyond the surface";
  EXPECT_EQ(testsupport::firstGlError(), 0u);
}

TEST_F(PlanetRender, TheGlowTintsThePlanetOrangeAfterAnImpactAndFades) {
  impactPitch = 0;
  impactHeading = 0;  // the impact point faces the viewer
  impactClock = -0.5f;
  runSceneTo(0.0f, 0.05f);
  const Rgb before = testsupport::readPixel(kCentreX, kCentreY);
  impactClock = 1.4f;
  runSceneTo(1.5f, 0.05f);
  const Rgb glowing = testsupport::readPixel(kCentreX, kCentreY);
  impactClock = 4.8f;
  runSceneTo(4.9f, 0.05f);
  const Rgb late = testsupport::readPixel(kCentreX, kCentreY);
  EXPECT_GT(before.b, before.r + 100);
  EXPECT_GT(glowing.r, glowing.b + 100) << glowing.r << " " << glowing.g << " " << glowing.b;
  EXPECT_GT(late.b, late.r) << "almost transparent by clock 5";
}

TEST_F(PlanetRender, DrawingStepsLeaveTheBaselineStateAndTheModelViewMatrix) {
  const GlStateSnapshot baseline = baselineGlState();
  GLfloat matrix[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
  auto expectBaseline = [&](const char* step) {
    const GlStateSnapshot now = captureGlState();
    EXPECT_EQ(now, baseline) << step << ": " << describeGlStateDifference(baseline, now);
    EXPECT_EQ(testsupport::firstGlError(), 0u) << step;
    GLfloat after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    for (int i = 0; i < 16; ++i) ASSERT_EQ(after[i], matrix[i]) << step;
  };
  ASSERT_EQ(captureGlState(), baseline) << describeGlStateDifference(baseline, captureGlState());
  for (const int lit : {0, 1}) {
    sceneSettings.spotlightsOn = lit;
    for (const int image : {1, 2, 3}) {
      sceneSettings.planetImage = image;
      for (const float clock : {0.0f, 2.0f, 4.0f}) {
        impactClock = clock;
        drawPlanet(1.0f);
        expectBaseline("drawPlanet");
      }
      drawMoon(1.0f);
      expectBaseline("drawMoon");
      impactClock = 6.0f;
      planetFragments(0);
      planetFragments(1);
      expectBaseline("planetFragments(1)");
      // Flight, impact, flash, glow, tremble, break, fragments, wrap.
      for (const float clock : {-0.5f, 0.99f, 1.5f, 3.5f, 5.0f, 7.0f, 8.99f}) {
        impactClock = clock;
        frameDt = 0.02f;
        drawImpactScene();
        expectBaseline("drawImpactScene");
      }
    }
  }
}

}  // namespace
