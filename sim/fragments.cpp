// The shattered planet: 200 fragments of the surface drifting apart and fading around a
// glowing core, with the Earth's clouds breaking up alongside.
#include "sim/fragments.h"

#include "core/frame_clock.h"
#include "core/numeric.h"
#include "core/phase_bank.h"
#include "core/settings.h"
#include "sim/impact_state.h"
#include "sim/planet.h"

namespace {

constexpr int kFragmentColumns = 20;                   // fragments per sweep of u
constexpr int kFragmentsPerRow = 10;                   // fragments per step of v
constexpr float kColumnStep = 0.05f;                   // u fraction between neighbouring fragments
constexpr float kRowStep = 0.1f;                       // v fraction between rows of fragments
constexpr double kUExtentPerTessellation = 1.0 / 400;  // a fragment's width in u...
constexpr double kVExtentPerTessellation = 1.0 / 200;  // ...and height in v, per slice
constexpr double kVelocitySpread = 0.2;                // each velocity component in [-0.1, 0.1)
constexpr double kSpinSpread = 100;                    // spinZ in [-50, 50)
constexpr float kBreakStart = 5.0f;                    // impactClock
constexpr float kFadeHold = 0.33f;  // quarter-seconds of full brightness after the break
constexpr float kFadeRate = 1.5f;
constexpr float kCoreGreen = 0.35f;  // the core's colour is (1, 0.35, 0) times its brightness

}  // namespace

PlanetFragment fragments[kFragmentCount];

namespace {

void resetFragment(PlanetFragment& f, int index, int tessellation) {
  f.positionX = f.positionY = f.positionZ = 0;
  // Drawn in this order, fragment after fragment, so a seed reproduces the break.
  f.velocityX = static_cast<float>(randomUniform(kVelocitySpread) - kVelocitySpread / 2);
  f.velocityY = static_cast<float>(randomUniform(kVelocitySpread) - kVelocitySpread / 2);
  f.velocityZ = static_cast<float>(randomUniform(kVelocitySpread) - kVelocitySpread / 2);
  f.angleY = f.angleX = f.angleZ = 0;
  f.spinY = f.spinX = 0;
  f.spinZ = static_cast<float>(randomUniform(kSpinSpread) - kSpinSpread / 2);
  f.uStart = (index % kFragmentColumns) * kColumnStep;
  f.vStart = (index / kFragmentsPerRow) * kRowStep;
  f.uEnd = static_cast<float>(f.uStart + tessellation * kUExtentPerTessellation);
  f.vEnd = static_cast<float>(f.vStart + tessellation * kVExtentPerTessellation);
}

void resetFragments() {
  const int tessellation = sceneSettings.tessellation;
  for (int i = 0; i < kFragmentCount; ++i) resetFragment(fragments[i], i, tessellation);
  const float speed = static_cast<float>(phaseWave(19, 100, 1.9, 0.1));
  for (PlanetFragment& f : fragments) f.speed = speed;
}

void advanceFragments() {
  for (PlanetFragment& f : fragments) {
    const float k = frameDt * f.speed * sceneSettings.objectSize;
    f.positionX += k * f.velocityX;
    f.positionY += k * f.velocityY;
    f.positionZ += k * f.velocityZ;
    f.angleY += k * f.spinY;
    f.angleX += k * f.spinX;
    f.angleZ += k * f.spinZ;
  }
}

// Full brightness for the first 1.32 s of the break, then down the cosine to 0 at 8.987.
float fragmentBrightness() {
  const float s = (impactClock - kBreakStart) * 0.25f;
  const float f = s > kFadeHold ? fadeLevel * (1 - (s - kFadeHold) * kFadeRate) : fadeLevel;
  return easeBlend(0, 1, f);
}

// The glowing interior seen between the fragments, in the current (orange) colour.
void drawCore() {
  const SceneSettings& s = sceneSettings;
  glBindTexture(GL_TEXTURE_2D, planetTexture(kCloudImage));
  glPushMatrix();
  {
    applyPlanetSpin();
    drawSphere(kCoreRadius * s.objectSize, s.tessellation, s.tessellation, 1, 1, 0, 0);
  }
  glPopMatrix();
}

// Every fragment's patch of a sphere of the given radius, carried by the planet's spin and
// by the fragment's own flight and turn.
void drawFragmentPatches(double radius, float uOffset) {
  const SceneSettings& s = sceneSettings;
  for (const PlanetFragment& f : fragments) {
    glPushMatrix();
    {
      applyPlanetSpin();
      glTranslatef(f.positionX, f.positionY, f.positionZ);
      glRotatef(f.angleY, 0, 1, 0);
      glRotatef(f.angleX, 1, 0, 0);
      glRotatef(f.angleZ, 0, 0, 1);
      drawSpherePatch(static_cast<float>(radius), s.tessellation, s.tessellation, uOffset, 0,
                      f.uStart, f.vStart, f.uEnd, f.vEnd);
    }
    glPopMatrix();
  }
}

// The shattered planet, depth-tested with culling off so both faces of a fragment show:
// 1. the core, lit when the spotlights are on, opaque orange;
// 2. the body fragments, alpha-blended so they fade with the break;
// 3. for the Earth, the cloud fragments added on top.
void drawShatteredPlanet() {
  const SceneSettings& s = sceneSettings;
  glEnable(GL_DEPTH_TEST);
  const float fb = fragmentBrightness();
  const GLfloat specular[4] = {fb, fb, fb, 1};
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
  glColor4f(fb, kCoreGreen * fb, 0, 1);
  if (s.spotlightsOn) glEnable(GL_LIGHTING);
  glEnable(GL_TEXTURE_2D);
  drawCore();

  setBodyColour(fb, fb);
  glBindTexture(GL_TEXTURE_2D, planetBodyTexture(s.planetImage));
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  drawFragmentPatches(kPlanetRadius * s.objectSize, 0);
  glDisable(GL_BLEND);

  if (builtInPlanetShown() == kEarthImage) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    const float c = kCloudBrightness * fb;
    glColor4f(c, c, c, fb);
    glBindTexture(GL_TEXTURE_2D, planetTexture(kCloudImage));
    drawFragmentPatches(kCloudRadius * s.objectSize, static_cast<float>(cloudDriftOffset()));
    glDisable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  }

  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  if (s.spotlightsOn) glDisable(GL_LIGHTING);
}

}  // namespace

void planetFragments(int mode) {
  if (mode == 0) {
    resetFragments();
  } else if (mode == 1) {
    advanceFragments();
    drawShatteredPlanet();
  }
}
