// The camera: the auto mode's drift, shake and kick, the manual mouse turn, the transform it
// applies, and the impact aim it computes through the model-view matrix.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "app/camera.h"
#include "app/frame_step.h"
#include "app/input.h"
#include "app/phase_bank.h"
#include "app/settings.h"
#include "sim/impact.h"
#include "sim/numeric.h"
#include "support/gl_context.h"

namespace {

constexpr double kDegrees = 57.29578;

void loadMatrix(const GLfloat m[16]) {
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(m);
}

void readModelView(GLfloat m[16]) {
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
}

// Applies a column-major matrix to a point.
Vec3d transform(const GLfloat m[16], double x, double y, double z) {
  return {m[0] * x + m[4] * y + m[8] * z + m[12], m[1] * x + m[5] * y + m[9] * z + m[13],
          m[2] * x + m[6] * y + m[10] * z + m[14]};
}

class Camera : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::ensureGlContext();
    resetScene();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    cameraJolt = Vec3f{};
    impactClock = -7.0f;
    frameDt = 0.02f;
    mouseOffset = PointerOffset{};
    mouseMoved = 0;
  }

  // One frame of the camera on a fresh identity matrix.
  void cameraFrame() {
    glLoadIdentity();
    updateCamera();
  }
};

TEST_F(Camera, AimingAtTheViewFromHeadingNinetyStrikesMinusX) {
  cameraHeading = 90;
  cameraPitch = 0;
  for (const float size : {1.0f, 2.0f, 0.5f}) {
    sceneSettings.objectSize = size;
    aimImpact(1);
    EXPECT_NEAR(impactPoint.x, -0.07 * size, 1e-6);
    EXPECT_NEAR(impactPoint.y, 0, 1e-6);
    EXPECT_NEAR(impactPoint.z, 0, 1e-6);
    EXPECT_EQ(impactHeading, -90.0f);
    EXPECT_EQ(impactPitch, 0.0f);
  }
}

TEST_F(Camera, AimingAtTheViewHitsThePointThatFacesTheEye) {
  const double views[][2] = {{0, 0}, {37, -12}, {-200, 25}, {410.5, 80}};
  for (const auto& view : views) {
    cameraHeading = view[0];
    cameraPitch = view[1];
    aimImpact(1);
    // Through the camera's rotation the impact point lands on the axis towards the eye.
    glLoadIdentity();
    glRotatef(static_cast<float>(cameraPitch), 1, 0, 0);
    glRotatef(static_cast<float>(cameraHeading), 0, 1, 0);
    GLfloat m[16];
    readModelView(m);
    const Vec3d seen = transform(m, impactPoint.x, impactPoint.y, impactPoint.z);
    EXPECT_NEAR(seen.x, 0, 1e-6) << view[0] << " " << view[1];
    EXPECT_NEAR(seen.y, 0, 1e-6);
    EXPECT_NEAR(seen.z, 0.07, 1e-6);
  }
}

TEST_F(Camera, AimingLeavesTheModelViewMatrixAndModeAsFound) {
  const GLfloat start[16] = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 0.5f, 0.25f, -3, 1};
  for (const int mode : {0, 1, 2}) {
    loadMatrix(start);
    aimImpact(mode);
    GLfloat after[16];
    readModelView(after);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(after[i], start[i]) << "mode " << mode;
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
  }
  // Called with the projection current, it still reads the rotation it built.
  cameraHeading = 90;
  cameraPitch = 0;
  glMatrixMode(GL_PROJECTION);
  aimImpact(1);
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_PROJECTION);
  glMatrixMode(GL_MODELVIEW);
  EXPECT_NEAR(impactPoint.x, -0.07, 1e-6);
}

TEST_F(Camera, RandomAimDrawsPitchThenHeadingInZeroTo360) {
  seedRandom(999);
  const float pitch = static_cast<float>(randomUniform(360));
  const float heading = static_cast<float>(randomUniform(360));
  seedRandom(999);
  aimImpact(0);
  EXPECT_EQ(impactPitch, pitch);
  EXPECT_EQ(impactHeading, heading);
  for (int i = 0; i < 2000; ++i) {
    aimImpact(0);
    ASSERT_GE(impactPitch, 0.0f);
    ASSERT_LT(impactPitch, 360.0f);
    ASSERT_GE(impactHeading, 0.0f);
    ASSERT_LT(impactHeading, 360.0f);
    const double length = std::sqrt(impactPoint.x * impactPoint.x + impactPoint.y * impactPoint.y +
                                    impactPoint.z * impactPoint.z);
    ASSERT_NEAR(length, 0.07, 1e-6);
  }
}

TEST_F(Camera, AnyOtherModeKeepsTheAngleAndRescalesThePoint) {
  aimImpact(0);
  const float heading = impactHeading, pitch = impactPitch;
  const Vec3f before = impactPoint;
  sceneSettings.objectSize = 3.0f;
  EXPECT_EQ(impactPoint.x, before.x) << "a later size change leaves the point alone";
  aimImpact(7);
  EXPECT_EQ(impactHeading, heading);
  EXPECT_EQ(impactPitch, pitch);
  EXPECT_NEAR(impactPoint.x, 3 * before.x, 1e-6);
  EXPECT_NEAR(impactPoint.y, 3 * before.y, 1e-6);
  EXPECT_NEAR(impactPoint.z, 3 * before.z, 1e-6);
}

TEST_F(Camera, ShakeIsTwoAtTheImpactThreeAtTheBreakAndNoneOutside) {
  EXPECT_EQ(shakeStrength(-7.0f), 0.0f);
  EXPECT_EQ(shakeStrength(0.99f), 0.0f);
  EXPECT_FLOAT_EQ(shakeStrength(1.0f), 2.0f);
  EXPECT_FLOAT_EQ(shakeStrength(3.0f), 0.0625f);
  EXPECT_EQ(shakeStrength(5.0f), 0.0f);
  EXPECT_NEAR(shakeStrength(5.0001f), 3.0f, 1e-3);
  EXPECT_NEAR(shakeStrength(9.0f), 0.0f, 1e-9);
  for (float t = 1.1f; t < 4.99f; t += 0.05f) {
    EXPECT_LT(shakeStrength(t), shakeStrength(t - 0.05f));
  }
  for (float t = 5.1f; t < 9.0f; t += 0.05f) EXPECT_LT(shakeStrength(t), shakeStrength(t - 0.05f));
}

TEST_F(Camera, BeforeAnImpactTheAutoCameraOnlySways) {
  sceneSettings.cameraMode = 0;
  impactClock = 0.5f;
  for (int i = 0; i < 500; ++i) {
    for (int slot = 1; slot <= 15; ++slot) phases[slot] = i * 0.37 + slot * 11.1;
    cameraFrame();
    ASSERT_GE(cameraOffset.x, -0.2);
    ASSERT_LE(cameraOffset.x, 0.2);
    ASSERT_GE(cameraOffset.y, -0.1);
    ASSERT_LE(cameraOffset.y, 0.1);
    ASSERT_GE(cameraOffset.z, 0.0);
    ASSERT_LE(cameraOffset.z, 0.2);
    ASSERT_GE(cameraHeading, 0.0);
    ASSERT_LE(cameraHeading, 360.0);
    ASSERT_GE(cameraPitch, -30.0);
    ASSERT_LE(cameraPitch, 30.0);
  }
}

TEST_F(Camera, TheKickAddsToTheEyeAndDecaysTenPercentPerTwentiethSecond) {
  impactClock = 0.5f;
  cameraFrame();
  const Vec3d sway = cameraOffset;
  cameraJolt = Vec3f{0.07f, -0.03f, 0.02f};
  frameDt = 0.05f;
  cameraFrame();
  EXPECT_NEAR(cameraOffset.x - sway.x, 0.07, 1e-6);
  EXPECT_NEAR(cameraOffset.y - sway.y, -0.03, 1e-6);
  EXPECT_NEAR(cameraJolt.x, 0.063f, 1e-7);
  EXPECT_NEAR(cameraJolt.y, -0.027f, 1e-7);
  EXPECT_NEAR(cameraJolt.z, 0.018f, 1e-7);
  frameDt = 0.1f;  // the largest step the frame clock gives
  cameraFrame();
  EXPECT_NEAR(cameraJolt.x, 0.063f * 0.8f, 1e-7);
}

TEST_F(Camera, PausedAutoCameraStandsStill) {
  cameraJolt = Vec3f{0.05f, 0, 0};
  cameraFrame();
  const double heading = cameraHeading, pitch = cameraPitch;
  const Vec3d offset = cameraOffset;
  const Vec3f jolt = cameraJolt;
  paused = 1;
  for (int slot = 1; slot <= 15; ++slot) phases[slot] += 5;
  impactClock = 2.0f;
  cameraFrame();
  EXPECT_EQ(cameraHeading, heading);
  EXPECT_EQ(cameraPitch, pitch);
  EXPECT_EQ(cameraOffset.x, offset.x);
  EXPECT_EQ(cameraOffset.z, offset.z);
  EXPECT_EQ(cameraJolt.x, jolt.x);
  paused = 0;
}

TEST_F(Camera, TheManualCameraTurnsByTheLastOffsetEveryFrame) {
  sceneSettings.cameraMode = 1;
  cameraHeading = 10;
  cameraPitch = 5;
  cameraFrame();
  const Vec3d offset = cameraOffset;
  onMouseMotion(460, 340);  // ten pixels right of and above the pointer home
  for (int frame = 1; frame <= 3; ++frame) {
    cameraFrame();
    EXPECT_NEAR(cameraHeading, 10 + frame * 1.0, 1e-9);
    EXPECT_NEAR(cameraPitch, 5 - frame * 1.0, 1e-9);
    EXPECT_EQ(mouseMoved, 0) << "cleared when the pointer goes home";
  }
  EXPECT_EQ(mouseOffset.x, 10) << "the offset stays until the next motion event";
  paused = 1;
  cameraFrame();
  EXPECT_NEAR(cameraHeading, 14.0, 1e-9) << "pausing does not stop the manual camera";
  paused = 0;
  EXPECT_EQ(cameraOffset.x, offset.x) << "no sway, shake or kick in the manual mode";
  // The warp's own motion event reports the home position: the turn stops.
  mouseOffset = PointerOffset{};
  cameraFrame();
  EXPECT_NEAR(cameraHeading, 14.0, 1e-9);
}

TEST_F(Camera, TheTransformTranslatesByMinusOffsetAfterPitchAfterHeading) {
  sceneSettings.cameraMode = 1;
  cameraHeading = 90;
  cameraPitch = 30;
  cameraOffset = Vec3d{0.1, 0.2, 0.3};
  cameraFrame();
  GLfloat m[16];
  readModelView(m);
  // Heading 90 turns +x to -z; pitch 30 about x then tips it; the offset comes last.
  const Vec3d p = transform(m, 1, 0, 0);
  const double pitch = 30 / kDegrees;
  EXPECT_NEAR(p.x, -0.1, 1e-6);
  EXPECT_NEAR(p.y, std::sin(pitch) - 0.2, 1e-6);
  EXPECT_NEAR(p.z, -std::cos(pitch) - 0.3, 1e-6);
}

}  // namespace
