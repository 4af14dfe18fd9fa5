// The animated sun: a bright disc with twenty slowly turning rays, recomputed into the
// sun texture about 14 times a second, and the camera-facing square that shows it.
#include "sim/sun.h"

#include <GL/gl.h>

#include <cmath>

#include "core/camera_state.h"
#include "core/frame_clock.h"
#include "core/numeric.h"
#include "core/phase_bank.h"
#include "core/settings.h"
#include "image/texture_table.h"

namespace {

constexpr int kCentre = kSunTextureSize / 2;  // pixel (64, 64)
constexpr int kBytesPerPixel = 4;
constexpr int kCoreRadius = 16;  // pixels: solid core below, steps down to 0 at 32
constexpr int kDiscRadius = 32;
constexpr int kCoreLevel = 240;
constexpr int kStepLevel = 15;  // per two pixels of the disc's edge
constexpr int kFalloffEntries = 64;
constexpr int kRayReach = 63;  // ray pixels j = 0 .. 62 out from the centre
constexpr float kTurn = static_cast<float>(kTwoPi);

constexpr float kSunDistance = 1.0f;     // from the camera's pivot, as the light
constexpr double kSunOrbitRate = 0.2;    // radians per second of the scene clock
constexpr double kSunOrbitOffset = 5.0;  // radians
constexpr float kSunHalfWidth = 0.125f;  // times objectSize
constexpr float kSunAlphaCutoff = 0.1f;  // drops the dark ground and the dimmest ray tips

}  // namespace

unsigned char sunImage[kSunTextureSize * kSunTextureSize * 4];
SunRay sunRays[kSunRayCount];
bool sunRaysCreated = false;

namespace {

float sunRayFalloff[kFalloffEntries];  // ray brightness by distance, 192 down to 3

unsigned char* pixelAt(int row, int column) {
  return sunImage + (row * kSunTextureSize + column) * kBytesPerPixel;
}

void setPixel(unsigned char* pixel, int level) {
  const auto value = static_cast<unsigned char>(level);
  pixel[0] = pixel[1] = pixel[2] = pixel[3] = value;
}

void createRays() {
  for (SunRay& ray : sunRays) {
    ray.angle = static_cast<float>(randomUniform(kTwoPi));
    ray.step = static_cast<float>(randomUniform(0.1) - 0.05);
    ray.intensity = static_cast<float>(randomUniform(0.5) + 0.5);
  }
  for (int j = 0; j < kFalloffEntries; ++j) sunRayFalloff[j] = static_cast<float>(192 - 3 * j);
  sunRaysCreated = true;
}

// The disc's radius is the whole part of the distance, so the core (radius below 16) is
// exactly the pixels whose squared distance is below 16 squared.
bool inSolidCore(int row, int column) {
  const int dy = row - kCentre;
  const int dx = column - kCentre;
  return dy * dy + dx * dx < kCoreRadius * kCoreRadius;
}

int discLevel(int row, int column) {
  const int dy = row - kCentre;
  const int dx = column - kCentre;
  const int d = static_cast<int>(std::sqrt(static_cast<double>(dy * dy + dx * dx)));
  if (d < kCoreRadius) return kCoreLevel;
  if (d <= kDiscRadius) return (kCoreRadius - d / 2) * kStepLevel;
  return 0;
}

void drawDisc() {
  for (int row = 0; row < kSunTextureSize; ++row) {
    for (int column = 0; column < kSunTextureSize; ++column) {
      setPixel(pixelAt(row, column), discLevel(row, column));
    }
  }
}

// The angle is kept within one turn: a growing single-precision angle rounds away part of
// each step, so the rays would run a few per cent off their speed after a day of running and
// stand still after two to three weeks.
void turnRays() {
  for (SunRay& ray : sunRays) {
    ray.angle += ray.step;
    if (ray.angle >= kTurn) ray.angle -= kTurn;
    if (ray.angle < 0) ray.angle += kTurn;
  }
}

// Each ray is a line through the centre in both directions. Where its value beats the level
// on its own side, it writes both sides; the opposite pixel is overwritten whatever it holds,
// except inside the solid core: rays are dimmer than the core and must not notch its rim.
void drawRay(const SunRay& ray) {
  const float sn = static_cast<float>(std::sin(static_cast<double>(ray.angle)));
  const float cs = static_cast<float>(std::cos(static_cast<double>(ray.angle)));
  for (int j = 0; j < kRayReach; ++j) {
    const int value = static_cast<int>(sunRayFalloff[j] * ray.intensity);
    unsigned char* forward =
        pixelAt(static_cast<int>(j * sn + kCentre), static_cast<int>(j * cs + kCentre));
    if (value <= forward[0]) continue;
    setPixel(forward, value);
    const int oppositeRow = static_cast<int>(-j * sn + kCentre);
    const int oppositeColumn = static_cast<int>(-j * cs + kCentre);
    if (!inSolidCore(oppositeRow, oppositeColumn)) {
      setPixel(pixelAt(oppositeRow, oppositeColumn), value);
    }
  }
}

}  // namespace

void updateSunTexture() {
  if (!sunRaysCreated) createRays();
  drawDisc();
  turnRays();
  for (const SunRay& ray : sunRays) drawRay(ray);
  // Without a texture object there is nothing to replace; binding 0 and uploading a
  // sub-image into the undefined default texture would only raise an error.
  if (sunTexture == 0) return;
  glBindTexture(GL_TEXTURE_2D, sunTexture);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, kSunTextureSize, kSunTextureSize, GL_RGBA,
                  GL_UNSIGNED_BYTE, sunImage);
}

// 1. Alpha test at 0.1 with the texture modulating yellow: the square's dark ground
//    disappears, no blending is needed.
// 2. The square stands on the light's circle; the heading term cancels the camera's heading
//    turn, and the two rotations undo the camera's so that it faces the viewer.
void drawSunBillboard() {
  glEnable(GL_ALPHA_TEST);
  glEnable(GL_TEXTURE_2D);
  glAlphaFunc(GL_GREATER, kSunAlphaCutoff);
  glBindTexture(GL_TEXTURE_2D, sunTexture);
  glPushMatrix();
  {
    const double theta =
        kSunOrbitRate * phases[0] + kSunOrbitOffset + cameraHeading / kDegreesPerRadian;
    glTranslatef(kSunDistance * static_cast<float>(std::cos(theta)), 0,
                 kSunDistance * static_cast<float>(std::sin(theta)));
    glRotatef(static_cast<float>(-cameraHeading), 0, 1, 0);
    glRotatef(static_cast<float>(-cameraPitch), 1, 0, 0);
    const float q = kSunHalfWidth * sceneSettings.objectSize;
    glColor4f(fadeLevel, fadeLevel, 0, 1);
    glBegin(GL_QUADS);
    {
      glTexCoord2f(0, 0);
      glVertex3f(-q, -q, 0);
      glTexCoord2f(1, 0);
      glVertex3f(q, -q, 0);
      glTexCoord2f(1, 1);
      glVertex3f(q, q, 0);
      glTexCoord2f(0, 1);
      glVertex3f(-q, q, 0);
    }
    glEnd();
  }
  glPopMatrix();
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_TEXTURE_2D);
  glAlphaFunc(GL_GREATER, 0);
}
