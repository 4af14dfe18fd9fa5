// The impact cycle as the program runs it, frame by frame on a synthetic clock: when the meteor
// strikes, the planet breaks and the next one comes, the sounds they ask for, the burst, the
// planet's light, and the curves of the shake, the flash, the glow and the fragments.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/camera.h"
#include "app/frame_step.h"
#include "core/frame_clock.h"
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

// From the program's start the first meteor strikes 8 s in (the frame that carries the clock
// past 1); what follows is timed from a click below, as after a reset in the long run.
TEST(ImpactFromStart, TheFirstBoomComesEightSecondsIn) {
  testsupport::startScene(320, 240);
  while (testsupport::toolkitMs() < 9'000) frameAfter(16);
  ASSERT_EQ(soundLog().size(), 1u);
  EXPECT_EQ(soundLog()[0].name, "boom.wav");
  EXPECT_NEAR(soundLog()[0].atSeconds, 8.008, 0.0081);
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
// camera towards it. The wrap at clock 9 brings the next image, after the last the first, and
// the clock to -5.
TEST_F(ImpactCycle, TheStrikeThrowsItsBurstAndKicksTheCameraAndTheWrapBringsTheNextImage) {
  testsupport::click();
  ASSERT_TRUE(testsupport::runUntilImpactClock(1.0f));
  EXPECT_EQ(testsupport::liveParticles(kFire), 50);
  EXPECT_EQ(testsupport::liveParticles(kSmoke), 10);
  EXPECT_EQ(testsupport::liveParticles(kSpark), 100);
  EXPECT_NEAR(cameraJolt.x + cameraJolt.z, impactPoint.x + impactPoint.z, 0.01);
  EXPECT_GT(std::abs(impactPoint.x) + std::abs(impactPoint.z), 0.01);
  pressKey('9');
  impactClock = 8.99f;
  frameAfter(16);
  EXPECT_EQ(sceneSettings.planetImage, 0);
  EXPECT_EQ(impactClock, -5.0f);
}

// The camera's shake: nothing before the impact, from 2 at clock 1 falling as the fifth power of
// the time left to 0 at 5, nothing at 5 itself, from almost 3 just after 5 to 0 at 9.
TEST(ImpactCurves, TheShakeFallsFromEachPeakAsTheFifthPower) {
  const float shake[][2] = {{0.999f, 0},      {1, 2},        {1.5f, 1.02582f}, {2, 0.47461f},
                            {3, 0.0625f},     {4, 0.00195f}, {5, 0},           {5.001f, 2.99625f},
                            {5.5f, 1.53873f}, {6, 0.71191f}, {7, 0.09375f},    {9, 0}};
  for (const auto& [clock, strength] : shake) {
    EXPECT_NEAR(shakeStrength(clock), strength, 1e-5 + 1e-4 * strength) << "clock " << clock;
  }
}

// Window position, colour and texture v of every polygon vertex the impact scene sends at a clock.
struct Drawn {
  float x, y, r, g, b, a, v;
};
std::vector<Drawn> polygonVerticesAt(float clock) {
  static std::vector<GLfloat> buffer(1 << 22);
  impactClock = clock;
  frameDt = 0;  // the clock stays where it is set
  setupView();
  updateCamera();
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
  glRenderMode(GL_FEEDBACK);
  drawImpactScene();
  const GLint used = glRenderMode(GL_RENDER);
  std::vector<Drawn> drawn;
  for (GLint i = 0; i < used;) {  // polygons; points (sparks) and other tokens are skipped
    const GLfloat token = buffer[i++];
    const int vertices = token == GL_POLYGON_TOKEN ? static_cast<int>(buffer[i++]) : 0;
    for (int k = 0; k < vertices; ++k, i += 11) {
      const float* f = &buffer[i];
      drawn.push_back({f[0], f[1], f[3], f[4], f[5], f[6], f[8]});
    }
    if (token == GL_POINT_TOKEN) i += 11;
  }
  return drawn;
}

// The layer a vertex belongs to, by its colour: the body is opaque grey, the flash's blue is full,
// the glow's red, the core has no blue, and the fragments are grey with their light as opacity.
std::string layerOf(const Drawn& d) {
  if (d.a > 0.999f && d.r == d.g && d.g == d.b) return "body";
  if (d.a < 0.999f && d.b > 0.999f) return "flash";
  if (d.a < 0.999f && d.r > 0.999f) return "glow";
  if (d.a > 0.999f && d.b == 0 && d.g < 0.9f * d.r) return "core";
  if (d.a < 0.999f && d.r == d.g && d.g == d.b && d.b == d.a) return "fragments";
  return "";
}

// Inside each act, unlit: the next planet's light rises, eased, from dark at clock -5 to full at
// -3; the flash turns from white to blue as it fades (opacity 1 - sqrt of its age); the glow's
// band travels 0.2 of the texture a second from 0.5 away from the point of impact, where a click
// aims (the point facing the viewer, here in the manual camera turned by 30 and 20 degrees: the
// middle of the window), while it turns from opaque orange-red to a faint pale white; the core
// and the fragments hold their full light for 1.32 s after the break, then fade to 0 at 8.99.
TEST_F(ImpactCycle, LightFlashGlowAndFragmentsFollowTheirCurvesInsideEachAct) {
  testsupport::pressKeys("2sv");  // Venus, unlit, the manual camera
  cameraHeading = 30;
  cameraPitch = 20;
  testsupport::click();
  // clang-format off
  const struct {
    float clock;
    const char* layer;
    float r, g, b, a, vOffset;  // the layer's colour; the glow's texture offset
  } rows[] = {
      {-4.5f, "body", 0.1464f, 0.1464f, 0.1464f, 1, 0}, {-4, "body", 0.5f, 0.5f, 0.5f, 1, 0},
      {-3.5f, "body", 0.8536f, 0.8536f, 0.8536f, 1, 0},
      {1.25f, "flash", 0.8536f, 0.8536f, 1, 0.5f, 0},
      {1.64f, "flash", 0.2871f, 0.2871f, 1, 0.2f, 0},
      {1.25f, "glow", 1, 0.4313f, 0.0969f, 0.9375f, 0.45f},
      {3, "glow", 1, 0.65f, 0.425f, 0.5f, 0.1f},
      {4.5f, "glow", 1, 0.8375f, 0.7063f, 0.125f, -0.2f}, {6.3f, "core", 1, 0.35f, 0, 1, 0},
      {7, "core", 0.848f, 0.2968f, 0, 1, 0}, {8, "core", 0.3014f, 0.1055f, 0, 1, 0},
      {7, "fragments", 0.848f, 0.848f, 0.848f, 0.848f, 0},
      {8, "fragments", 0.3014f, 0.3014f, 0.3014f, 0.3014f, 0}};
  // clang-format on
  for (const auto& row : rows) {
    const bool glow = row.layer == std::string("glow");
    int seen = 0, wrong = 0, offBand = 0, middle = 0;
    for (const Drawn& d : polygonVerticesAt(row.clock)) {
      if (layerOf(d) != row.layer) continue;
      ++seen;
      wrong += std::abs(d.r - row.r) + std::abs(d.g - row.g) + std::abs(d.b - row.b) +
                   std::abs(d.a - row.a) >
               4e-3f;
      const float band = (d.v - row.vOffset) * 30;  // rings of 1/30 from the offset
      offBand += glow && std::abs(band - std::round(band)) > 1e-3f;
      if (glow && std::abs(band) < 1e-3f)
        (std::hypot(d.x - 160, d.y - 120) < 3 ? middle : offBand)++;
    }
    EXPECT_GT(seen, 0) << row.layer << " at clock " << row.clock;
    EXPECT_TRUE(!glow || middle > 0) << "no first ring of the glow in the middle";
    EXPECT_EQ(wrong + offBand, 0) << row.layer << " at clock " << row.clock << ": " << wrong
                                  << " of " << seen << " off colour, " << offBand << " off band";
  }
}

}  // namespace
