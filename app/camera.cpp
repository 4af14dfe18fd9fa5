// The camera: auto drift with sway, impact shake and kick, and the manual mouse mode, each
// frame turned into the model-view transform.
#include "app/camera.h"

#include <GL/gl.h>

#include <cmath>

#include "app/input.h"
#include "app/window_host.h"
#include "core/frame_clock.h"
#include "core/phase_bank.h"
#include "core/settings.h"
#include "sim/impact.h"

namespace {

constexpr int kManualCamera = 1;
constexpr double kDegreesPerPixel = 0.1;  // manual turn per pixel of offset, per frame
constexpr float kShakeFirstPeak = 2.0f;   // at the impact, clock 1
constexpr float kShakeSecondPeak = 3.0f;  // at the break, just after clock 5
constexpr double kShakeAmplitude = 0.03;  // scene units per unit of strength, peak to peak
constexpr float kJoltDecayPerSecond = 2.0f;

}  // namespace

namespace {

// One axis of the eye offset: the shake, whose frequency rises with the clock, plus the kick
// plus a slow sway.
double eyeOffset(int shakeSlot, float strength, float jolt, int swaySlot, double swayFrequency,
                 double swayAmplitude, double swayOffset) {
  const double shake =
      phaseWave(shakeSlot, impactClock * 0.1, kShakeAmplitude, -kShakeAmplitude / 2) * strength;
  return shake + jolt + phaseWave(swaySlot, swayFrequency, swayAmplitude, swayOffset);
}

void driftAutoCamera() {
  cameraHeading = phaseWave(2, 0.025, 360, 0);
  cameraPitch = phaseWave(1, 0.1, 60, -30);
  const float s = shakeStrength(impactClock);
  cameraOffset.x = eyeOffset(13, s, cameraJolt.x, 4, 10, 0.4, -0.2);
  cameraOffset.y = eyeOffset(14, s, cameraJolt.y, 5, 11, 0.2, -0.1);
  cameraOffset.z = eyeOffset(15, s, cameraJolt.z, 6, 12, 0.2, 0);
  const float decay = 1 - kJoltDecayPerSecond * frameDt;
  cameraJolt.x *= decay;
  cameraJolt.y *= decay;
  cameraJolt.z *= decay;
}

// The pointer is held at home; its last offset from there turns the camera every frame
// until a motion event (the warp's own one included) replaces it.
void turnManualCamera() {
  if (mouseMoved) {
    mouseMoved = 0;
    hostWarpPointer(kPointerHomeX, kPointerHomeY);
  }
  cameraPitch += mouseOffset.y * kDegreesPerPixel;
  cameraHeading += mouseOffset.x * kDegreesPerPixel;
}

}  // namespace

float shakeStrength(float clock) {
  if (clock < 1) return 0;
  if (clock < 5) return static_cast<float>(kShakeFirstPeak * std::pow((4 - (clock - 1)) * 0.25, 5));
  if (clock > 5) {
    return static_cast<float>(kShakeSecondPeak * std::pow((4 - (clock - 5)) * 0.25, 5));
  }
  return 0;
}

void updateCamera() {
  if (sceneSettings.cameraMode == kManualCamera) {
    turnManualCamera();
  } else if (!paused) {
    driftAutoCamera();
  }
  glTranslatef(static_cast<float>(-cameraOffset.x), static_cast<float>(-cameraOffset.y),
               static_cast<float>(-cameraOffset.z));
  glRotatef(static_cast<float>(cameraPitch), 1, 0, 0);
  glRotatef(static_cast<float>(cameraHeading), 0, 1, 0);
}
