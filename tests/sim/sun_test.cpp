// Tests of the animated sun: the disc levels, the ray rules, the turning between updates,
// the upload into the sun texture, and the yellow square on the light's circle.
#include "sim/sun.h"

#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "app/camera.h"
#include "app/frame_step.h"
#include "app/phase_bank.h"
#include "app/settings.h"
#include "backdrop/gl_test_helpers.h"
#include "image/texture_table.h"
#include "sim/numeric.h"
#include "support/gl_context.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kCentre = 64;
constexpr float kTurn = static_cast<float>(kTwoPi);

int level(int row, int column) {
  return sunImage[(row * kSunTextureSize + column) * 4];
}

double distanceFromCentre(int row, int column) {
  return std::hypot(row - kCentre, column - kCentre);
}

// Is the pixel within reach of the line through the centre at one of the rays' angles?
bool onSomeRayLine(int row, int column, const std::vector<float>& angles) {
  for (float angle : angles) {
    const double dx = column - kCentre, dy = row - kCentre;
    const double offLine = std::fabs(dx * std::sin(angle) - dy * std::cos(angle));
    if (offLine <= 1.5) return true;
  }
  return false;
}

std::vector<float> rayAngles() {
  std::vector<float> angles;
  for (const SunRay& ray : sunRays) angles.push_back(ray.angle);
  return angles;
}

void useRays(std::initializer_list<SunRay> rays) {
  for (SunRay& ray : sunRays) ray = {0, 0, 0};
  int i = 0;
  for (const SunRay& ray : rays) sunRays[i++] = ray;
}

class SunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::ensureGlContext(kWidth, kHeight);
    gltest::applySceneBaseline();
    testsupport::firstGlError();
    sunTexture = 0;
    sunRaysCreated = false;
    seedRandom(22);
  }
  void TearDown() override {
    if (sunTexture != 0) glDeleteTextures(1, &sunTexture);
    sunTexture = 0;
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(testsupport::firstGlError(), 0u);
  }
};

TEST_F(SunTest, FirstUpdateCreatesTheRaysFromTheGeneratorInOrderAndLaterOnesDrawNothing) {
  seedRandom(4321);
  updateSunTexture();
  EXPECT_TRUE(sunRaysCreated);
  seedRandom(4321);
  for (const SunRay& ray : sunRays) {
    const float angle = static_cast<float>(randomUniform(kTwoPi));
    const float step = static_cast<float>(randomUniform(0.1) - 0.05);
    const float intensity = static_cast<float>(randomUniform(0.5) + 0.5);
    EXPECT_EQ(ray.step, step);
    EXPECT_EQ(ray.intensity, intensity);
    // Turned once by its step, within one turn.
    EXPECT_NEAR(std::remainder(ray.angle - (angle + step), kTwoPi), 0, 1e-5);
    EXPECT_GE(ray.angle, 0);
    EXPECT_LT(ray.angle, kTurn);
  }
  const int next = nextRandom();
  seedRandom(4321);
  for (int i = 0; i < 60; ++i) nextRandom();
  updateSunTexture();
  EXPECT_EQ(nextRandom(), next) << "only the first update draws random values";
}

TEST_F(SunTest, DiscHasASolidCoreAndStepsDownToNothingAtRadiusThirtyTwo) {
  updateSunTexture();
  useRays({});  // rays without brightness leave the bare disc
  updateSunTexture();
  const int expected[][2] = {{0, 240}, {15, 240}, {16, 120}, {17, 120}, {18, 105},
                             {24, 60}, {30, 15},  {31, 15},  {32, 0},   {50, 0}};
  for (const auto& [radius, value] : expected) {
    EXPECT_EQ(level(kCentre, kCentre + radius), value) << "radius " << radius;
    EXPECT_EQ(level(kCentre - radius, kCentre), value) << "radius " << radius;
  }
  std::vector<unsigned char> first(sunImage, sunImage + sizeof(sunImage));
  for (int row = 0; row < kSunTextureSize; ++row) {
    for (int column = 0; column < kSunTextureSize; ++column) {
      const unsigned char* p = &sunImage[(row * kSunTextureSize + column) * 4];
      EXPECT_TRUE(p[0] == p[1] && p[1] == p[2] && p[2] == p[3]) << row << ", " << column;
      if (distanceFromCentre(row, column) >= 32) {
        EXPECT_EQ(p[0], 0) << row << ", " << column;
      }
    }
  }
  updateSunTexture();
  EXPECT_EQ(0, std::memcmp(first.data(), sunImage, sizeof(sunImage))) << "the disc never moves";
}

TEST_F(SunTest, RaysLightOnlyTheirOwnLinesAndNeverTheInnerCore) {
  for (int update = 0; update < 5; ++update) {
    updateSunTexture();
    const std::vector<float> angles = rayAngles();
    int rayPixels = 0;
    for (int row = 0; row < kSunTextureSize; ++row) {
      for (int column = 0; column < kSunTextureSize; ++column) {
        const double d = distanceFromCentre(row, column);
        // A ray's opposite pixel is truncated toward the centre on one side, so it can
        // land on the core's outermost ring (distance 14.6 and up), never further in.
        if (d < 14.5) {
          EXPECT_EQ(level(row, column), 240);
        }
        if (d < 32 || level(row, column) == 0) continue;
        ++rayPixels;
        EXPECT_TRUE(onSomeRayLine(row, column, angles)) << row << ", " << column;
      }
    }
    EXPECT_GT(rayPixels, 20 * 40) << "twenty rays reach well beyond the disc";
  }
}

TEST_F(SunTest, RayAtAngleZeroWritesBothSidesOfRowSixtyFourWhereItBeatsTheDisc) {
  updateSunTexture();
  useRays({{0, 0, 1}});
  updateSunTexture();
  for (int j = 0; j <= 62; ++j) {
    const int expected = j < 16 ? 240 : 192 - 3 * j;
    EXPECT_EQ(level(kCentre, kCentre + j), expected) << "j " << j;
    EXPECT_EQ(level(kCentre, kCentre - j), expected) << "j " << j;
  }
  EXPECT_EQ(level(kCentre, 127), 0);
  EXPECT_EQ(level(kCentre, 1), 0);
  EXPECT_EQ(level(kCentre + 1, 100), 0) << "nothing off the row";
}

TEST_F(SunTest, OppositePixelIsOverwrittenEvenWhereAnEarlierRayWasBrighter) {
  updateSunTexture();
  // Ray 1 points just below the leftward axis: its own side runs along row 63 over the dark
  // ground, its opposite side along row 64, one column short of ray 0's pixels.
  useRays({{0, 0, 1}, {static_cast<float>(M_PI + 0.01), 0, 0.5f}});
  updateSunTexture();
  const int ray1Value = static_cast<int>((192 - 3 * 40) * 0.5f);
  EXPECT_EQ(level(63, 24), ray1Value) << "ray 1's own pixel at j = 40";
  EXPECT_EQ(level(64, 103), ray1Value) << "ray 0 had made it " << 192 - 3 * 39;
  EXPECT_EQ(level(64, 24), 192 - 3 * 40) << "ray 0's opposite side stays";
}

TEST_F(SunTest, UpdatesTurnEveryRayByItsStepAndChangeOnlyRayPixels) {
  updateSunTexture();
  const std::vector<SunRay> before(sunRays, sunRays + kSunRayCount);
  const std::vector<unsigned char> firstImage(sunImage, sunImage + sizeof(sunImage));
  const std::vector<float> firstAngles = rayAngles();
  updateSunTexture();
  const std::vector<float> secondAngles = rayAngles();
  for (int r = 0; r < kSunRayCount; ++r) {
    EXPECT_NEAR(std::remainder(sunRays[r].angle - (before[r].angle + before[r].step), kTwoPi), 0,
                1e-5);
    EXPECT_EQ(sunRays[r].step, before[r].step);
    EXPECT_EQ(sunRays[r].intensity, before[r].intensity);
  }
  int changed = 0;
  for (int row = 0; row < kSunTextureSize; ++row) {
    for (int column = 0; column < kSunTextureSize; ++column) {
      if (firstImage[(row * kSunTextureSize + column) * 4] == level(row, column)) continue;
      ++changed;
      EXPECT_TRUE(onSomeRayLine(row, column, firstAngles) ||
                  onSomeRayLine(row, column, secondAngles))
          << row << ", " << column;
    }
  }
  EXPECT_GT(changed, 0);
}

GLuint makeSunTexture() {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kSunTextureSize, kSunTextureSize, 0, GL_RGBA,
               GL_UNSIGNED_BYTE, nullptr);
  glBindTexture(GL_TEXTURE_2D, 0);
  return texture;
}

TEST_F(SunTest, UpdateReplacesTheTextureImageAndLeavesItBound) {
  sunTexture = makeSunTexture();
  updateSunTexture();
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), sunTexture);
  std::vector<unsigned char> uploaded(sizeof(sunImage));
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, uploaded.data());
  EXPECT_EQ(0, std::memcmp(uploaded.data(), sunImage, sizeof(sunImage)));
}

TEST_F(SunTest, WithoutASunTextureTheImageIsComputedAndNothingIsUploaded) {
  GLuint other = 0;
  glGenTextures(1, &other);
  glBindTexture(GL_TEXTURE_2D, other);
  updateSunTexture();
  EXPECT_EQ(level(kCentre, kCentre), 240);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), other);
  EXPECT_EQ(testsupport::firstGlError(), 0u);
  glDeleteTextures(1, &other);
}

struct SunPicture {
  int centreRed = 0, centreGreen = 0, centreBlue = 0;
  int litWidth = 0;       // lit pixels along the window's middle row
  int litBeyondDisc = 0;  // lit pixels more than 20 pixels from the middle
  int litInCorners = 0;
};

// Renders the sun through the default view and camera, with the sun placed straight ahead.
SunPicture renderSun(double heading, float fade, const char* shotName) {
  sceneSettings.fieldOfView = 70;
  sceneSettings.letterbox = 0;
  sceneSettings.cameraZ = 0.35f;
  sceneSettings.objectSize = 1.0f;
  sceneSettings.polyMode = 0;
  fadeLevel = fade;
  cameraHeading = heading;
  cameraPitch = 0;
  // After the camera's turn the sun stands at 0.2 * phases[0] + 5: -90 degrees is ahead.
  phases[0] = (-M_PI / 2 - 5) / 0.2;
  setupView();
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glPushMatrix();
  glRotatef(static_cast<float>(cameraPitch), 1, 0, 0);
  glRotatef(static_cast<float>(cameraHeading), 0, 1, 0);
  drawSunBillboard();
  glPopMatrix();
  const gltest::Frame frame = gltest::readFrame(kWidth, kHeight);
  gltest::saveFrameIfAsked(frame, shotName);
  SunPicture out;
  const unsigned char* c = frame.at(kWidth / 2, kHeight / 2);
  out.centreRed = c[0];
  out.centreGreen = c[1];
  out.centreBlue = c[2];
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const unsigned char* p = frame.at(x, y);
      if (p[0] + p[1] + p[2] < 20) continue;
      if (y == kHeight / 2) ++out.litWidth;
      if (std::hypot(x - kWidth / 2, y - kHeight / 2) > 20) ++out.litBeyondDisc;
      if (std::abs(x - kWidth / 2) > 80 || std::abs(y - kHeight / 2) > 80) ++out.litInCorners;
    }
  }
  return out;
}

TEST_F(SunTest, SunIsAYellowDiscFacingTheViewerOnTheLightCircle) {
  sunTexture = makeSunTexture();
  updateSunTexture();
  const std::vector<SunRay> rays(sunRays, sunRays + kSunRayCount);
  useRays({});
  updateSunTexture();

  const SunPicture ahead = renderSun(0, 1, "sun_disc");
  EXPECT_NEAR(ahead.centreRed, 240, 3);
  EXPECT_NEAR(ahead.centreGreen, 240, 3);
  EXPECT_EQ(ahead.centreBlue, 0);
  // Disc radius about 29.5 texels of 64 over a half-width of 0.125 at 1.35 from the eye.
  EXPECT_NEAR(ahead.litWidth, 29, 3);
  EXPECT_EQ(ahead.litInCorners, 0);

  const SunPicture turned = renderSun(30, 1, "sun_turned");
  EXPECT_NEAR(turned.centreRed, 240, 3) << "the heading term keeps the sun in place";
  EXPECT_NEAR(turned.litWidth, ahead.litWidth, 1) << "and the square still faces the viewer";

  const SunPicture dimmed = renderSun(0, 0.5f, "sun_dimmed");
  EXPECT_NEAR(dimmed.centreRed, 120, 3);
  EXPECT_NEAR(dimmed.centreGreen, 120, 3);

  for (int r = 0; r < kSunRayCount; ++r) sunRays[r] = rays[r];
  updateSunTexture();
  const SunPicture rayed = renderSun(0, 1, "sun_rays");
  EXPECT_GT(rayed.litBeyondDisc, ahead.litBeyondDisc + 20) << "rays show beyond the disc";
  EXPECT_EQ(rayed.litInCorners, 0);
  fadeLevel = 1;
  cameraHeading = 0;
}

}  // namespace
