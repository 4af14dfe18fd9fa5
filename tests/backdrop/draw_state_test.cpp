// Every drawing step of the backdrop, the particle pool and the sun leaves the scene's
// baseline GL state as it found it and raises no GL error: one table, one check per row.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "app/gl_state.h"
#include "backdrop/gl_test_helpers.h"
#include "backdrop/light.h"
#include "backdrop/star_field.h"
#include "fx/particles.h"
#include "image/texture_table.h"
#include "sim/numeric.h"
#include "sim/sun.h"
#include "support/gl_context.h"

namespace {

struct DrawStep {
  std::string name;
  std::function<void()> run;
};

class DrawStateTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    testsupport::ensureGlContext(640, 480);
    seedRandom(22);
    field.buildStarField(200, 1.0f, 0.25f, kStarShell);
    livePool = std::make_unique<ParticleSystem>();
    livePool->configureImpactParticles();
    for (int kind = 0; kind < kParticleKinds; ++kind) {
      for (int i = 0; i < 5; ++i) livePool->spawnParticle(kind, 0, 0, -0.5f, 1.0, 1.0f);
    }
    emptyPool = std::make_unique<ParticleSystem>();
    // The sun's texture as start-up creates it: 128 x 128 RGBA, no mipmaps.
    glGenTextures(1, &sunTexture);
    glBindTexture(GL_TEXTURE_2D, sunTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kSunTextureSize, kSunTextureSize, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
  }
  static void TearDownTestSuite() {
    field.releaseStarField();
    glDeleteTextures(1, &sunTexture);
    sunTexture = 0;
    livePool.reset();
    emptyPool.reset();
  }

  static StarField field;
  static StarField emptyField;
  static std::unique_ptr<ParticleSystem> livePool;
  static std::unique_ptr<ParticleSystem> emptyPool;
};

StarField DrawStateTest::field;
StarField DrawStateTest::emptyField;
std::unique_ptr<ParticleSystem> DrawStateTest::livePool;
std::unique_ptr<ParticleSystem> DrawStateTest::emptyPool;

TEST_F(DrawStateTest, EveryDrawingStepRestoresTheBaseline) {
  const float pitch = 20, heading = -35;
  std::vector<DrawStep> steps = {
      {"star field", [] { field.drawStarField(); }},
      {"star field without a list", [] { emptyField.drawStarField(); }},
      {"sun texture update", [] { updateSunTexture(); }},
      {"sun billboard", [] { drawSunBillboard(); }},
      {"light", [] { setupLight(0, 1, 0, 0, 0.125f, 0.9f, 0.9f, 0.9f, 1.0f); }},
  };
  for (int kind = 0; kind < kParticleKinds; ++kind) {
    steps.push_back({"particles of kind " + std::to_string(kind),
                     [=] { livePool->drawParticles(kind, 1, 1, pitch, heading, 1.2); }});
    steps.push_back({"empty pool, kind " + std::to_string(kind),
                     [=] { emptyPool->drawParticles(kind, 1, 1, pitch, heading, 1.2); }});
  }
  for (int kind : {-1, 5}) {
    steps.push_back({"invalid kind " + std::to_string(kind),
                     [=] { livePool->drawParticles(kind, 1, 1, pitch, heading, 1.2); }});
  }

  for (const DrawStep& step : steps) {
    gltest::applySceneBaseline();
    gltest::useOrthoBox(640, 480, 1.0);
    testsupport::firstGlError();
    ASSERT_EQ(captureGlState(), baselineGlState()) << "baseline before " << step.name;
    step.run();
    const GlStateSnapshot after = captureGlState();
    EXPECT_EQ(after, baselineGlState())
        << step.name << " changed: " << describeGlStateDifference(baselineGlState(), after);
    EXPECT_EQ(testsupport::firstGlError(), 0u) << step.name;
  }
}

// A kind the pool does not know must not even touch state outside the snapshot.
TEST_F(DrawStateTest, InvalidKindLeavesPointSizeAndColourAlone) {
  gltest::applySceneBaseline();
  glPointSize(3);
  glColor4f(0.25f, 0.5f, 0.75f, 1);
  for (int kind : {-7, 5, 99}) livePool->drawParticles(kind, 1, 1, 0, 0, 1.2);
  GLfloat size = 0, colour[4] = {};
  glGetFloatv(GL_POINT_SIZE, &size);
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_EQ(size, 3.0f);
  EXPECT_EQ(colour[0], 0.25f);
  EXPECT_EQ(colour[1], 0.5f);
  EXPECT_EQ(colour[2], 0.75f);
  glPointSize(1);
}

}  // namespace
