// The frame step: turns the toolkit's milliseconds into the frame clock, runs the fades,
// sets up the view and draws the scene and the text overlay in a fixed order.
#include "app/frame_step.h"

#include <GL/glu.h>

#include <algorithm>

#include "app/camera.h"
#include "app/startup.h"
#include "backdrop/star_field.h"
#include "core/frame_clear.h"
#include "core/frame_clock.h"
#include "core/numeric.h"
#include "core/phase_bank.h"
#include "core/settings.h"
#include "sim/impact.h"
#include "sim/sun.h"
#include "text/help_screen.h"
#include "text/text_display.h"

namespace {

constexpr double kIntroFadeSeconds = 3.0;
constexpr double kExitFadeSeconds = 2.0;
constexpr float kExitLevel = 0.02f;
constexpr double kTitleSeconds = 10.0;
constexpr double kTitleTravelSeconds = 8.0;
constexpr double kMinViewAngle = 1.0;  // degrees: the projection stays a real perspective
constexpr double kMaxViewAngle = 179.0;

void countFrame() {
  ++fpsFrameCount;
  if (now >= fpsNextSecond) {
    // One second per update, so after a long stall the mark catches up a second a frame.
    fpsNextSecond += 1.0;
    framesPerSecond = fpsFrameCount;
    fpsFrameCount = 0;
  }
}

// The picture fades in over the first 3 s. Full brightness comes with the first frame at or
// after the mark, not with the last one before it: a start-up without a frame near 3 s (the
// window hidden, a slow first second) must not stay dim.
void runIntroFade() {
  if (now < kIntroFadeSeconds) {
    fadeLevel = static_cast<float>(now / kIntroFadeSeconds);
  } else if (exitFadeStart == 0) {
    fadeLevel = 1.0f;
  }
}

void runExitFade() {
  if (exitFadeStart == 0) return;
  fadeLevel = static_cast<float>(1.0 - (now - exitFadeStart) / kExitFadeSeconds);
  if (fadeLevel < kExitLevel) {
    shutdownScene();
    endProgram(0);
  }
}

// The title slides from the top-left corner to the bottom-right one in 8 s.
void drawIntroTitle() {
  if (now >= kTitleSeconds) return;
  const double travel = now / kTitleTravelSeconds;
  const int scale = textDisplay.scale;  // the text's positions count in units of this many pixels
  textDisplay.recordText = 0;
  textDisplay.drawText("Krateon",
                       static_cast<short>(static_cast<int>(travel * windowWidth / scale)),
                       static_cast<short>(static_cast<int>(travel * windowHeight / scale)), 40);
  textDisplay.recordText = 1;
}

}  // namespace

bool frameStep() {
  if (randomUniform(1) < 0.01) seedRandom(static_cast<unsigned>(elapsedMs));
  advanceFrameClock(elapsedMs);
  driftPhaseBank(kPhasesUsed, frameDt, sceneSettings, paused);
  countFrame();
  runIntroFade();
  setupView();
  updateCamera();
  if (sceneSettings.clearEachFrame || forceClear) {
    clearColourAndDepth();  // glClear of colour and depth, the depth only where it was written
  }
  forceClear = 0;
  drawScene();
  if (textDisplay.messageExpiry != 0.0) textDisplay.drawMessage();
  if (sceneSettings.fpsClockOn) textDisplay.drawFrameRate(framesPerSecond);
  if (helpShown) drawHelpScreen();
  runExitFade();
  drawIntroTitle();
  textDisplay.showGlError();
  return true;
}

void drawScene() {
  if (sceneSettings.universeOn) {
    glPushMatrix();
    { starField.drawStarField(); }
    glPopMatrix();
  }
  textureAnimTimer += frameDt;
  if (textureAnimTimer > kTextureAnimInterval) {
    textureAnimTimer = 0;
    updateSunTexture();
  }
  drawImpactScene();
  if (sceneSettings.cameraMode == 1) drawCameraAngleLines();
  if (readoutMode == 1) drawMatrixReadout();
  if (readoutMode == 2) drawDirectionReadout();
  textDisplay.resetMessagePosition();
}

void setupView() {
  const SceneSettings& s = sceneSettings;
  if (s.polyMode == 0) glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  if (s.polyMode == 1) glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  if (s.polyMode == 2) glPolygonMode(GL_FRONT_AND_BACK, GL_POINT);

  // Letterbox bars of letterbox * 5 % of the height at the top and the bottom.
  const float bar = s.letterbox * 0.05f;
  const int bottom = static_cast<int>(bar * windowHeight);
  const int top = static_cast<int>((1.0f - bar) * windowHeight);
  const int visibleHeight = top - bottom;
  glViewport(0, bottom, windowWidth, visibleHeight > 0 ? visibleHeight : 0);

  // With no visible row the aspect is undefined; the empty viewport shows nothing either way,
  // so a neutral aspect keeps the projection finite.
  const double aspect = visibleHeight > 0 ? static_cast<double>(windowWidth) / visibleHeight : 1.0;
  // Letterbox narrows the view so the bars do not shrink the planet. With the narrowest field
  // of view the difference reaches 0 or below, where the projection would turn flat and then
  // upside down: the angle stays within the range a perspective projection can take.
  const double fovy =
      std::clamp(s.fieldOfView - s.letterbox / 6.0 * 29.0, kMinViewAngle, kMaxViewAngle);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(fovy, aspect, 0.02, s.cameraZ + 14.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(0, 0, s.cameraZ, 0, 0, s.cameraZ - 1.0, 0, 1, 0);
}
