// The animated sun's texture: the disc, a ray drawn through the centre on both sides, the rays'
// turning from update to update, the random values they are made of, and the upload.
#include "sim/sun.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "image/texture_table.h"
#include "sim/numeric.h"
#include "support/gl_context.h"

namespace {

int level(int row, int column) {
  return sunImage[(row * kSunTextureSize + column) * 4];
}

class Sun : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::ensureGlContext();
    sunTexture = 0;
    sunRaysCreated = false;
    seedRandom(4321);
    updateSunTexture();  // creates the rays
  }
  static void useOnlyRay(SunRay ray) {
    for (SunRay& r : sunRays) r = {0, 0, 0};
    sunRays[0] = ray;
  }
};

// Without rays: 240 out to radius 15, then 15 less every two pixels, nothing from radius 32.
TEST_F(Sun, TheDiscHasASolidCoreAndStepsDownToNothing) {
  useOnlyRay({0, 0, 0});
  updateSunTexture();
  const int levels[][2] = {{0, 240}, {15, 240}, {16, 120}, {17, 120}, {18, 105},
                           {24, 60}, {30, 15},  {31, 15},  {32, 0},   {50, 0}};
  for (const auto& [radius, value] : levels) {
    EXPECT_EQ(level(64, 64 + radius), value) << "radius " << radius;
    EXPECT_EQ(level(64 - radius, 64), value) << "radius " << radius;
  }
}

// A ray at angle 0 lights row 64 on both sides where it beats the disc: 192 - 3 j at distance j,
// out to 62.
TEST_F(Sun, ARayLightsItsLineOnBothSidesOfTheCentre) {
  useOnlyRay({0, 0, 1});
  updateSunTexture();
  for (int j = 0; j <= 62; ++j) {
    const int expected = j < 16 ? 240 : 192 - 3 * j;
    EXPECT_EQ(level(64, 64 + j), expected) << "j " << j;
    EXPECT_EQ(level(64, 64 - j), expected) << "j " << j;
  }
  EXPECT_EQ(level(64, 127), 0);
  EXPECT_EQ(level(64, 1), 0);
  EXPECT_EQ(level(65, 100), 0);
}

// Each update turns every ray by its step, kept within one turn.
TEST_F(Sun, RaysTurnByTheirStepWithinOneTurn) {
  const float start[][2] = {{6.27f, 0.05f}, {0.01f, -0.05f}, {3.0f, 0.02f}};
  const float turned[] = {6.32f - 6.2831853f, 0.01f - 0.05f + 6.2831853f, 3.02f};
  for (int i = 0; i < 3; ++i) {
    useOnlyRay({start[i][0], start[i][1], 1});
    updateSunTexture();
    EXPECT_NEAR(sunRays[0].angle, turned[i], 1e-5) << "ray " << i;
  }
}

// However the rays turn, none of them notches the solid core: over thousands of updates every
// pixel closer than 16 to the centre stays at 240.
TEST_F(Sun, NoRayDarkensTheSolidCore) {
  int darkened = 0;
  for (int update = 0; update < 3000; ++update) {
    updateSunTexture();
    for (int row = 48; row <= 80; ++row) {
      for (int column = 48; column <= 80; ++column) {
        const int dy = row - 64, dx = column - 64;
        if (dy * dy + dx * dx < 16 * 16) darkened += level(row, column) != 240;
      }
    }
  }
  EXPECT_EQ(darkened, 0);
}

// The image goes into the sun texture, which stays bound.
TEST_F(Sun, TheUpdateReplacesTheTextureImage) {
  glGenTextures(1, &sunTexture);
  glBindTexture(GL_TEXTURE_2D, sunTexture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 128, 128, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  glBindTexture(GL_TEXTURE_2D, 0);
  updateSunTexture();
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), sunTexture);
  std::vector<unsigned char> uploaded(sizeof sunImage);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, uploaded.data());
  EXPECT_EQ(std::memcmp(uploaded.data(), sunImage, sizeof sunImage), 0);
}

}  // namespace
