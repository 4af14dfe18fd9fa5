// Test support: the scene as the program starts and redraws it, on a synthetic toolkit clock,
// with input through the program's handlers and a log of the sounds the frames ask for.
#include "support/scene_driver.h"

#include <GL/freeglut.h>

#include <cstdint>
#include <filesystem>

#include "app/camera.h"
#include "app/frame_step.h"
#include "app/input.h"
#include "app/settings.h"
#include "app/startup.h"
#include "sim/impact.h"
#include "sim/numeric.h"
#include "sim/sound.h"
#include "sim/sun.h"
#include "text/text_display.h"

namespace testsupport {

namespace {

int clockMs = 0;          // the synthetic toolkit count
bool frameDrawn = false;  // a frame waits in the back buffer for its swap
std::vector<SoundCall> sounds;

void noDisplay() {}

// The values a fresh process starts with, for what initScene leaves as it finds it.
void restoreProcessStart() {
  resetFrameClock();
  firstResetDone = 0;
  impactClock = -7.0f;
  fadeLevel = 1.0f;
  fullScreen = 1;
  helpShown = 0;
  forceClear = 0;
  letterboxStep = 0;
  sunRaysCreated = false;
  cameraJolt = Vec3f{};
  mouseOffset = PointerOffset{};
  mouseMoved = 0;
  textDisplay = TextDisplay{};
}

}  // namespace

void startScene(int width, int height) {
  ensureGlContext(width, height);
  // Window events (the full-screen key resizes) go to the real reshape; redraws are ours.
  glutDisplayFunc(noDisplay);
  glutReshapeFunc(onReshape);
  if (std::filesystem::is_directory(KRATEON_ASSET_DIR)) {
    std::filesystem::current_path(KRATEON_ASSET_DIR);
  }
  restoreProcessStart();
  clockMs = 0;
  elapsedMs = 0;
  seedRandom(kInitialSeed);
  initScene();
  onReshape(width, height);
  frameDrawn = false;
  sounds.clear();
}

int toolkitMs() {
  return clockMs;
}

void frameAt(int ms) {
  if (frameDrawn) glutSwapBuffers();
  clockMs = ms;
  elapsedMs = ms;
  const int requests = soundRequestCount();
  frameStep();
  if (soundRequestCount() != requests) sounds.push_back({now, lastSoundRequested()});
  frameDrawn = true;
}

void frameAfter(int stepMs) {
  frameAt(
      static_cast<int>(static_cast<std::uint32_t>(clockMs) + static_cast<std::uint32_t>(stepMs)));
}

void runFrames(int count, int stepMs) {
  for (int frame = 0; frame < count; ++frame) frameAfter(stepMs);
}

bool runUntilImpactClock(float clock, int limit, int stepMs) {
  for (int frame = 0; frame < limit; ++frame) {
    if (impactClock > clock) return true;
    frameAfter(stepMs);
  }
  return impactClock > clock;
}

void pressKey(unsigned char key) {
  onKeyboard(key, 0, 0);
}

void pressKeys(const char* keys) {
  for (const char* key = keys; *key != '\0'; ++key) pressKey(static_cast<unsigned char>(*key));
}

void pressSpecialKey(int key) {
  onSpecialKeyDown(key, 0, 0);
  onSpecialKeyUp(key, 0, 0);
}

void click(int button) {
  onMouseButton(button, GLUT_DOWN, kPointerHomeX, kPointerHomeY);
  onMouseButton(button, GLUT_UP, kPointerHomeX, kPointerHomeY);
}

void movePointer(int x, int y) {
  onMouseMotion(x, y);
}

const std::vector<SoundCall>& soundLog() {
  return sounds;
}

void clearSoundLog() {
  sounds.clear();
}

std::string messageText() {
  return textDisplay.recordedText;
}

}  // namespace testsupport
