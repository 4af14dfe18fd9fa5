// The animated sun's texture: the disc, a ray on both sides, the rays' turning, the untouched
// core, the upload.
#include "sim/sun.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "core/numeric.h"
#include "image/texture_table.h"
#include "support/gl_context.h"

namespace {

int level(int row, int column) {
  return sunImage[(row * kSunTextureSize + column) * 4];
}

// Draws the sun's texture with `ray` alone.
void useOnlyRay(SunRay ray) {
  for (SunRay& r : sunRays) r = {0, 0, 0};
  sunRays[0] = ray;
  updateSunTexture();
}

// Each update turns every ray by its step within one turn, and no ray ever notches the core
// (every pixel closer than 16 to the centre stays 240). Each image goes into the bound texture.
// Without rays: 240 out to radius 15, then 15 less every two pixels, nothing from radius 32. A ray
// at angle 0 lights row 64 on both sides where it beats the disc: 192 - 3 j at distance j, to 62.
TEST(Sun, RaysTurnWithinOneTurnAroundTheCoreAndTheDiscAndARayStepDownToNothing) {
  testsupport::ensureGlContext();
  seedRandom(4321);
  updateSunTexture();  // creates the rays
  glGenTextures(1, &sunTexture);
  glBindTexture(GL_TEXTURE_2D, sunTexture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 128, 128, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  glBindTexture(GL_TEXTURE_2D, 0);
  int darkened = 0, outsideATurn = 0, mistimed = 0;
  for (int update = 0; update < 3000; ++update) {
    const SunRay before = sunRays[update % kSunRayCount];
    updateSunTexture();
    const float turned = sunRays[update % kSunRayCount].angle - before.angle - before.step;
    mistimed += std::abs(std::remainder(turned, 6.2831853f)) > 1e-5f;
    for (const SunRay& ray : sunRays) outsideATurn += ray.angle < 0 || ray.angle >= 6.2831853f;
    for (int row = 48; row <= 80; ++row) {
      for (int column = 48; column <= 80; ++column) {
        const int dy = row - 64, dx = column - 64;
        if (dy * dy + dx * dx < 16 * 16) darkened += level(row, column) != 240;
      }
    }
  }
  EXPECT_EQ(darkened + outsideATurn + mistimed, 0)
      << darkened << " core pixels darkened, " << outsideATurn << " angles outside a turn, "
      << mistimed << " rays not turned by their step";
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), sunTexture);
  std::vector<unsigned char> uploaded(sizeof sunImage);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, uploaded.data());
  EXPECT_EQ(std::memcmp(uploaded.data(), sunImage, sizeof sunImage), 0);
  useOnlyRay({0, 0, 0});
  const int levels[][2] = {{0, 240}, {15, 240}, {16, 120}, {17, 120}, {18, 105},
                           {24, 60}, {30, 15},  {31, 15},  {32, 0},   {50, 0}};
  for (const auto& [radius, value] : levels) {
    EXPECT_EQ(level(64, 64 + radius), value) << "radius " << radius;
    EXPECT_EQ(level(64 - radius, 64), value) << "radius " << radius;
  }
  useOnlyRay({0, 0, 1});
  for (int j = 0; j <= 62; ++j) {
    const int expected = j < 16 ? 240 : 192 - 3 * j;
    EXPECT_EQ(level(64, 64 + j), expected) << "j " << j;
    EXPECT_EQ(level(64, 64 - j), expected) << "j " << j;
  }
  EXPECT_TRUE(level(64, 127) == 0 && level(64, 1) == 0 && level(65, 100) == 0);
}

}  // namespace
