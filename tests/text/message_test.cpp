// The message slot on the frame clock, the frames-per-second line and the OpenGL error line:
// what is drawn where, for how long, and what stays recorded.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/frame_step.h"
#include "app/startup.h"
#include "glyph_capture.h"
#include "support/gl_context.h"
#include "text/text_display.h"

namespace {

int clockMs = 0;  // toolkit milliseconds the frame clock was last advanced to

// Moves the frame clock forward the way frames do, never in steps the clock treats as stalls.
void advanceClockTo(int ms) {
  while (clockMs < ms) {
    clockMs = std::min(ms, clockMs + 100);
    advanceFrameClock(clockMs);
  }
}

class MessageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::ensureGlContext(640, 480);
    windowWidth = 640;
    windowHeight = 480;
    textDisplay.recordText = 1;
    textDisplay.resetMessagePosition();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    testsupport::firstGlError();
  }
};

TEST_F(MessageTest, ShowsAtTheMessagePositionAndRecords) {
  const auto lines =
      glyphcapture::captureLines([] { textDisplay.showMessage("Press ? key for Help Screen"); });
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].text, "Press ? key for Help Screen");
  EXPECT_EQ(lines[0].x, 10);
  EXPECT_EQ(lines[0].y, 25);
  EXPECT_EQ(lines[0].size, 20);
  EXPECT_STREQ(textDisplay.recordedText, "Press ? key for Help Screen");
  EXPECT_EQ(textDisplay.recordedX, 10);
  EXPECT_EQ(textDisplay.recordedY, 25);
}

TEST_F(MessageTest, ExpiresAtExactlyThreeSecondsOnTheFrameClock) {
  advanceClockTo(4200);
  textDisplay.showMessage("Reset");
  EXPECT_DOUBLE_EQ(textDisplay.messageExpiry, 7.2);

  advanceClockTo(7199);
  textDisplay.messageX = 300;  // the redraw uses the recorded position, not the current one
  auto lines = glyphcapture::captureLines([] { textDisplay.drawMessage(); });
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].text, "Reset");
  EXPECT_EQ(lines[0].x, 10);
  EXPECT_DOUBLE_EQ(textDisplay.messageExpiry, 7.2);

  advanceClockTo(7200);
  lines = glyphcapture::captureLines([] { textDisplay.drawMessage(); });
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(textDisplay.messageExpiry, 0.0);
  EXPECT_STREQ(textDisplay.recordedText, "Reset");  // the string stays for the next redraw
}

TEST_F(MessageTest, NewMessageReplacesAndRestartsTheTime) {
  advanceClockTo(10000);
  textDisplay.showMessage("first");
  advanceClockTo(12000);
  textDisplay.showMessageInt("Letterbox: %d", 3);
  EXPECT_STREQ(textDisplay.recordedText, "Letterbox: 3");
  EXPECT_DOUBLE_EQ(textDisplay.messageExpiry, 15.0);
}

TEST_F(MessageTest, PercentSignsAreTakenLiterallyExceptDoubled) {
  textDisplay.showMessage("100%% done");
  EXPECT_STREQ(textDisplay.recordedText, "100% done");
  // Conversions the caller should not have written are shown as typed, never read.
  textDisplay.showMessage("%s %n %d %f %");
  EXPECT_STREQ(textDisplay.recordedText, "%s %n %d %f %");
}

TEST_F(MessageTest, FormattedMessagesStayWithinEightyBytes) {
  textDisplay.showMessageReal("Rotate Speed: %4.2f\n", 3e38);
  const std::string huge = textDisplay.recordedText;
  EXPECT_EQ(huge.rfind("Rotate Speed: 3", 0), 0u);
  EXPECT_LE(huge.size(), 79u);

  textDisplay.showMessageReal("FOV: %3.0f Degrees\n", 1e300);
  EXPECT_EQ(std::strlen(textDisplay.recordedText), 79u);
  textDisplay.showMessageInt("Tesselation: %d\n", -2147483647 - 1);
  EXPECT_STREQ(textDisplay.recordedText, "Tesselation: -2147483648\n");

  const std::string longText(200, 'z');
  textDisplay.showMessage(longText.c_str());
  EXPECT_EQ(std::string(textDisplay.recordedText), std::string(79, 'z'));
}

TEST_F(MessageTest, FrameRateLineLeavesTheMessageAlone) {
  advanceClockTo(20000);
  textDisplay.showMessage("Universe Off");
  const double expiry = textDisplay.messageExpiry;
  const auto lines = glyphcapture::captureLines([] { textDisplay.drawFrameRate(60); });
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].text, " 60 Frame/Sec");
  EXPECT_EQ(lines[0].x, 640 - 120);
  EXPECT_EQ(lines[0].y, 25);
  EXPECT_STREQ(textDisplay.recordedText, "Universe Off");
  EXPECT_EQ(textDisplay.recordedX, 10);
  EXPECT_EQ(textDisplay.messageExpiry, expiry);
  EXPECT_EQ(textDisplay.recordText, 1);
}

// An error line is shown for three seconds on its own, next to a message that keeps its time.
TEST_F(MessageTest, ErrorLineStaysThreeSecondsWithoutTouchingTheMessage) {
  advanceClockTo(30000);
  textDisplay.showMessage("SpotLights Off");
  const double messageExpiry = textDisplay.messageExpiry;

  glEnable(0x7fff);  // not a capability: GL_INVALID_ENUM
  auto lines = glyphcapture::captureLines([] { textDisplay.showGlError(); });
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].text, "OpenGL Error: invalid enumerant");
  EXPECT_EQ(lines[0].x, 256);  // 40 % of 640
  EXPECT_EQ(lines[0].y, 25);
  EXPECT_STREQ(textDisplay.recordedText, "SpotLights Off");
  EXPECT_EQ(textDisplay.messageExpiry, messageExpiry);

  advanceClockTo(32900);
  lines = glyphcapture::captureLines([] { textDisplay.showGlError(); });
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].text, "OpenGL Error: invalid enumerant");

  advanceClockTo(33000);
  lines = glyphcapture::captureLines([] { textDisplay.showGlError(); });
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(textDisplay.recordText, 1);
  EXPECT_STREQ(textDisplay.recordedText, "SpotLights Off");
}

}  // namespace
