// Every drawing step of the backdrop, the particles, the sun and the text leaves the scene's
// baseline GL state behind and raises no GL error: one table of steps, one check per row.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/gl_state.h"
#include "backdrop/light.h"
#include "backdrop/star_field.h"
#include "fx/particles.h"
#include "image/texture_table.h"
#include "sim/sun.h"
#include "support/scene_driver.h"
#include "text/help_screen.h"
#include "text/text_display.h"

namespace {

// Nothing switched on, blend (SRC_ALPHA, ONE_MINUS_SRC_ALPHA), alpha test (GREATER, 0), depth
// writes on, model-view current, one matrix on each stack, no attributes pushed.
// clang-format off
const GlStateSnapshot kBaseline = {false, false, false, false, false, false, false,
                                   GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_GREATER, 0.0f, true,
                                   GL_MODELVIEW, 1, 1, 0};
// clang-format on

TEST(DrawState, EveryDrawingStepRestoresTheBaseline) {
  testsupport::startScene();
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
