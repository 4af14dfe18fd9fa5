// The scene's start-up, frames and end: the fixed GL state, the textures and what is built from
// them, the first message, and the release of resources when the program ends.
#include "app/startup.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>

#include "app/frame_pacing.h"
#include "app/frame_step.h"
#include "app/input.h"
#include "app/program_options.h"
#include "app/reset.h"
#include "app/text_scale.h"
#include "app/user_maps.h"
#include "app/window_host.h"
#include "backdrop/star_field.h"
#include "core/frame_clock.h"
#include "core/phase_bank.h"
#include "fx/particles.h"
#include "image/bmp.h"
#include "image/procedural.h"
#include "image/texture_table.h"
#include "sim/fragments.h"
#include "sim/sound.h"
#include "sim/sun.h"
#include "text/text_display.h"

namespace {

constexpr int kStarCount = 2000;
constexpr float kStarOuterRadius = 1.0f;
constexpr float kStarInnerRadius = 0.25f;

// Lighting, material, shading, blending and fog parameters that hold for the whole run.
void setFixedGlState() {
  glEnable(GL_COLOR_MATERIAL);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
  glMateriali(GL_FRONT_AND_BACK, GL_SHININESS, 50);
  glShadeModel(GL_SMOOTH);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glAlphaFunc(GL_GREATER, 0);
  const GLfloat fogColor[4] = {0, 0, 0, 1};
  glFogi(GL_FOG_MODE, GL_LINEAR);
  glFogfv(GL_FOG_COLOR, fogColor);
  glFogf(GL_FOG_START, 0.5f);
  glFogf(GL_FOG_END, 10.0f);
  glFogf(GL_FOG_DENSITY, 0.1f);
}

}  // namespace

bool initScene() {
  seedPhaseBank(kPhasesUsed);
  resetScene();
  setupView();
  setFixedGlState();
  loadAllTextures();
  if (programOptions.soundOn) initSound();
  readDesktopDpi();
  followTextScale(windowHeight);
  // In a foreign window the keys belong to its owner (a key ends a screensaver).
  if (!drawingInForeignWindow) textDisplay.showMessage("Press ? key for Help Screen");
  hostWarpPointer(kPointerHomeX, kPointerHomeY);
  applyCursorRule();  // hidden full screen; the arrow in a window started with --window
  return true;
}

void loadAllTextures() {
  clearTextureTable();

  // Sprites from files: alpha from brightness, no mipmaps.
  fontTexture = storeNextSlot(loadBmpTexture128("font.bmp", -1, 0, 0));
  textDisplay.fontTexture = fontTexture;
  smokeTexture = storeNextSlot(loadBmpTexture128("smoke128.bmp", -1, 0, 0));
  particleSystem.spriteTexture = smokeTexture;

  // Computed images. The sun's disc is only storage: its first animated frame replaces it.
  discTexture = storeNextSlot(makeProceduralTexture(kDisc, 0));
  particleSystem.discSpriteTexture = discTexture;
  flashTexture = storeNextSlot(makeProceduralTexture(kRing, 0));
  sunTexture = storeNextSlot(makeProceduralTexture(kDisc, 0));
  updateSunTexture();
  glowTexture = storeNextSlot(makeProceduralTexture(kWavyBand, 0));
  planetTextureBase = textureCount;

  // Planet images: opaque (every channel is >= 0), mipmapped for the small distant planet.
  for (const char* fileName : kPlanetImageFiles) {
    storeNextSlot(loadBmpTexture256(fileName, 255, 0, 1));
  }
  loadUserMaps();

  starField.buildStarField(kStarCount, kStarOuterRadius, kStarInnerRadius, kStarShell);
  particleSystem.configureImpactParticles();
  planetFragments(0);
}

void shutdownScene() {
  starField.releaseStarField();
  clearTextureTable();
  shutdownSound();
}

void endProgram(int status) {
  std::fflush(stdout);
  std::exit(status);
}

void onReshape(int width, int height) {
  windowWidth = width;
  windowHeight = height;
  followTextScale(height);
  glViewport(0, 0, width, height);
}

void showNextFrame() {
  noteFrameStart();
  elapsedMs = hostElapsedMs();
  frameStep();
  hostSwapBuffers();
}
