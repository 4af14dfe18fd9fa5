// The star field (read back through GL feedback) and the light (GL values), and the GL state
// between the drawing steps of the real frame in every mode that changes their calls.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "backdrop/light.h"
#include "backdrop/star_field.h"
#include "core/gl_state.h"
#include "core/numeric.h"
#include "fx/particles.h"
#include "sim/impact.h"
#include "support/scene_driver.h"

namespace {

struct Star {
  double x, y, z, r;  // scene units, r the distance from the origin
  float red, green, blue;
};

std::vector<Star> starsDrawnBy(const std::function<void()>& draw) {
  static std::vector<GLfloat> buffer(1 << 18);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const GLint used = glRenderMode(GL_RENDER);
  std::vector<Star> stars;
  for (GLint i = 0; i + 7 < used; i += 8) {  // a point token, x y z, r g b a
    const double x = buffer[i + 1] / 160 - 2, y = buffer[i + 2] / 120 - 2,
                 z = 2 - 4 * buffer[i + 3];
    stars.push_back({x, y, z, std::hypot(x, y, z), buffer[i + 4], buffer[i + 5], buffer[i + 6]});
  }
  return stars;
}

class Backdrop : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testsupport::startScene(); }
  void SetUp() override {
    glViewport(0, 0, 640, 480);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-2, 2, -2, 2, -2, 2);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }
  void TearDown() override { EXPECT_EQ(testsupport::firstGlError(), 0u); }
};

// Start-up's field: 2000 stars in the shell from 0.25 to 1, every channel in [0.24, 0.64). From
// seed 777 the first stars land where the generator puts them, worked out separately: x, y, z
// until inside, then the range (the first star has the wider), then blue, green, red.
TEST_F(Backdrop, StarsFillTheShellInTheGeneratorsOrder) {
  const std::vector<Star> scene = starsDrawnBy([] { glCallList(starField.starList); });
  ASSERT_EQ(scene.size(), 2000u);
  for (const Star& s : scene) {
    ASSERT_TRUE(s.r > 0.248 && s.r < 1.002) << s.r;
    ASSERT_TRUE(std::min({s.red, s.green, s.blue}) >= 0.24f &&
                std::max({s.red, s.green, s.blue}) < 0.64f);
  }
  StarField field;
  seedRandom(777);
  field.buildStarField(3, 1.0f, 0.25f, kStarShell);
  const std::vector<Star> stars = starsDrawnBy([&] { glCallList(field.starList); });
  ASSERT_EQ(stars.size(), 3u);
  const double expected[3][6] = {
      {0.334899902, 0.702087402, -0.057495117, 0.300095201, 0.577744126, 0.469309092},
      {-0.284667969, 0.701599121, 0.218811035, 0.464482427, 0.520417452, 0.568955064},
      {-0.693908691, 0.484802246, -0.497009277, 0.486521006, 0.451796889, 0.456044912}};
  for (int i = 0; i < 3; ++i) {
    const double got[6] = {stars[i].x,   stars[i].y,     stars[i].z,
                           stars[i].red, stars[i].green, stars[i].blue};
    for (int k = 0; k < 6; ++k)
      EXPECT_NEAR(got[k], expected[i][k], k < 3 ? 2e-3 : 1e-6) << "star " << i << " value " << k;
  }
  field.buildStarField(300, 0.5f, 0.9f, kStarShell);  // no room: an empty list, not a hang
  EXPECT_TRUE(starsDrawnBy([&] { glCallList(field.starList); }).empty());
  field.releaseStarField();
}

// A point light (cutoff 180) at a place given in eye coordinates, whatever the model-view holds,
// which is left as it was; its colours are grey levels times the common level, alpha 1; it
// stays on when black.
TEST_F(Backdrop, LightIsAPointInEyeCoordinatesWithItsLevels) {
  glTranslatef(3, -2, 5);
  glRotatef(47, 0.3f, 1, 0.2f);
  GLfloat before[16], after[16], position[4], cutoff, c[5][4];
  glGetFloatv(GL_MODELVIEW_MATRIX, before);
  setupLight(3, 0.6f, -0.25f, 0.8f, 0.125f, 0.9f, 0.8f, 0.7f, 0.5f);
  glGetFloatv(GL_MODELVIEW_MATRIX, after);
  glGetLightfv(GL_LIGHT3, GL_POSITION, position);
  glGetLightfv(GL_LIGHT3, GL_SPOT_CUTOFF, &cutoff);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(after[i], before[i]) << "model-view entry " << i;
  const float place[4] = {0.6f, -0.25f, 0.8f, 1};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(position[i], place[i], 1e-6) << "position " << i;
  EXPECT_EQ(cutoff, 180.0f);
  glGetFloatv(GL_LIGHT_MODEL_AMBIENT, c[0]);
  glGetLightfv(GL_LIGHT3, GL_AMBIENT, c[1]);
  glGetLightfv(GL_LIGHT3, GL_DIFFUSE, c[2]);
  glGetLightfv(GL_LIGHT3, GL_SPECULAR, c[3]);
  glGetMaterialfv(GL_BACK, GL_SPECULAR, c[4]);
  const float levels[5] = {0.0625f, 0.0625f, 0.45f, 0.4f, 0.35f};
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(c[i][0] == levels[i] && c[i][1] == c[i][0] && c[i][2] == c[i][0] && c[i][3] == 1)
        << i;
  }
  setupLight(3, 1, 0, 0, 0.125f, 0.9f, 0.8f, 0.7f, 0);  // black
  for (int i = 0; i < 8; ++i) EXPECT_EQ(glIsEnabled(GL_LIGHT0 + i), i == 3) << "light " << i;
  glDisable(GL_LIGHT3);
}

// Nothing switched on, blend (SRC_ALPHA, ONE_MINUS_SRC_ALPHA), alpha test (GREATER, 0), depth
// writes on, model-view current, one matrix on each stack, no attributes pushed; polygon mode and
// viewport are the frame's (set per row below).
// clang-format off
const GlStateSnapshot kBaseline = {false, false, false, false, false, false, false, false,
                                   GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_GREATER, 0.0f, true,
                                   GL_MODELVIEW, 1, 1, 0, {GL_FILL, GL_FILL}, {0, 0, 320, 240}};
// clang-format on

bool checking = false;
GlStateSnapshot expected = kBaseline;
std::string leaks;  // lines such as "before the planet: GL_BLEND", each once

void checkBetweenSteps(const char* where) {
  const std::string difference = describeGlStateDifference(expected, captureGlState());
  const std::string leak = "\n  " + std::string(where) + ": " + difference;
  if (checking && !difference.empty() && leaks.find(leak) == std::string::npos) leaks += leak;
}

}  // namespace

// The linker sends the program's own calls of some drawing steps here (tests/backdrop/
// CMakeLists.txt): the state is checked on the way in, which catches what the steps before left,
// also those that cannot be called alone (the sun, flash, meteor, moon, fragments), and out.
#define CHECKED(symbol, name, params, args) \
  void __real_##symbol params;              \
  void __wrap_##symbol params {             \
    checkBetweenSteps("before " name);      \
    __real_##symbol args;                   \
    checkBetweenSteps("after " name);       \
  }
extern "C" {
CHECKED(_Z15drawImpactScenev, "the impact scene", (), ())
CHECKED(_Z10drawPlanetf, "the planet", (float b), (b))
CHECKED(_ZN14ParticleSystem15updateParticlesEidff, "the particle update",
        (ParticleSystem * p, int k, double n, float dt, float v), (p, k, n, dt, v))
CHECKED(_ZN14ParticleSystem13drawParticlesEiffffd, "the particles",
        (ParticleSystem * p, int k, float s, float f, float pi, float h, double n),
        (p, k, s, f, pi, h, n))
}

namespace {

// The modes that change a step's calls, each from a reset: the planet images whose layers differ
// (craters, colour cycling, plain, Earth's clouds and moon), lighting off, lines, points,
// hyperspace, help and frame rate, readouts, the manual camera, no stars, letterbox bars.
constexpr std::tuple<const char*, int, int, int> kModes[] = {  // keys, polygon mode, viewport y, h
    {"", GL_FILL, 0, 240},      {"0", GL_FILL, 0, 240},   {"1", GL_FILL, 0, 240},
    {"2", GL_FILL, 0, 240},     {"3s", GL_FILL, 0, 240},  {"1s", GL_FILL, 0, 240},
    {"w", GL_LINE, 0, 240},     {"ww", GL_POINT, 0, 240}, {" ", GL_FILL, 0, 240},
    {"?c", GL_FILL, 0, 240},    {"nv", GL_FILL, 0, 240},  {"nnu", GL_FILL, 0, 240},
    {"lll2s", GL_FILL, 36, 168}};
// The cycle's acts: fade-in, meteor, strike (with its burst), flash and glow, tremble, break,
// fragments, the next planet.
constexpr float kClocks[] = {-4.5f, -0.5f, 0.99f, 1.5f, 3.5f, 4.99f, 7.0f, 8.99f};

TEST_F(Backdrop, EveryDrawingStepInEveryModeFindsAndLeavesTheBaseline) {
  testsupport::startScene(320, 240);  // the first row draws the title over the fading-in scene
  for (const auto& [keys, polygonMode, bottom, height] : kModes) {
    if (*keys != '\0' && testsupport::toolkitMs() < 20'000) testsupport::frameAt(20'000);
    testsupport::pressKey('r');
    testsupport::pressKeys(keys);
    testsupport::click();
    testsupport::frameAfter(16);  // sets up the mode's view
    expected = kBaseline;
    expected.polygonMode[0] = expected.polygonMode[1] = polygonMode;
    expected.viewport[1] = bottom;
    expected.viewport[3] = height;
    checking = true;
    for (const float clock : kClocks) {
      impactClock = clock;
      testsupport::frameAfter(16);
      checkBetweenSteps("between frames");
      EXPECT_EQ(testsupport::sceneFault(), "") << "keys '" << keys << "', clock " << clock;
    }
    checking = false;
    EXPECT_EQ(leaks, "") << "keys '" << keys << "'";
    leaks.clear();
  }
}

}  // namespace
