// The star field and the light. Stars are read back through GL feedback in an orthographic box
// (place and colour of every point); the light through its GL values and a lit sphere's pixels.
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "backdrop/light.h"
#include "backdrop/star_field.h"
#include "sim/numeric.h"
#include "support/scene_driver.h"

namespace {

struct Star {
  double x, y, z, r;  // scene units, r the distance from the origin
  float red, green, blue;
};

// The points a list call or a draw sends, back in scene units of the box [-2, 2]^3.
std::vector<Star> starsDrawnBy(void (*draw)(StarField&), StarField& field) {
  glViewport(0, 0, 640, 480);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-2, 2, -2, 2, -2, 2);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  static std::vector<GLfloat> buffer(1 << 18);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw(field);
  const GLint used = glRenderMode(GL_RENDER);
  std::vector<Star> stars;
  for (GLint i = 0; i + 7 < used; i += 8) {
    EXPECT_EQ(buffer[i], GL_POINT_TOKEN);
    const double x = buffer[i + 1] / 160.0 - 2, y = buffer[i + 2] / 120.0 - 2;
    const double z = 2 - 4 * buffer[i + 3];
    stars.push_back(
        {x, y, z, std::sqrt(x * x + y * y + z * z), buffer[i + 4], buffer[i + 5], buffer[i + 6]});
  }
  return stars;
}

void callList(StarField& field) {
  glCallList(field.starList);
}
void drawField(StarField& field) {
  field.drawStarField();
}

constexpr double kSlack = 2e-3;  // read-back precision of a position, scene units

class Backdrop : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testsupport::startScene(); }
  void TearDown() override {
    field.releaseStarField();
    EXPECT_EQ(testsupport::firstGlError(), 0u);
  }
  StarField field;
};

// The scene's own field, as start-up builds it: 2000 stars filling the shell from 0.25 to 1
// evenly by volume, dim near-greys but for one star in ten with a wider range.
TEST_F(Backdrop, SceneStarsFillTheShellWithMostlyNarrowColours) {
  const std::vector<Star> stars = starsDrawnBy(callList, starField);
  ASSERT_EQ(stars.size(), 2000u);
  int wide = 0, inner = 0, below = 0;
  for (const Star& s : stars) {
    ASSERT_TRUE(s.r > 0.25 - kSlack && s.r < 1 + kSlack) << s.r;
    for (float c : {s.red, s.green, s.blue})
      ASSERT_TRUE(c > 0.24f - 1e-5f && c < 0.64f + 1e-5f) << c;
    wide += std::min({s.red, s.green, s.blue}) < 0.4f - 1e-5f ? 1 : 0;
    inner += s.r < 0.625 ? 1 : 0;
    below += s.y < 0 ? 1 : 0;
  }
  // The wide range falls below 0.40 in some channel with probability 1 - 0.6^3.
  EXPECT_NEAR(wide / 2000.0, 0.1 * 0.784, 0.025);
  EXPECT_NEAR(inner / 2000.0, (0.625 * 0.625 * 0.625 - 0.015625) / (1 - 0.015625), 0.04);
  EXPECT_NEAR(below / 2000.0, 0.5, 0.05);
}

// Each star takes x, y, z until it lands in the shell, then its range, then blue, green, red.
TEST_F(Backdrop, StarsFollowTheGeneratorOrder) {
  seedRandom(777);
  field.buildStarField(50, 1.0f, 0.25f, kStarShell);
  const std::vector<Star> stars = starsDrawnBy(callList, field);
  ASSERT_EQ(stars.size(), 50u);
  seedRandom(777);
  for (const Star& s : stars) {
    double x, y, z;
    do {
      x = randomUniform(2.0) - 1.0, y = randomUniform(2.0) - 1.0, z = randomUniform(2.0) - 1.0;
    } while (std::hypot(x, y, z) < 0.25 || std::hypot(x, y, z) > 1.0);
    const bool wide = randomUniform(1) < 0.1;
    float channel[3];  // blue, green, red
    for (float& c : channel)
      c = static_cast<float>(((wide ? 0.3 : 0.5) + randomUniform(wide ? 0.5 : 0.3)) * 0.8);
    EXPECT_NEAR(s.x, x, kSlack);
    EXPECT_NEAR(s.y, y, kSlack);
    EXPECT_NEAR(s.z, z, kSlack);
    EXPECT_NEAR(s.red, channel[2], 1e-6);
    EXPECT_NEAR(s.green, channel[1], 1e-6);
    EXPECT_NEAR(s.blue, channel[0], 1e-6);
  }
}

TEST_F(Backdrop, ShapesKeepToTheirRegionsAndEmptyRegionsGiveEmptyLists) {
  enum Region { kShell, kUpper, kCube, kNothing };
  const struct {
    int shape;
    float outer, inner;
    Region region;
  } cases[] = {{kStarUpperShell, 0.8f, 0.3f, kUpper},
               {kStarCubeShell, 0.8f, 0.5f, kCube},
               {7, 0.6f, 0.4f, kShell},
               {kStarShell, 0.5f, 0.5f, kNothing},
               {kStarShell, 0.5f, 0.9f, kNothing},
               {kStarCubeShell, 0.5f, 0.495f, kNothing},
               {kStarShell, NAN, 0.25f, kNothing}};
  for (const auto& c : cases) {
    field.buildStarField(300, c.outer, c.inner, c.shape);
    EXPECT_TRUE(glIsList(field.starList));
    const std::vector<Star> stars = starsDrawnBy(callList, field);
    EXPECT_EQ(stars.size(), c.region == kNothing ? 0u : 300u) << "shape " << c.shape;
    for (const Star& s : stars) {
      const double reach = std::max({std::fabs(s.x), std::fabs(s.y), std::fabs(s.z)});
      const bool inside = c.region == kCube
                              ? reach > c.inner + 0.01 - kSlack && reach < c.outer + kSlack
                              : s.r > c.inner - kSlack && s.r < c.outer + kSlack &&
                                    (c.region != kUpper || s.y > -kSlack);
      ASSERT_TRUE(inside) << "shape " << c.shape << " at " << s.x << ", " << s.y << ", " << s.z;
    }
  }
}

TEST_F(Backdrop, DrawShowsEveryStarTwiceTheSecondTurnedAboutY) {
  field.buildStarField(5, 1.0f, 0.25f, kStarShell);
  const std::vector<Star> drawn = starsDrawnBy(drawField, field);
  ASSERT_EQ(drawn.size(), 10u);
  const double turn = 120 / 57.29578;
  for (int i = 0; i < 5; ++i) {
    const Star &a = drawn[i], &b = drawn[i + 5];
    EXPECT_NEAR(b.x, a.x * std::cos(turn) + a.z * std::sin(turn), kSlack);
    EXPECT_NEAR(b.y, a.y, kSlack);
    EXPECT_NEAR(b.z, -a.x * std::sin(turn) + a.z * std::cos(turn), kSlack);
  }
  GLfloat pointSize = 0;
  glGetFloatv(GL_POINT_SIZE, &pointSize);
  EXPECT_EQ(pointSize, 2.0f);
  // Releasing twice deletes once: a list made in between keeps its name.
  field.releaseStarField();
  const GLuint other = glGenLists(1);
  glNewList(other, GL_COMPILE);
  glEndList();
  field.releaseStarField();
  EXPECT_TRUE(glIsList(other));
  glDeleteLists(other, 1);
  EXPECT_TRUE(starsDrawnBy(drawField, field).empty());
}

// Light colours: grey levels times the common level, alpha 1; an index past the eight lights
// changes nothing.
TEST_F(Backdrop, LightColoursFollowTheirLevels) {
  for (int i = 0; i < 8; ++i) glDisable(GL_LIGHT0 + i);
  auto grey = [](GLenum light, GLenum which) {
    GLfloat c[4] = {};
    if (light == 0) glGetFloatv(which, c);
    if (light == 1) glGetMaterialfv(GL_BACK, which, c);
    if (light > 1) glGetLightfv(light, which, c);
    EXPECT_TRUE(c[0] == c[1] && c[1] == c[2] && c[3] == 1.0f)
        << c[0] << " " << c[1] << " " << c[2] << " " << c[3];
    return c[0];
  };
  setupLight(3, 1, 0, 0, 0.125f, 0.9f, 0.8f, 0.7f, 0.5f);
  EXPECT_FLOAT_EQ(grey(0, GL_LIGHT_MODEL_AMBIENT), 0.0625f);
  EXPECT_FLOAT_EQ(grey(GL_LIGHT3, GL_AMBIENT), 0.0625f);
  EXPECT_FLOAT_EQ(grey(GL_LIGHT3, GL_DIFFUSE), 0.45f);
  EXPECT_FLOAT_EQ(grey(GL_LIGHT3, GL_SPECULAR), 0.4f);
  EXPECT_FLOAT_EQ(grey(1, GL_SPECULAR), 0.35f);
  setupLight(3, 1, 0, 0, 0.125f, 0.9f, 0.8f, 0.7f, 0.0f);
  EXPECT_EQ(grey(GL_LIGHT3, GL_DIFFUSE), 0.0f);
  EXPECT_TRUE(glIsEnabled(GL_LIGHT3)) << "a black light stays on";
  for (int index : {-1, 8}) setupLight(index, 0, 1, 0, 0.7f, 0.1f, 0.1f, 0.1f, 1.0f);
  EXPECT_EQ(grey(0, GL_LIGHT_MODEL_AMBIENT), 0.0f);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(glIsEnabled(GL_LIGHT0 + i), i == 3) << "light " << i;
  glDisable(GL_LIGHT3);
}

// The mean red of a patch left or right of a lit sphere's centre, seen through the default view
// from the camera's place after some camera transform, with the light at `angle` in the eye's
// horizontal plane.
double sphereSide(float angle, int side) {
  glViewport(0, 0, 640, 480);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(70, 640.0 / 480, 0.02, 14.35);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(0, 0, 0.35, 0, 0, -0.65, 0, 1, 0);
  glRotatef(75, 0, 1, 0);  // the camera turned: the light must not turn with it
  setupLight(0, std::cos(angle), 0, std::sin(angle), 0.125f, 0.9f, 0.9f, 0.9f, 1.0f);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
  glColor3f(1, 1, 1);
  GLUquadric* sphere = gluNewQuadric();
  gluSphere(sphere, 0.07, 30, 30);
  gluDeleteQuadric(sphere);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_LIGHT0);
  double sum = 0;
  for (int y = 237; y <= 243; ++y) {
    for (int x = 317 + 40 * side; x <= 323 + 40 * side; ++x) sum += testsupport::readPixel(x, y).r;
  }
  return sum / 49;
}

TEST_F(Backdrop, LightSitsInEyeCoordinatesAndLightsTheSideFacingIt) {
  glLoadIdentity();
  glTranslatef(3, -2, 5);
  glRotatef(47, 0.3f, 1, 0.2f);
  GLfloat before[16], after[16], position[4];
  glGetFloatv(GL_MODELVIEW_MATRIX, before);
  setupLight(2, 0.6f, -0.25f, 0.8f, 0.1f, 0.5f, 0.5f, 0.5f, 1.0f);
  glGetLightfv(GL_LIGHT2, GL_POSITION, position);
  glGetFloatv(GL_MODELVIEW_MATRIX, after);
  const float expected[4] = {0.6f, -0.25f, 0.8f, 1};  // eye coordinates, positional
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(position[i], expected[i], 1e-6) << i;
  for (int i = 0; i < 16; ++i) EXPECT_EQ(after[i], before[i]) << "model-view entry " << i;
  glDisable(GL_LIGHT2);

  // A light to the right lights the right side, one to the left the left side.
  EXPECT_GT(sphereSide(0, +1), sphereSide(0, -1) + 50);
  EXPECT_GT(sphereSide(3.14159f, -1), sphereSide(3.14159f, +1) + 50);
}

}  // namespace
