// The star field and the light, seen in an orthographic box [-2, 2]^3: stars read back through
// GL feedback (place and colour of every point), the light through its GL values and the pixels
// of a lit sphere.
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "backdrop/light.h"
#include "backdrop/star_field.h"
#include "sim/numeric.h"
#include "support/scene_driver.h"

namespace {

constexpr double kSlack = 2e-3;  // read-back precision of a position, scene units

struct Star {
  double x, y, z, r;  // scene units, r the distance from the origin
  float red, green, blue;
};

std::vector<Star> starsDrawnBy(const std::function<void()>& draw) {
  static std::vector<GLfloat> buffer(1 << 18);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const GLint used = glRenderMode(GL_RENDER);
  std::vector<Star> stars;
  for (GLint i = 0; i + 7 < used; i += 8) {  // a point token, x y z, r g b a
    EXPECT_EQ(buffer[i], GL_POINT_TOKEN);
    const double x = buffer[i + 1] / 160 - 2, y = buffer[i + 2] / 120 - 2,
                 z = 2 - 4 * buffer[i + 3];
    stars.push_back({x, y, z, std::hypot(x, y, z), buffer[i + 4], buffer[i + 5], buffer[i + 6]});
  }
  return stars;
}

class Backdrop : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testsupport::startScene(); }
  void SetUp() override {
    glViewport(0, 0, 640, 480);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-2, 2, -2, 2, -2, 2);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }
  void TearDown() override {
    field.releaseStarField();
    EXPECT_EQ(testsupport::firstGlError(), 0u);
  }
  std::vector<Star> listed() {
    return starsDrawnBy([&] { glCallList(field.starList); });
  }
  StarField field;
};

// The scene's own field, as start-up builds it: 2000 stars filling the shell from 0.25 to 1
// evenly by volume, dim near-greys but for one star in ten with a wider range, which falls below
// 0.40 in some channel with probability 1 - 0.6^3.
TEST_F(Backdrop, SceneStarsFillTheShellWithMostlyNarrowColours) {
  const std::vector<Star> stars = starsDrawnBy([] { glCallList(starField.starList); });
  ASSERT_EQ(stars.size(), 2000u);
  int wide = 0, inner = 0, below = 0;
  for (const Star& s : stars) {
    ASSERT_TRUE(s.r > 0.25 - kSlack && s.r < 1 + kSlack) << s.r;
    const float darkest = std::min({s.red, s.green, s.blue});
    ASSERT_TRUE(darkest > 0.24f - 1e-5f && std::max({s.red, s.green, s.blue}) < 0.64f + 1e-5f);
    wide += darkest < 0.4f - 1e-5f ? 1 : 0;
    inner += s.r < 0.625 ? 1 : 0;
    below += s.y < 0 ? 1 : 0;
  }
  EXPECT_NEAR(wide / 2000.0, 0.1 * 0.784, 0.025);
  EXPECT_NEAR(inner / 2000.0, (0.625 * 0.625 * 0.625 - 0.015625) / (1 - 0.015625), 0.04);
  EXPECT_NEAR(below / 2000.0, 0.5, 0.05);
}

// Each star draws x, y, z until it lands in the shell, then its range, then blue, green, red.
TEST_F(Backdrop, StarsFollowTheGeneratorOrder) {
  seedRandom(777);
  field.buildStarField(50, 1.0f, 0.25f, kStarShell);
  const std::vector<Star> stars = listed();
  ASSERT_EQ(stars.size(), 50u);
  seedRandom(777);
  for (const Star& s : stars) {
    double p[3];
    do {
      for (double& v : p) v = randomUniform(2.0) - 1.0;
    } while (std::hypot(p[0], p[1], p[2]) < 0.25 || std::hypot(p[0], p[1], p[2]) > 1.0);
    const bool wide = randomUniform(1) < 0.1;
    float bgr[3];
    for (float& c : bgr)
      c = static_cast<float>(((wide ? 0.3 : 0.5) + randomUniform(wide ? 0.5 : 0.3)) * 0.8);
    const double got[6] = {s.x, s.y, s.z, s.blue, s.green, s.red};
    const double expected[6] = {p[0], p[1], p[2], bgr[0], bgr[1], bgr[2]};
    for (int k = 0; k < 6; ++k) EXPECT_NEAR(got[k], expected[k], k < 3 ? kSlack : 1e-6) << k;
  }
}

TEST_F(Backdrop, ShapesKeepToTheirRegionsAndEmptyRegionsGiveEmptyLists) {
  const struct {
    int shape;
    float outer, inner;
    bool empty;
  } cases[] = {{kStarUpperShell, 0.8f, 0.3f, false},
               {kStarCubeShell, 0.8f, 0.5f, false},
               {7, 0.6f, 0.4f, false},
               {kStarShell, 0.5f, 0.5f, true},
               {kStarShell, 0.5f, 0.9f, true},
               {kStarCubeShell, 0.5f, 0.495f, true},
               {kStarShell, NAN, 0.25f, true}};
  for (const auto& c : cases) {
    field.buildStarField(300, c.outer, c.inner, c.shape);
    const std::vector<Star> stars = listed();
    EXPECT_EQ(stars.size(), c.empty ? 0u : 300u) << "shape " << c.shape << " inner " << c.inner;
    for (const Star& s : stars) {
      const double reach = std::max({std::fabs(s.x), std::fabs(s.y), std::fabs(s.z)});
      const bool inside = c.shape == kStarCubeShell
                              ? reach > c.inner + 0.01 - kSlack && reach < c.outer + kSlack
                              : s.r > c.inner - kSlack && s.r < c.outer + kSlack &&
                                    (c.shape != kStarUpperShell || s.y > -kSlack);
      ASSERT_TRUE(inside) << "shape " << c.shape << " at " << s.x << ", " << s.y << ", " << s.z;
    }
  }
}

// Every star twice, the second copy turned 120 degrees about y, and 2 pixels wide.
TEST_F(Backdrop, DrawShowsEveryStarTwiceAndReleaseDeletesOnce) {
  field.buildStarField(5, 1.0f, 0.25f, kStarShell);
  const std::vector<Star> drawn = starsDrawnBy([&] { field.drawStarField(); });
  ASSERT_EQ(drawn.size(), 10u);
  const double c = std::cos(120 / 57.29578), s = std::sin(120 / 57.29578);
  for (int i = 0; i < 5; ++i) {
    const Star &a = drawn[i], &b = drawn[i + 5];
    EXPECT_NEAR(b.x, a.x * c + a.z * s, kSlack);
    EXPECT_NEAR(b.y, a.y, kSlack);
    EXPECT_NEAR(b.z, -a.x * s + a.z * c, kSlack);
  }
  GLfloat pointSize = 0;
  glGetFloatv(GL_POINT_SIZE, &pointSize);
  EXPECT_EQ(pointSize, 2.0f);
  field.releaseStarField();
  const GLuint other = glGenLists(1);  // may take the released name: a second release keeps it
  glNewList(other, GL_COMPILE);
  glEndList();
  field.releaseStarField();
  EXPECT_TRUE(glIsList(other));
  glDeleteLists(other, 1);
  EXPECT_TRUE(starsDrawnBy([&] { field.drawStarField(); }).empty());
}

// Mean red of a patch left (-1) or right (+1) of a lit unit sphere at the origin. The camera is
// turned: the light, given in eye coordinates, must not turn with it.
double sphereSide(float lightAngle, int side) {
  glLoadIdentity();
  glRotatef(75, 0, 1, 0);
  setupLight(0, 3 * std::cos(lightAngle), 0, 3 * std::sin(lightAngle), 0.125f, 0.9f, 0.9f, 0.9f, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
  GLUquadric* sphere = gluNewQuadric();
  gluSphere(sphere, 1, 30, 30);
  gluDeleteQuadric(sphere);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_LIGHT0);
  double sum = 0;
  for (int y = 237; y <= 243; ++y) {
    for (int x = 317 + 80 * side; x <= 323 + 80 * side; ++x) sum += testsupport::readPixel(x, y).r;
  }
  return sum / 49;
}

// Colours are grey levels times the common level, alpha 1; the position is in eye coordinates,
// whatever the model-view holds, which is left as it was; an index past the eight does nothing.
TEST_F(Backdrop, LightLevelsPlaceAndLitSide) {
  glTranslatef(3, -2, 5);
  glRotatef(47, 0.3f, 1, 0.2f);
  GLfloat before[16], after[16], position[4], c[5][4];
  glGetFloatv(GL_MODELVIEW_MATRIX, before);
  setupLight(3, 0.6f, -0.25f, 0.8f, 0.125f, 0.9f, 0.8f, 0.7f, 0.5f);
  glGetFloatv(GL_MODELVIEW_MATRIX, after);
  glGetLightfv(GL_LIGHT3, GL_POSITION, position);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(after[i], before[i]) << "model-view entry " << i;
  const float expected[4] = {0.6f, -0.25f, 0.8f, 1};  // positional
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(position[i], expected[i], 1e-6) << "position " << i;
  glGetFloatv(GL_LIGHT_MODEL_AMBIENT, c[0]);
  glGetLightfv(GL_LIGHT3, GL_AMBIENT, c[1]);
  glGetLightfv(GL_LIGHT3, GL_DIFFUSE, c[2]);
  glGetLightfv(GL_LIGHT3, GL_SPECULAR, c[3]);
  glGetMaterialfv(GL_BACK, GL_SPECULAR, c[4]);
  const float levels[5] = {0.0625f, 0.0625f, 0.45f, 0.4f, 0.35f};
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(c[i][0] == c[i][1] && c[i][1] == c[i][2] && c[i][3] == 1) << "colour " << i;
    EXPECT_FLOAT_EQ(c[i][0], levels[i]) << "colour " << i;
  }
  for (int index : {-1, 8}) setupLight(index, 0, 1, 0, 0.7f, 0.1f, 0.1f, 0.1f, 1.0f);
  glGetFloatv(GL_LIGHT_MODEL_AMBIENT, c[0]);
  EXPECT_FLOAT_EQ(c[0][0], 0.0625f);
  setupLight(3, 1, 0, 0, 0.125f, 0.9f, 0.8f, 0.7f, 0);
  glGetLightfv(GL_LIGHT3, GL_DIFFUSE, c[2]);
  EXPECT_EQ(c[2][0], 0.0f);
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(glIsEnabled(GL_LIGHT0 + i), i == 3) << "a black light stays on";
  glDisable(GL_LIGHT3);

  glColor3f(1, 1, 1);
  EXPECT_GT(sphereSide(0.6f, +1), sphereSide(0.6f, -1) + 100) << "a light to the front right";
  EXPECT_GT(sphereSide(2.54f, -1), sphereSide(2.54f, +1) + 100) << "a light to the front left";
}

}  // namespace
