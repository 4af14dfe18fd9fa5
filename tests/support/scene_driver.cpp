// Test support: the scene as the program starts and redraws it, on a synthetic toolkit clock,
// with input through the program's handlers and a log of the sounds the frames ask for.
#include "support/scene_driver.h"

#include <GL/freeglut.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include "app/camera.h"
#include "app/frame_step.h"
#include "app/input.h"
#include "app/own_window.h"
#include "app/startup.h"
#include "app/window_host.h"
#include "core/frame_clock.h"
#include "core/numeric.h"
#include "core/settings.h"
#include "fx/particles.h"
#include "image/texture_table.h"
#include "sim/impact.h"
#include "sim/planet.h"
#include "sim/sound.h"
#include "sim/sun.h"
#include "text/text_display.h"

namespace testsupport {

namespace {

int clockMs = 0;          // the synthetic toolkit count
bool frameDrawn = false;  // a frame waits in the back buffer for its swap
std::vector<SoundCall> sounds;

void noDisplay() {}

int syntheticElapsedMs() {
  return clockMs;
}

// freeglut's own window, whose elapsed time is the synthetic clock: what start-up measures of
// its own time is measured on the clock the frames run on.
WindowHost testWindowHost() {
  WindowHost host = ownWindowHost;
  host.elapsedMs = syntheticElapsedMs;
  return host;
}

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
  for (double& t : particleSystem.lastSpawnTime) t = 0;  // the clock starts again from 0
  userMapCount = 0;  // the first reset comes before any map is loaded
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
  static const WindowHost host = testWindowHost();
  useWindowHost(host);
  clockMs = 0;
  elapsedMs = 0;
  seedRandom(kInitialSeed);
  initScene();
  onReshape(width, height);
  frameDrawn = false;
  sounds.clear();
  sounds.reserve(256);  // so that logging does not allocate in the frames of a test
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

bool runUntilImpactClock(float clock) {
  for (int frame = 0; frame < 2000 && impactClock <= clock; ++frame) frameAfter(kFrameMs);
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

void press(int key) {
  if (key < 0) {
    pressSpecialKey(-key);
  } else {
    pressKey(static_cast<unsigned char>(key));
  }
}

void click() {
  onMouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, kPointerHomeX, kPointerHomeY);
  onMouseButton(GLUT_LEFT_BUTTON, GLUT_UP, kPointerHomeX, kPointerHomeY);
}

const std::vector<SoundCall>& soundLog() {
  return sounds;
}

void clearSoundLog() {
  sounds.clear();
}

int liveParticles(int kind) {
  int live = 0;
  for (const Particle& p : particleSystem.particles)
    live += p.active && (kind < 0 || p.kind == kind);
  return live;
}

std::string messageText() {
  return textDisplay.recordedText;
}

std::string sceneFault() {
  const SceneSettings& s = sceneSettings;
  // clang-format off
  const struct {
    const char* name;
    double value, low, high;
  } ranges[] = {
      {"fieldOfView", double(s.fieldOfView), 1, 179}, {"letterbox", double(s.letterbox), 0, 6},
      {"tessellation", double(s.tessellation), 3, 40}, {"polyMode", double(s.polyMode), 0, 2},
      {"planetImage", double(s.planetImage), 0, double(planetsInCycle() - 1)},
      {"readoutMode", double(readoutMode), 0, 2},
      {"letterboxStep", double(letterboxStep), -5, 6}, {"fadeLevel", fadeLevel, 0, 1},
      {"impactClock", impactClock, -7, 9}, {"cameraZ", s.cameraZ, -1e300, 1e300},
      {"cameraHeading", cameraHeading, -1e300, 1e300}, {"cameraPitch", cameraPitch, -1e300, 1e300},
      {"cameraOffset", cameraOffset.x + cameraOffset.y + cameraOffset.z, -1e300, 1e300},
      {"cameraJolt", cameraJolt.x + cameraJolt.y + cameraJolt.z, -1e300, 1e300},
      {"impactPoint", impactPoint.x + impactPoint.y + impactPoint.z, -1e300, 1e300}};
  // clang-format on
  for (const auto& r : ranges) {
    if (!(r.value >= r.low && r.value <= r.high)) {
      return std::string(r.name) + " = " + std::to_string(r.value);
    }
  }
  for (const float factor : {s.rotateSpeed, s.movementSpeed, s.mainSpeed, s.homeEndSpeed,
                             s.lightRotateSpeed, s.objectSize}) {
    if (!std::isnormal(factor) || factor < 0) return "a factor is " + std::to_string(factor);
  }
  int live = 0;
  for (const Particle& p : particleSystem.particles) {
    live += p.active;
    if (p.active && !std::isfinite(p.position[0] + p.position[1] + p.position[2])) {
      return "a live particle is not at a finite place";
    }
  }
  if (live > kMaxParticles) return "more live particles than slots";
  if (std::memchr(textDisplay.recordedText, 0, kTextBufferSize) == nullptr) {
    return "the recorded text is not terminated";
  }
  if (textDisplay.errorExpiry != 0) return textDisplay.errorText;  // a frame raised a GL error
  return "";
}

}  // namespace testsupport
