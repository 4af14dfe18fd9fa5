// The whole planet: the spinning body with its tremble and colour cycling, the glow layer
// that spreads from an impact, the Earth's cloud layer, and the moon.
#include "sim/planet.h"

#include <algorithm>
#include <cmath>

#include "core/camera_state.h"
#include "core/frame_clock.h"
#include "core/numeric.h"
#include "core/phase_bank.h"
#include "core/settings.h"
#include "image/texture_table.h"
#include "sim/impact_state.h"

namespace {

constexpr double kSpinDegreesPerSecond = 20.0;
constexpr double kMoonDegreesPerSecond = 15.0;
constexpr float kMoonOrbit = 0.4f;  // scene units, not scaled by objectSize
constexpr int kMinMoonTessellation = 3;
constexpr float kTrembleStart = 3.0f;  // impactClock
constexpr float kGlowStart = 1.0f;     // impactClock
constexpr float kGlowEnd = 5.0f;       // impactClock
constexpr double kTrembleFrequency = 6000.0;
constexpr double kTrembleAmplitude = 0.004;  // scene units, peak to peak
constexpr double kColourCycleFrequency = 5.0;

// An angle of a steady turn, reduced to one turn in double precision so that it stays exact
// in the single-precision rotation however long the scene clock has run.
float turnDegrees(double degreesPerSecond) {
  return static_cast<float>(std::fmod(phases[0] * degreesPerSecond, 360.0));
}

// Before the break the planet shakes, growing from nothing at clock 3 to ±0.002 at clock 5.
void applyTremble() {
  if (impactClock <= kTrembleStart) return;
  const float e = easeBlend(0, 1, (impactClock - kTrembleStart) * 0.5f);
  const double half = kTrembleAmplitude * 0.5;
  glTranslatef(static_cast<float>(e * phaseWave(15, kTrembleFrequency, kTrembleAmplitude, -half)),
               static_cast<float>(e * phaseWave(16, kTrembleFrequency, kTrembleAmplitude, -half)),
               static_cast<float>(e * phaseWave(17, kTrembleFrequency, kTrembleAmplitude, -half)));
}

void drawBody(float b) {
  const SceneSettings& s = sceneSettings;
  setBodyColour(b, 1);
  glPushMatrix();
  {
    applyTremble();
    applyPlanetSpin();
    glBindTexture(GL_TEXTURE_2D, planetBodyTexture(s.planetImage));
    drawSphere(kPlanetRadius * s.objectSize, s.tessellation, s.tessellation, 1, 1, 0, 0);
  }
  glPopMatrix();
}

// The glow after an impact, unlit, blended over the body:
// 1. its north pole is turned onto the impact point;
// 2. the glow texture's bright band starts at the pole and, as the v offset falls from 0.5 to
//    -0.3 over clock 1..5, moves towards the opposite pole as a spreading ring;
// 3. the colour turns from opaque orange-red to a faint pale white.
void drawGlowLayer() {
  const SceneSettings& s = sceneSettings;
  const float spread = (impactClock - kGlowStart) * 0.25f;
  const float k = (1 - spread) * fadeLevel;
  glPushMatrix();
  {
    glEnable(GL_BLEND);
    glColor4f(fadeLevel, 0.9f - 0.5f * k, 0.8f - 0.75f * k, k);
    glBindTexture(GL_TEXTURE_2D, glowTexture);
    applyTremble();
    glRotatef(impactHeading, 0, 1, 0);
    glRotatef(impactPitch + 90, 1, 0, 0);
    drawSphere(kGlowRadius * s.objectSize, s.tessellation, s.tessellation, 1, 1, 0,
               0.5 - 0.2 * (impactClock - kGlowStart));
    glDisable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  }
  glPopMatrix();
}

// The Earth's clouds: the cloud image added on top of the body, drifting against it.
void drawCloudLayer(float b) {
  const SceneSettings& s = sceneSettings;
  if (s.spotlightsOn) glEnable(GL_LIGHTING);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  const float c = kCloudBrightness * b;
  glColor4f(c, c, c, 1);
  glBindTexture(GL_TEXTURE_2D, planetTexture(kCloudImage));
  glPushMatrix();
  {
    applyTremble();
    applyPlanetSpin();
    drawSphere(kCloudRadius * s.objectSize, s.tessellation, s.tessellation, 1, 1,
               cloudDriftOffset(), 0);
  }
  glPopMatrix();
  glDisable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  if (s.spotlightsOn) glDisable(GL_LIGHTING);
}

}  // namespace

int planetsInCycle() {
  return userMapCount > 0 ? userMapCount : kPlanetImages;
}

void keepPlanetInCycle() {
  int& planet = sceneSettings.planetImage;
  if (planet < 0 || planet >= planetsInCycle()) planet = 0;
}

int builtInPlanetShown() {
  return userMapCount > 0 ? -1 : sceneSettings.planetImage;
}

GLuint planetTexture(int image) {
  const int slot = planetTextureBase + image;
  if (image < 0 || image >= kPlanetImages || slot < 0 || slot >= kTextureSlots) return 0;
  return textureTable[slot];
}

GLuint planetBodyTexture(int planet) {
  if (userMapCount == 0) return planetTexture(planet);
  const int slot = userMapBase + planet;
  if (planet < 0 || planet >= userMapCount || slot < 0 || slot >= kTextureSlots) return 0;
  return textureTable[slot];
}

void setBodyColour(float b, float alpha) {
  if (builtInPlanetShown() != kCloudImage) {
    glColor4f(b, b, b, alpha);
    return;
  }
  glColor4f(b * static_cast<float>(phaseWave(16, kColourCycleFrequency, 1, 0)),
            b * static_cast<float>(phaseWave(17, kColourCycleFrequency, 1, 0)),
            b * static_cast<float>(phaseWave(18, kColourCycleFrequency, 1, 0)), alpha);
}

void applyPlanetSpin() {
  glRotatef(turnDegrees(kSpinDegreesPerSecond), 0, 1, 0);
}

double cloudDriftOffset() {
  // The texture repeats, so only the fraction matters; keeping it small keeps it exact.
  const double offset = std::fmod(kCloudDrift * phases[0], 1.0);
  return offset < 0 ? offset + 1.0 : offset;
}

void drawPlanet(float b) {
  const SceneSettings& s = sceneSettings;
  if (s.spotlightsOn) glEnable(GL_LIGHTING);
  const GLfloat specular[4] = {b, b, b, 1};
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
  glEnable(GL_CULL_FACE);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_TEXTURE_2D);
  drawBody(b);
  if (s.spotlightsOn) glDisable(GL_LIGHTING);
  if (impactClock > kGlowStart && impactClock < kGlowEnd) drawGlowLayer();
  if (builtInPlanetShown() == kEarthImage) drawCloudLayer(b);
  glDisable(GL_CULL_FACE);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
}

void drawMoon(float b) {
  const SceneSettings& s = sceneSettings;
  if (s.spotlightsOn) glEnable(GL_LIGHTING);
  glEnable(GL_CULL_FACE);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_TEXTURE_2D);
  const int n = std::max(kMinMoonTessellation, static_cast<int>(s.tessellation * 0.5));
  glColor4f(b, b, b, 1);
  glPushMatrix();
  {
    // Turning before moving out keeps the same face towards the planet.
    glRotatef(turnDegrees(kMoonDegreesPerSecond), 0, 1, 0);
    glTranslatef(kMoonOrbit, 0, 0);
    glBindTexture(GL_TEXTURE_2D, planetTexture(kCraterImage));
    drawSphere(kMoonRadius * s.objectSize, n, n, 1, 1, 0, 0);
  }
  glPopMatrix();
  if (s.spotlightsOn) glDisable(GL_LIGHTING);
  glDisable(GL_CULL_FACE);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
}
