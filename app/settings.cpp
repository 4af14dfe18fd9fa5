// Scene settings: the single settings object, the global flags and the reset that
// gives every value its default.
#include "app/settings.h"

#include <GL/gl.h>

#include <cmath>

#include "app/camera.h"
#include "app/frame_step.h"
#include "app/startup.h"
#include "fx/particles.h"
#include "sim/impact.h"
#include "sim/numeric.h"

// The reset keeps a decaying camera kick, unless it is larger than this many scene units (only a
// runaway object size gives such a kick) or not a number: it would keep the planet out of view
// long after the reset.
constexpr float kLargestKeptJolt = 1.0f;

SceneSettings sceneSettings;

int paused = 0;
int readoutMode = 0;
int fullScreen = 1;
int helpShown = 0;
int forceClear = 0;
double exitFadeStart = 0;
int letterboxStep = 0;
int firstResetDone = 0;

namespace {

bool keepsJolt(float component) {
  return std::fabs(component) <= kLargestKeptJolt;  // false for NaN as well
}

void restoreDefaults(SceneSettings& s) {
  s.fieldOfView = 70;
  s.letterbox = 0;
  s.tessellation = 30;
  s.universeOn = 1;
  s.clearEachFrame = 1;
  s.spotlightsOn = 1;
  s.polyMode = 0;
  s.cameraMode = 0;
  s.impactSoundOn = 1;
  s.planetImage = 3;
  s.fpsClockOn = 0;
  s.rotateSpeed = 1.0f;
  s.movementSpeed = 1.0f;
  s.cameraZ = 0.35f;
  s.objectSize = 1.0f;
  s.mainSpeed = 1.0f;
  s.homeEndSpeed = 1.0f;
  s.lightRotateSpeed = 1.0f;
}

}  // namespace

void resetScene() {
  seedRandom(static_cast<unsigned>(elapsedMs));
  glClearColor(0, 0, 0, 1);
  exitFadeStart = 0;  // a reset during the exit fade cancels the exit
  restoreDefaults(sceneSettings);
  fadeLevel = 1.0f;
  paused = 0;
  particleSystem.clearParticles();
  cameraOffset = Vec3d{};
  cameraPitch = 0;
  cameraHeading = 0;
  if (!(keepsJolt(cameraJolt.x) && keepsJolt(cameraJolt.y) && keepsJolt(cameraJolt.z))) {
    cameraJolt = Vec3f{};
  }
  // The first reset keeps the start value, so the first meteor arrives 8 s after start.
  if (firstResetDone) impactClock = -1.0f;
  aimImpact(0);
  firstResetDone = 1;
  readoutMode = 0;
}
