// Every drawing step, and every frame of a whole impact cycle, leaves the scene's baseline GL
// state behind and raises no GL error: one table of steps, one check per row.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/camera.h"
#include "app/gl_state.h"
#include "backdrop/light.h"
#include "backdrop/star_field.h"
#include "fx/particles.h"
#include "image/texture_table.h"
#include "sim/impact.h"
#include "sim/sun.h"
#include "support/scene_driver.h"
#include "text/help_screen.h"
#include "text/text_display.h"

namespace {

// Nothing switched on, blend (SRC_ALPHA, ONE_MINUS_SRC_ALPHA), alpha test (GREATER, 0), depth
// writes on, model-view current, one matrix on each stack, no attributes pushed.
const GlStateSnapshot kBaseline = {false,
                                   false,
                                   false,
                                   false,
                                   false,
                                   false,
                                   false,
                                   GL_SRC_ALPHA,
                                   GL_ONE_MINUS_SRC_ALPHA,
                                   GL_GREATER,
                                   0.0f,
                                   true,
                                   GL_MODELVIEW,
                                   1,
                                   1,
                                   0};

std::string differences(const GlStateSnapshot& state) {
  return describeGlStateDifference(kBaseline, state);
}

void applyBaseline() {
  for (GLenum capability :
       {GL_BLEND, GL_ALPHA_TEST, GL_DEPTH_TEST, GL_TEXTURE_2D, GL_CULL_FACE, GL_LIGHTING, GL_FOG}) {
    glDisable(capability);
  }
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glAlphaFunc(GL_GREATER, 0);
  glDepthMask(GL_TRUE);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

TEST(DrawState, EveryDrawingStepRestoresTheBaseline) {
  testsupport::startScene();
  testsupport::runFrames(3);
  static StarField noList;
  static auto livePool = std::make_unique<ParticleSystem>(),
              emptyPool = std::make_unique<ParticleSystem>();
  livePool->configureImpactParticles();
  livePool->spriteTexture = smokeTexture;
  livePool->discSpriteTexture = discTexture;
  for (int kind = 0; kind < kParticleKinds; ++kind) {
    for (int i = 0; i < 5; ++i) livePool->spawnParticle(kind, 0, 0, -0.5f, 1.0, 1.0f);
  }
  struct Step {
    std::string name;
    std::function<void()> run;
    bool touchesNothing = false;  // not even the point size or the current colour
  };
  std::vector<Step> steps = {
      {"star field", [] { starField.drawStarField(); }},
      {"star field without a list", [] { noList.drawStarField(); }, true},
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
      {"impact scene", [] { drawImpactScene(); }},
  };
  for (int kind = -1; kind <= kParticleKinds; ++kind) {
    const bool known = kind >= 0 && kind < kParticleKinds;
    steps.push_back({"particles of kind " + std::to_string(kind),
                     [=] { livePool->drawParticles(kind, 1, 1, 20, -35, 1.2); }, !known});
    steps.push_back({"no particles of kind " + std::to_string(kind),
                     [=] { emptyPool->drawParticles(kind, 1, 1, 20, -35, 1.2); }, !known});
  }
  for (const Step& step : steps) {
    applyBaseline();
    glPointSize(3);
    glColor4f(0.25f, 0.5f, 0.75f, 1);
    testsupport::firstGlError();
    step.run();
    EXPECT_EQ(differences(captureGlState()), "") << step.name;
    EXPECT_EQ(testsupport::firstGlError(), 0u) << step.name;
    if (!step.touchesNothing) continue;
    GLfloat size = 0, colour[4] = {};
    glGetFloatv(GL_POINT_SIZE, &size);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(size, 3.0f) << step.name;
    EXPECT_EQ(colour[2], 0.75f) << step.name;
  }
}

// The same through the real frame step: a click, the strike, the break and the next planet.
TEST(DrawState, EveryFrameOfAnImpactCycleEndsAtTheBaseline) {
  testsupport::startScene();
  testsupport::runFrames(2);
  testsupport::click();
  for (int frame = 0; frame < 100; ++frame) {
    testsupport::frameAfter(100);
    ASSERT_EQ(differences(captureGlState()), "") << "frame " << frame << ", clock " << impactClock;
    ASSERT_EQ(testsupport::firstGlError(), 0u) << "frame " << frame << ", clock " << impactClock;
  }
  EXPECT_LT(impactClock, 0.0f) << "the cycle has come round to the next planet";
}

}  // namespace
