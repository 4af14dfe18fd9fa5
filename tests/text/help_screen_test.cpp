// The help screen layout for two window heights, and the readouts: camera angle lines, matrix
// grid and viewing direction, read back as the characters and positions actually drawn.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/camera.h"
#include "app/gl_state.h"
#include "app/startup.h"
#include "glyph_capture.h"
#include "support/gl_context.h"
#include "text/help_screen.h"
#include "text/text_display.h"

namespace {

using glyphcapture::Line;

// The window is taller than either help screen, so every line can be read back.
class HelpScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::ensureGlContext(800, 720);
    windowWidth = 800;
    textDisplay.recordText = 1;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    cameraHeading = 0;
    cameraPitch = 0;
  }
};

void expectHelpLayout(int title, int block1, int block2) {
  const auto lines = glyphcapture::captureLines(drawHelpScreen);
  ASSERT_EQ(lines.size(), 31u);
  EXPECT_EQ(lines[0].text, "Krateon");
  EXPECT_EQ(lines[0].x, 20);
  EXPECT_EQ(lines[0].y, title);
  EXPECT_EQ(lines[0].size, 30);
  for (int i = 0; i < kHelpBlock1Lines; ++i) {
    const Line& line = lines[1 + i];
    EXPECT_EQ(line.text, kHelpBlock1[i]);
    EXPECT_EQ(line.x, 30);
    EXPECT_EQ(line.y, block1 + 17 * i) << "block 1 line " << i;
    EXPECT_EQ(line.size, 18);
  }
  for (int i = 0; i < kHelpBlock2Lines; ++i) {
    const Line& line = lines[1 + kHelpBlock1Lines + i];
    EXPECT_EQ(line.text, kHelpBlock2[i]);
    EXPECT_EQ(line.x, 30);
    EXPECT_EQ(line.y, block2 + 17 * i) << "block 2 line " << i;
  }
}

TEST_F(HelpScreenTest, LayoutInA700PixelWindow) {
  windowHeight = 700;
  expectHelpLayout(63, 86, 261);
  EXPECT_EQ(261 + 17 * 19, 584);
}

TEST_F(HelpScreenTest, LayoutInA512PixelWindow) {
  windowHeight = 512;
  expectHelpLayout(46, 69, 244);
}

TEST_F(HelpScreenTest, NeverBecomesTheRecordedMessage) {
  windowHeight = 700;
  textDisplay.drawText("Pause Motion", 10, 25, 20);
  drawHelpScreen();
  EXPECT_STREQ(textDisplay.recordedText, "Pause Motion");
  EXPECT_EQ(textDisplay.recordText, 1);
  const GlStateSnapshot after = captureGlState();
  EXPECT_EQ(after, baselineGlState()) << describeGlStateDifference(baselineGlState(), after);
}

TEST_F(HelpScreenTest, CameraAngleLines) {
  cameraHeading = 123.4;
  cameraPitch = -5;
  const auto lines = glyphcapture::captureLines(drawCameraAngleLines);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].text, "Heading 123");
  EXPECT_EQ(lines[0].x, 10);
  EXPECT_EQ(lines[0].y, 40);
  EXPECT_EQ(lines[0].size, 20);
  EXPECT_EQ(lines[1].text, "Pitch    -5");
  EXPECT_EQ(lines[1].y, 60);
}

TEST_F(HelpScreenTest, MatrixReadoutShowsTheModelViewAsAGrid) {
  GLfloat m[16];
  for (int i = 0; i < 16; ++i) m[i] = static_cast<float>(i) + 0.25f;
  glLoadMatrixf(m);
  textDisplay.messageX = 333;
  const auto lines = glyphcapture::captureLines(drawMatrixReadout);
  ASSERT_EQ(lines.size(), 18u);
  EXPECT_EQ(lines[0].text, "Heading   0");
  for (int column = 0; column < 4; ++column) {
    for (int row = 0; row < 4; ++row) {
      const int i = column * 4 + row;
      char expected[32];
      std::snprintf(expected, sizeof expected, "%2d: %6.3f", i, i + 0.25);
      const Line& line = lines[2 + i];
      EXPECT_EQ(line.text, expected);
      EXPECT_EQ(line.x, 50 + 120 * column);
      EXPECT_EQ(line.y, 100 + 30 * row);
    }
  }
  EXPECT_EQ(lines[2 + 6].text, " 6:  6.250");
  EXPECT_EQ(textDisplay.messageX, 10);  // the readout ends with the message position reset
  GLfloat after[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, after);
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(after[i], m[i]);
  glLoadIdentity();
}

TEST_F(HelpScreenTest, DirectionReadoutForHeading90) {
  cameraHeading = 90;
  cameraPitch = 0;
  const auto lines = glyphcapture::captureLines(drawDirectionReadout);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].text, "Heading  90");
  EXPECT_EQ(lines[2].text, "x:  1.000");
  EXPECT_TRUE(lines[3].text == "y:  0.000" || lines[3].text == "y: -0.000") << lines[3].text;
  EXPECT_TRUE(lines[4].text == "z:  0.000" || lines[4].text == "z: -0.000") << lines[4].text;
  EXPECT_EQ(lines[2].x, 50);
  EXPECT_EQ(lines[2].y, 100);
  EXPECT_EQ(lines[3].y, 140);
  EXPECT_EQ(lines[4].y, 180);
}

TEST_F(HelpScreenTest, DirectionReadoutForPitchAndHeading) {
  cameraHeading = 30;
  cameraPitch = 60;  // (sin h, -sin p cos h, cos p cos h) = (0.5, -0.75, 0.433)
  const auto lines = glyphcapture::captureLines(drawDirectionReadout);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[2].text, "x:  0.500");
  EXPECT_EQ(lines[3].text, "y: -0.750");
  EXPECT_EQ(lines[4].text, "z:  0.433");
}

// Angles are unbounded doubles: the lines are cut to the buffer, never written past it.
TEST_F(HelpScreenTest, HugeAnglesStayWithinTheLineBuffer) {
  cameraHeading = 1e300;
  cameraPitch = -1e300;
  const auto lines = glyphcapture::captureLines(drawDirectionReadout);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].text.size(), 79u);
  EXPECT_EQ(lines[0].text.rfind("Heading 1000000000", 0), 0u);
  EXPECT_EQ(lines[1].text.size(), 79u);
  // Each component of a unit vector: "x: " and a number from -1.000 to 1.000 in six places.
  for (int i = 2; i < 5; ++i) {
    const std::string& text = lines[i].text;
    ASSERT_EQ(text.size(), 9u) << text;
    const double value = std::stod(text.substr(3));
    EXPECT_TRUE(value >= -1.0 && value <= 1.0) << text;
    EXPECT_EQ(text[text.size() - 4], '.') << text;
  }
}

TEST_F(HelpScreenTest, ReadoutLinesDoNotReplaceTheMessage) {
  textDisplay.drawText("Camera 2: Manual Mouse/Arrow Key Control", 10, 25, 20);
  drawCameraAngleLines();
  drawMatrixReadout();
  drawDirectionReadout();
  EXPECT_STREQ(textDisplay.recordedText, "Camera 2: Manual Mouse/Arrow Key Control");
  EXPECT_EQ(textDisplay.recordedY, 25);
  const GlStateSnapshot after = captureGlState();
  EXPECT_EQ(after, baselineGlState()) << describeGlStateDifference(baselineGlState(), after);
}

}  // namespace
