// The star field (read back through GL feedback) and the light (GL values), and the table of every
// drawing step, each of which must leave the scene's baseline GL state and raise no error.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "backdrop/light.h"
#include "backdrop/star_field.h"
#include "core/gl_state.h"
#include "core/numeric.h"
#include "fx/particles.h"
#include "image/texture_table.h"
#include "sim/sun.h"
#include "support/scene_driver.h"
#include "text/help_screen.h"
#include "text/text_display.h"

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
// writes on, model-view current, one matrix on each stack, no attributes pushed.
// clang-format off
const GlStateSnapshot kBaseline = {false, false, false, false, false, false, false,
                                   GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_GREATER, 0.0f, true,
                                   GL_MODELVIEW, 1, 1, 0};
// clang-format on

TEST_F(Backdrop, EveryDrawingStepRestoresTheBaseline) {
  testsupport::runFrames(3);
  static StarField noList;
  static auto live = std::make_unique<ParticleSystem>(), none = std::make_unique<ParticleSystem>();
  live->configureImpactParticles();
  live->spriteTexture = smokeTexture;
  live->discSpriteTexture = discTexture;
  for (int i = 0; i < 5 * kParticleKinds; ++i)
    live->spawnParticle(i % kParticleKinds, 0, 0, 0, 1, 1);
  struct Step {
    std::string name;
    std::function<void()> run;
  };
  std::vector<Step> steps = {
      {"star field", [] { starField.drawStarField(); }},
      {"star field without a list", [] { noList.drawStarField(); }},
      {"sun texture update", [] { updateSunTexture(); }},
      {"sun billboard", [] { drawSunBillboard(); }},
      {"light", [] { setupLight(0, 1, 0, 0, 0.125f, 0.9f, 0.9f, 0.9f, 1.0f); }},
      {"text", [] { textDisplay.drawText("Krateon", 10, 25, 20); }},
      {"message", [] { textDisplay.showMessage("Reset"); }},
      {"message redrawn", [] { textDisplay.drawMessage(); }},
      {"frame rate", [] { textDisplay.drawFrameRate(60); }},
      {"error line", [] { glEnable(0x7fff), textDisplay.showGlError(); }},
      {"help screen", [] { drawHelpScreen(); }},
      {"camera angles", [] { drawCameraAngleLines(); }},
      {"matrix readout", [] { drawMatrixReadout(); }},
      {"direction readout", [] { drawDirectionReadout(); }},
  };
  for (int kind = -1; kind <= kParticleKinds; ++kind) {
    for (ParticleSystem* pool : {live.get(), none.get()}) {
      steps.push_back({(pool == live.get() ? "particles of kind " : "no particles of kind ") +
                           std::to_string(kind),
                       [=] { pool->drawParticles(kind, 1, 1, 20, -35, 1.2); }});
    }
  }
  for (const Step& step : steps) {
    for (GLenum on : {GL_BLEND, GL_ALPHA_TEST, GL_DEPTH_TEST, GL_TEXTURE_2D, GL_CULL_FACE,
                      GL_LIGHTING, GL_FOG}) {
      glDisable(on);
    }
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glAlphaFunc(GL_GREATER, 0);
    glDepthMask(GL_TRUE);
    glMatrixMode(GL_MODELVIEW);
    testsupport::firstGlError();
    step.run();
    EXPECT_EQ(describeGlStateDifference(kBaseline, captureGlState()), "") << step.name;
    EXPECT_EQ(testsupport::firstGlError(), 0u) << step.name;
  }
}

}  // namespace
