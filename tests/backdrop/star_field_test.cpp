// Tests of the star field: where the stars land and how they are coloured (read back through
// GL feedback), the list's life cycle, empty regions, and the picture it makes.
#include "backdrop/star_field.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "app/frame_step.h"
#include "app/settings.h"
#include "backdrop/gl_test_helpers.h"
#include "sim/numeric.h"
#include "support/gl_context.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr double kBox = 2.0;  // half-width of the orthographic box the stars are read in

struct Star {
  double x, y, z;
  float r, g, b;
};

// Scene coordinates back from the window coordinates of the orthographic box view.
Star starFrom(const gltest::FeedbackVertex& v) {
  const double x = (2.0 * v.x / kWidth - 1.0) * kBox;
  const double y = (2.0 * v.y / kHeight - 1.0) * kBox;
  const double z = -(2.0 * v.z - 1.0) * kBox;
  return {x, y, z, v.r, v.g, v.b};
}

std::vector<Star> starsDrawnBy(void (*draw)(StarField&), StarField& field) {
  gltest::useOrthoBox(kWidth, kHeight, kBox);
  const gltest::Feedback fb = gltest::captureFeedback([&] { draw(field); });
  EXPECT_FALSE(fb.overflow);
  EXPECT_TRUE(fb.polygons.empty());
  std::vector<Star> stars;
  for (const auto& v : fb.points) stars.push_back(starFrom(v));
  return stars;
}

void callListOnce(StarField& field) {
  glCallList(field.starList);
}
void drawField(StarField& field) {
  field.drawStarField();
}

double radius(const Star& s) {
  return std::sqrt(s.x * s.x + s.y * s.y + s.z * s.z);
}

class StarFieldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::ensureGlContext(kWidth, kHeight);
    gltest::applySceneBaseline();
    testsupport::firstGlError();
    seedRandom(22);
  }
  void TearDown() override {
    field.releaseStarField();
    EXPECT_EQ(testsupport::firstGlError(), 0u);
  }
  StarField field;
};

// Placement precision of the read-back: window coordinates carry about 1e-4 of a unit here.
constexpr double kSlack = 2e-3;

TEST_F(StarFieldTest, ShellStarsLieBetweenTheRadiiWithMostlyNarrowColours) {
  field.buildStarField(2000, 1.0f, 0.25f, kStarShell);
  const std::vector<Star> stars = starsDrawnBy(callListOnce, field);
  ASSERT_EQ(stars.size(), 2000u);
  int wide = 0, below = 0, above = 0;
  for (const Star& s : stars) {
    EXPECT_GE(radius(s), 0.25 - kSlack);
    EXPECT_LE(radius(s), 1.0 + kSlack);
    for (float c : {s.r, s.g, s.b}) {
      EXPECT_GE(c, 0.24f - 1e-5f);
      EXPECT_LT(c, 0.64f + 1e-5f);
    }
    // Only the wider range reaches below 0.40.
    if (std::min({s.r, s.g, s.b}) < 0.40f - 1e-5f) ++wide;
    (s.y < 0 ? below : above)++;
  }
  // One star in ten uses the wide range, which falls below 0.40 in some channel with
  // probability 1 - 0.6^3 = 0.784: about 7.8 % of the stars.
  EXPECT_NEAR(wide / 2000.0, 0.1 * 0.784, 0.025);
  EXPECT_NEAR(below / 2000.0, 0.5, 0.05);
  // The points are not all on a few shells: they spread through the volume.
  const auto inner =
      std::count_if(stars.begin(), stars.end(), [](const Star& s) { return radius(s) < 0.625; });
  // Volume share inside 0.625 of the shell 0.25..1: (0.625^3 - 0.25^3) / (1 - 0.25^3).
  EXPECT_NEAR(inner / 2000.0, (0.244140625 - 0.015625) / (1 - 0.015625), 0.04);
}

TEST_F(StarFieldTest, UpperShellAndCubeShellKeepToTheirRegions) {
  field.buildStarField(500, 0.8f, 0.3f, kStarUpperShell);
  for (const Star& s : starsDrawnBy(callListOnce, field)) {
    EXPECT_GE(s.y, -kSlack);
    EXPECT_GE(radius(s), 0.3 - kSlack);
    EXPECT_LE(radius(s), 0.8 + kSlack);
  }
  field.buildStarField(500, 0.8f, 0.5f, kStarCubeShell);
  const std::vector<Star> cube = starsDrawnBy(callListOnce, field);
  ASSERT_EQ(cube.size(), 500u);
  for (const Star& s : cube) {
    const double reach = std::max({std::fabs(s.x), std::fabs(s.y), std::fabs(s.z)});
    EXPECT_GE(reach, 0.51 - kSlack);
    EXPECT_LE(reach, 0.8 + kSlack);
  }
  // Any other shape number is the spherical shell.
  field.buildStarField(300, 0.6f, 0.4f, 7);
  for (const Star& s : starsDrawnBy(callListOnce, field)) {
    EXPECT_GE(radius(s), 0.4 - kSlack);
    EXPECT_LE(radius(s), 0.6 + kSlack);
  }
}

TEST_F(StarFieldTest, PositionsAndColoursFollowTheGeneratorOrder) {
  seedRandom(777);
  field.buildStarField(50, 1.0f, 0.25f, kStarShell);
  const std::vector<Star> stars = starsDrawnBy(callListOnce, field);
  ASSERT_EQ(stars.size(), 50u);
  seedRandom(777);
  for (const Star& s : stars) {
    double x, y, z, r;
    do {
      x = randomUniform(2.0) - 1.0;
      y = randomUniform(2.0) - 1.0;
      z = randomUniform(2.0) - 1.0;
      r = std::sqrt(x * x + y * y + z * z);
    } while (r < 0.25 || r > 1.0);
    const bool wide = randomUniform(1) < 0.1;
    const double lo = wide ? 0.3 : 0.5, span = wide ? 0.5 : 0.3;
    const float blue = static_cast<float>((randomUniform(span) + lo) * 0.8);
    const float green = static_cast<float>((randomUniform(span) + lo) * 0.8);
    const float red = static_cast<float>((randomUniform(span) + lo) * 0.8);
    EXPECT_NEAR(s.x, x, kSlack);
    EXPECT_NEAR(s.y, y, kSlack);
    EXPECT_NEAR(s.z, z, kSlack);
    EXPECT_NEAR(s.r, red, 1e-6);
    EXPECT_NEAR(s.g, green, 1e-6);
    EXPECT_NEAR(s.b, blue, 1e-6);
  }
}

TEST_F(StarFieldTest, DrawShowsEveryStarTwiceTheSecondCopyTurnedAboutY) {
  field.buildStarField(5, 1.0f, 0.25f, kStarShell);
  const std::vector<Star> drawn = starsDrawnBy(drawField, field);
  ASSERT_EQ(drawn.size(), 10u);
  const double turn = 120.0 / kDegreesPerRadian;
  for (int i = 0; i < 5; ++i) {
    const Star& a = drawn[i];
    const Star& b = drawn[i + 5];
    EXPECT_NEAR(b.x, a.x * std::cos(turn) + a.z * std::sin(turn), kSlack);
    EXPECT_NEAR(b.y, a.y, kSlack);
    EXPECT_NEAR(b.z, -a.x * std::sin(turn) + a.z * std::cos(turn), kSlack);
    EXPECT_EQ(b.r, a.r);
  }
  GLfloat pointSize = 0;
  glGetFloatv(GL_POINT_SIZE, &pointSize);
  EXPECT_EQ(pointSize, 2.0f);
}

TEST_F(StarFieldTest, NoListOrNoStarsDrawsNothing) {
  ASSERT_EQ(field.starList, kNoStarList);
  glPointSize(3);
  EXPECT_TRUE(starsDrawnBy(drawField, field).empty());
  GLfloat pointSize = 0;
  glGetFloatv(GL_POINT_SIZE, &pointSize);
  EXPECT_EQ(pointSize, 3.0f) << "a draw without a list touches no state";

  field.buildStarField(0, 1.0f, 0.25f, kStarShell);
  EXPECT_NE(field.starList, kNoStarList);
  EXPECT_TRUE(glIsList(field.starList));
  EXPECT_TRUE(starsDrawnBy(drawField, field).empty());
  glPointSize(1);
}

TEST_F(StarFieldTest, EmptyRegionsBuildAnEmptyListAtOnce) {
  struct Region {
    float outer, inner;
    int shape;
  };
  const Region empty[] = {{0.5f, 0.5f, kStarShell},      {0.5f, 0.9f, kStarShell},
                          {0.5f, 0.5f, kStarUpperShell}, {0.5f, 0.495f, kStarCubeShell},
                          {-1.0f, -2.0f, kStarShell},    {NAN, 0.25f, kStarShell},
                          {1.0f, NAN, kStarCubeShell}};
  for (const Region& r : empty) {
    field.buildStarField(2000, r.outer, r.inner, r.shape);
    EXPECT_TRUE(glIsList(field.starList));
    EXPECT_TRUE(starsDrawnBy(callListOnce, field).empty())
        << "outer " << r.outer << " inner " << r.inner << " shape " << r.shape;
  }
}

TEST_F(StarFieldTest, ReleaseDeletesOnceAndRebuildReplacesTheList) {
  field.buildStarField(10, 1.0f, 0.25f, kStarShell);
  const unsigned first = field.starList;
  field.buildStarField(10, 1.0f, 0.25f, kStarShell);
  EXPECT_TRUE(glIsList(field.starList));
  if (field.starList != first) {
    EXPECT_FALSE(glIsList(first));
  }

  const unsigned built = field.starList;
  field.releaseStarField();
  EXPECT_EQ(field.starList, kNoStarList);
  EXPECT_FALSE(glIsList(built));
  // Someone else's list may now get the same name; a second release must leave it alone.
  const GLuint other = glGenLists(1);
  glNewList(other, GL_COMPILE);
  glEndList();
  field.releaseStarField();
  EXPECT_TRUE(glIsList(other));
  glDeleteLists(other, 1);
}

// The scene's build seen through the default view: stars spread over the whole window.
TEST_F(StarFieldTest, SceneBuildFillsTheWholeDefaultView) {
  sceneSettings.fieldOfView = 70;
  sceneSettings.letterbox = 0;
  sceneSettings.cameraZ = 0.35f;
  sceneSettings.polyMode = 0;
  setupView();
  field.buildStarField(2000, 1.0f, 0.25f, kStarShell);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glPushMatrix();
  { field.drawStarField(); }
  glPopMatrix();
  const gltest::Frame frame = gltest::readFrame(kWidth, kHeight);
  gltest::saveFrameIfAsked(frame, "star_field");
  int lit[3][3] = {};
  int total = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const unsigned char* p = frame.at(x, y);
      if (p[0] + p[1] + p[2] < 150) continue;
      ++lit[y * 3 / kHeight][x * 3 / kWidth];
      ++total;
    }
  }
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) {
      EXPECT_GE(lit[row][column], 20) << "region " << row << ", " << column;
    }
  }
  EXPECT_LT(total, kWidth * kHeight / 10) << "stars are points, not a wash";
}

}  // namespace
