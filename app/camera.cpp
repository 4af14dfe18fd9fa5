// The camera: auto drift with sway, impact shake and kick, the manual mouse mode, and the
// aim of the next meteor impact on the planet's surface.
#include "app/camera.h"

#include <GL/gl.h>

#include <cmath>

#include "app/frame_step.h"
#include "app/input.h"
#include "app/settings.h"
#include "app/startup.h"
#include "app/window_host.h"
#include "sim/impact.h"
#include "sim/planet.h"

namespace {

constexpr int kManualCamera = 1;
constexpr double kDegreesPerPixel = 0.1;  // manual turn per pixel of offset, per frame
constexpr float kShakeFirstPeak = 2.0f;   // at the impact, clock 1
constexpr float kShakeSecondPeak = 3.0f;  // at the break, just after clock 5
constexpr double kShakeAmplitude = 0.03;  // scene units per unit of strength, peak to peak
constexpr float kJoltDecayPerSecond = 2.0f;
constexpr int kRandomAim = 0;
constexpr int kFacingAim = 1;

}  // namespace

double cameraHeading = 0;
double cameraPitch = 0;
Vec3d cameraOffset;
Vec3f cameraJolt;
float impactHeading = 0;
float impactPitch = 0;
Vec3f impactPoint;

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

void aimImpact(int mode) {
  if (mode == kRandomAim) {
    impactPitch = static_cast<float>(randomUniform(360));
    impactHeading = static_cast<float>(randomUniform(360));
  } else if (mode == kFacingAim) {
    impactPitch = static_cast<float>(-cameraPitch);
    impactHeading = static_cast<float>(-cameraHeading);
  }
  // Turning (0, 0, 1) by pitch about x and then heading about y gives the third column of the
  // rotation. It is read back from GL on the model-view stack, so the mode must be model-view.
  GLint matrixMode = GL_MODELVIEW;
  glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
  if (matrixMode != GL_MODELVIEW) glMatrixMode(GL_MODELVIEW);
  GLfloat m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  glPushMatrix();
  {
    glLoadIdentity();
    glRotatef(impactHeading, 0, 1, 0);
    glRotatef(impactPitch, 1, 0, 0);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
  }
  glPopMatrix();
  if (matrixMode != GL_MODELVIEW) glMatrixMode(static_cast<GLenum>(matrixMode));
  const float radius = sceneSettings.objectSize * static_cast<float>(kPlanetRadius);
  impactPoint = Vec3f{m[8] * radius, m[9] * radius, m[10] * radius};
}
