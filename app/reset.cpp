// The scene's reset: the settings' defaults, the fades, the particles, the camera and the next
// impact, in the order the program has always reset them.
#include "app/reset.h"

#include <GL/gl.h>

#include <cmath>

#include "core/camera_state.h"
#include "core/frame_clock.h"
#include "core/numeric.h"
#include "core/settings.h"
#include "fx/particles.h"
#include "sim/impact.h"
#include "sim/planet.h"

namespace {

// The reset keeps a decaying camera kick, unless it is larger than this many scene units (only a
// runaway object size gives such a kick) or not a number: it would keep the planet out of view
// long after the reset.
constexpr float kLargestKeptJolt = 1.0f;

bool keepsJolt(float component) {
  return std::fabs(component) <= kLargestKeptJolt;  // false for NaN as well
}

}  // namespace

void resetScene() {
  seedRandom(static_cast<unsigned>(elapsedMs));
  glClearColor(0, 0, 0, 1);
  exitFadeStart = 0;  // a reset during the exit fade cancels the exit
  restoreDefaults(sceneSettings);
  keepPlanetInCycle();  // the default planet may lie beyond the user's maps
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
