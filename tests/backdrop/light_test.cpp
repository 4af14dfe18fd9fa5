// Tests of the scene's light: its colours and level, its place in eye coordinates, and the
// lit side of a sphere following it.
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>

#include "backdrop/gl_test_helpers.h"
#include "backdrop/light.h"
#include "support/gl_context.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

struct Colour {
  GLfloat v[4];
};

Colour lightColour(GLenum light, GLenum which) {
  Colour c{};
  glGetLightfv(light, which, c.v);
  return c;
}

Colour modelAmbient() {
  Colour c{};
  glGetFloatv(GL_LIGHT_MODEL_AMBIENT, c.v);
  return c;
}

Colour materialSpecular(GLenum face) {
  Colour c{};
  glGetMaterialfv(face, GL_SPECULAR, c.v);
  return c;
}

void expectGrey(const Colour& c, float level, const char* what) {
  EXPECT_NEAR(c.v[0], level, 1e-6) << what;
  EXPECT_NEAR(c.v[1], level, 1e-6) << what;
  EXPECT_NEAR(c.v[2], level, 1e-6) << what;
  EXPECT_FLOAT_EQ(c.v[3], 1.0f) << what;
}

class LightTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::ensureGlContext(kWidth, kHeight);
    gltest::applySceneBaseline();
    for (int i = 0; i < 8; ++i) glDisable(GL_LIGHT0 + i);
    testsupport::firstGlError();
  }
  void TearDown() override { EXPECT_EQ(testsupport::firstGlError(), 0u); }
};

TEST_F(LightTest, LevelScalesEveryColourAndZeroLeavesTheLightOnInBlack) {
  setupLight(0, 1, 0, 0, 0.125f, 0.9f, 0.8f, 0.7f, 0.5f);
  expectGrey(lightColour(GL_LIGHT0, GL_DIFFUSE), 0.45f, "half diffuse");
  expectGrey(lightColour(GL_LIGHT0, GL_SPECULAR), 0.4f, "half specular");
  expectGrey(materialSpecular(GL_FRONT), 0.35f, "half material specular");

  setupLight(0, 1, 0, 0, 0.125f, 0.9f, 0.9f, 0.9f, 0.0f);
  expectGrey(modelAmbient(), 0, "light model ambient");
  expectGrey(lightColour(GL_LIGHT0, GL_AMBIENT), 0, "light ambient");
  expectGrey(lightColour(GL_LIGHT0, GL_DIFFUSE), 0, "light diffuse");
  expectGrey(lightColour(GL_LIGHT0, GL_SPECULAR), 0, "light specular");
  expectGrey(materialSpecular(GL_FRONT), 0, "material specular");
  EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
}

TEST_F(LightTest, PositionIsInEyeCoordinatesWhateverTheModelView) {
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(3, -2, 5);
  glRotatef(47, 0.3f, 1, 0.2f);
  GLfloat before[16], after[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, before);

  setupLight(2, 0.6f, -0.25f, 0.8f, 0.1f, 0.5f, 0.5f, 0.5f, 1.0f);

  GLfloat position[4] = {};
  glGetLightfv(GL_LIGHT2, GL_POSITION, position);
  EXPECT_NEAR(position[0], 0.6f, 1e-6);
  EXPECT_NEAR(position[1], -0.25f, 1e-6);
  EXPECT_NEAR(position[2], 0.8f, 1e-6);
  EXPECT_FLOAT_EQ(position[3], 1.0f);  // positional, not directional
  glGetFloatv(GL_MODELVIEW_MATRIX, after);
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(after[i], before[i]) << "matrix entry " << i;
  EXPECT_TRUE(glIsEnabled(GL_LIGHT2));
  EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
}

TEST_F(LightTest, IndexOutsideTheTableChangesNothing) {
  setupLight(0, 1, 0, 0, 0.2f, 0.9f, 0.9f, 0.9f, 1.0f);
  for (int index : {-1, 8, 1000}) {
    setupLight(index, 0, 1, 0, 0.7f, 0.1f, 0.1f, 0.1f, 1.0f);
    expectGrey(modelAmbient(), 0.2f, "light model ambient after a bad index");
    expectGrey(materialSpecular(GL_FRONT), 0.9f, "material after a bad index");
  }
  for (int i = 1; i < 8; ++i) EXPECT_FALSE(glIsEnabled(GL_LIGHT0 + i)) << "light " << i;
}

// The planet's lit side follows the light around its circle in the eye's horizontal plane.
double brightnessOfSide(float lightAngle, int sideX) {
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glViewport(0, 0, kWidth, kHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(70, static_cast<double>(kWidth) / kHeight, 0.02, 14.35);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(0, 0, 0.35, 0, 0, -0.65, 0, 1, 0);
  setupLight(0, std::cos(lightAngle), 0, std::sin(lightAngle), 0.125f, 0.9f, 0.9f, 0.9f, 1.0f);
  glEnable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
  GLUquadric* sphere = gluNewQuadric();
  gluSphere(sphere, 0.07, 30, 30);
  gluDeleteQuadric(sphere);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  const gltest::Frame frame = gltest::readFrame(kWidth, kHeight);
  // Sample a small patch on one side of the sphere's picture, level with its centre.
  const int cx = kWidth / 2 + sideX * 40;
  double sum = 0;
  for (int y = kHeight / 2 - 3; y <= kHeight / 2 + 3; ++y) {
    for (int x = cx - 3; x <= cx + 3; ++x) sum += frame.at(x, y)[0];
  }
  return sum / 49;
}

TEST_F(LightTest, LitSideOfASphereFollowsTheLight) {
  glColor3f(1, 1, 1);
  const double rightLitByRight = brightnessOfSide(0, +1);
  const double leftLitByRight = brightnessOfSide(0, -1);
  const double rightLitByLeft = brightnessOfSide(static_cast<float>(M_PI), +1);
  const double leftLitByLeft = brightnessOfSide(static_cast<float>(M_PI), -1);
  EXPECT_GT(rightLitByRight, leftLitByRight + 50);
  EXPECT_GT(leftLitByLeft, rightLitByLeft + 50);
  glDisable(GL_LIGHT0);
}

}  // namespace
