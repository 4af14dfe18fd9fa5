// The impact cycle: one clock drives the meteor's flight, the impact with its flash, burst and
// boom, the break with its thunder, and the change to the next planet image with a new aim.
#include "sim/impact.h"

#include <cmath>

#include "backdrop/light.h"
#include "core/camera_state.h"
#include "core/frame_clock.h"
#include "core/numeric.h"
#include "core/phase_bank.h"
#include "core/settings.h"
#include "fx/particles.h"
#include "image/texture_table.h"
#include "sim/fragments.h"
#include "sim/planet.h"
#include "sim/sound.h"
#include "sim/sun.h"

namespace {

// The cycle, in seconds of impactClock.
constexpr float kMeteorStart = -1.0f;  // the meteor flies in from here...
constexpr float kImpact = 1.0f;        // ...and strikes when the clock passes 1
constexpr float kImpactDone = 1.1f;    // the clock is set here once the impact has happened
constexpr float kFlashEnd = 2.0f;
constexpr float kBreak = 5.0f;      // the planet breaks when the clock passes 5
constexpr float kBreakDone = 5.1f;  // the clock is set here once the break has happened
constexpr float kCycleEnd = 9.0f;
constexpr float kCycleRestart = -5.0f;
constexpr float kFadeInEnd = -3.0f;  // the new planet is fully bright from here

constexpr int kRandomAim = 0;
constexpr int kFacingAim = 1;
constexpr double kFacingAimChance = 0.2;  // of the cycles aim at the point facing the camera
constexpr int kFireBurst = 50;
constexpr int kSmokeBurst = 10;
constexpr int kSparkBurst = 100;
constexpr float kFireDrift = 0.8f;  // fraction of the impact point the fire drifts out by
constexpr float kSmokeDrift = 0.6f;
constexpr double kMeteorRadius = 0.004;  // per unit of objectSize
constexpr int kMeteorTessellation = 3;   // a crude six-faced rock
constexpr float kMeteorApproach = 9.0f;  // distances of the impact point per clock second
constexpr double kTumbleFrequency = 100;
constexpr double kTumbleDegrees = 1000;
constexpr int kParticleKindsUsed = 3;  // fire, smoke, sparks

constexpr char kBoomFile[] = "boom.wav";
constexpr char kThunderFile[] = "thunder.wav";

}  // namespace

float brightness = 0;

namespace {

// A white point light on a circle about the viewer, once round every 31.4 s.
void lightScene() {
  const double theta = 0.2 * phases[0] + 5;
  setupLight(0, static_cast<float>(std::cos(theta)), 0, static_cast<float>(std::sin(theta)), 0.125f,
             0.9f, 0.9f, 0.9f, fadeLevel);
}

// One cycle in five aims at the point facing the camera, the others anywhere.
void startNextCycle() {
  impactClock = kCycleRestart;
  SceneSettings& s = sceneSettings;
  s.planetImage = s.planetImage >= planetsInCycle() - 1 ? 0 : s.planetImage + 1;
  const double r = randomUniform(1);
  aimImpact(r < kFacingAimChance ? kFacingAim : kRandomAim);
}

// The flash of the impact, a square tangent to the planet at the impact point that grows to a
// half-width of objectSize in one second, turning from white to blue as it fades. Blended and
// textured, without writing depth, so the planet drawn next still covers it.
void drawFlash() {
  const float s = impactClock - kImpact;
  const float w = easeBlend(0, 1, (1 - s) * fadeLevel);
  const float h = s * sceneSettings.objectSize;
  glEnable(GL_BLEND);
  glEnable(GL_TEXTURE_2D);
  glDepthMask(GL_FALSE);
  glBindTexture(GL_TEXTURE_2D, flashTexture);
  glColor4f(w, w, fadeLevel, 1 - std::sqrt(s));
  glPushMatrix();
  {
    glTranslatef(impactPoint.x, impactPoint.y, impactPoint.z);
    glRotatef(impactHeading, 0, 1, 0);
    glRotatef(impactPitch, 1, 0, 0);
    glBegin(GL_QUADS);
    {
      glTexCoord2f(0, 0);
      glVertex2f(-h, -h);
      glTexCoord2f(1, 0);
      glVertex2f(h, -h);
      glTexCoord2f(1, 1);
      glVertex2f(h, h);
      glTexCoord2f(0, 1);
      glVertex2f(-h, h);
    }
    glEnd();
  }
  glPopMatrix();
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  glDepthMask(GL_TRUE);
}

// The planet rises from dark at clock -5 to full at -3 (and follows the global fade).
void updateBrightness() {
  const float v =
      impactClock < kFadeInEnd ? (impactClock - kCycleRestart) * 0.5f * fadeLevel : fadeLevel;
  brightness = easeBlend(0, 1, v);
}

void playIfSoundOn(const char* fileName) {
  if (sceneSettings.impactSoundOn) playSound(fileName);
}

// The first frame past 5 resets the fragments; every frame of the break draws them. The test
// is in the clock's own precision, so a clock just set to 5.1 never counts as below it.
void runBreak() {
  if (impactClock < kBreakDone) {
    planetFragments(0);
    impactClock = kBreakDone;
    playIfSoundOn(kThunderFile);
  }
  planetFragments(1);
}

// The meteor closes in on the impact point along the impact direction, tumbling: 19 times as
// far out at clock -1 as at clock 1. Unlit.
void drawMeteor() {
  const SceneSettings& s = sceneSettings;
  glEnable(GL_CULL_FACE);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_TEXTURE_2D);
  glColor4f(fadeLevel, fadeLevel, fadeLevel, 1);
  glPushMatrix();
  {
    const float distance = s.objectSize * ((1 - impactClock) * kMeteorApproach + 1);
    glTranslatef(impactPoint.x * distance, impactPoint.y * distance, impactPoint.z * distance);
    glRotatef(static_cast<float>(phaseWave(10, kTumbleFrequency, kTumbleDegrees, 0)), 0, 1, 0);
    glRotatef(static_cast<float>(phaseWave(11, kTumbleFrequency, kTumbleDegrees, 0)), 1, 0, 0);
    glRotatef(static_cast<float>(phaseWave(12, kTumbleFrequency, kTumbleDegrees, 0)), 0, 0, 1);
    glBindTexture(GL_TEXTURE_2D, planetTexture(kCraterImage));
    drawSphere(kMeteorRadius * s.objectSize, kMeteorTessellation, kMeteorTessellation, 1, 1, 0, 0);
  }
  glPopMatrix();
  glDisable(GL_CULL_FACE);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
}

void setDrift(ParticleKind kind, float fraction) {
  particleSystem.driftX[kind] = fraction * impactPoint.x;
  particleSystem.driftY[kind] = fraction * impactPoint.y;
  particleSystem.driftZ[kind] = fraction * impactPoint.z;
}

void spawnBurst(ParticleKind kind, int count) {
  // A full or throttled pool refuses some; the burst is then smaller.
  for (int i = 0; i < count; ++i) {
    particleSystem.spawnParticle(kind, impactPoint.x, impactPoint.y, impactPoint.z, now, 1.0f);
  }
}

// The strike: a kick to the camera, fire, smoke and sparks thrown outward, and the boom.
void strike() {
  cameraJolt = impactPoint;
  setDrift(kFire, kFireDrift);
  setDrift(kSmoke, kSmokeDrift);
  setDrift(kSpark, 1.0f);
  spawnBurst(kFire, kFireBurst);
  spawnBurst(kSmoke, kSmokeBurst);
  spawnBurst(kSpark, kSparkBurst);
  playIfSoundOn(kBoomFile);
  impactClock = kImpactDone;
}

void runParticles() {
  const SceneSettings& s = sceneSettings;
  for (ParticleKind kind = 0; kind < kParticleKindsUsed; ++kind) {
    particleSystem.updateParticles(kind, now, frameDt, 1.0f);
  }
  for (ParticleKind kind = 0; kind < kParticleKindsUsed; ++kind) {
    particleSystem.drawParticles(kind, s.objectSize, fadeLevel, static_cast<float>(cameraPitch),
                                 static_cast<float>(cameraHeading), now);
  }
}

}  // namespace

void drawImpactScene() {
  lightScene();
  impactClock += frameDt;
  if (impactClock > kCycleEnd) startNextCycle();
  drawSunBillboard();
  if (impactClock > kImpact && impactClock < kFlashEnd) drawFlash();
  updateBrightness();
  if (impactClock <= kBreak) drawPlanet(brightness);
  if (builtInPlanetShown() == kEarthImage) drawMoon(brightness);
  if (impactClock > kBreak && impactClock < kCycleEnd) runBreak();
  if (impactClock > kMeteorStart && impactClock < kImpact) drawMeteor();
  if (impactClock > kImpact && impactClock < kImpactDone) strike();
  runParticles();
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
