// The glyph grid and the drawing of strings: quads, texture cells, pen advance, wrapping codes,
// the state drawText leaves behind, and what it records.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "app/gl_state.h"
#include "glyph_capture.h"
#include "support/gl_context.h"
#include "text/glyph_layout.h"
#include "text/text_display.h"

namespace {

constexpr double kTexEpsilon = 1e-6;

TEST(GlyphLayout, LetterAQuadAndCell) {
  // 'A' is code 65: index 33, column 1, row 2. y 25 in a 480-pixel window is baseline 455.
  const GlyphQuad q = layoutGlyph('A', 10, 455, 20);
  EXPECT_FLOAT_EQ(q.left, 10);
  EXPECT_FLOAT_EQ(q.right, 20);
  EXPECT_FLOAT_EQ(q.bottom, 455);
  EXPECT_FLOAT_EQ(q.top, 475);
  EXPECT_NEAR(q.s0, 0.0725, kTexEpsilon);
  EXPECT_NEAR(q.s1, 0.135, kTexEpsilon);
  EXPECT_NEAR(q.t0, 0.615, kTexEpsilon);
  EXPECT_NEAR(q.t1, 0.74, kTexEpsilon);
  EXPECT_EQ(q.nextPenX, 19);
}

TEST(GlyphLayout, PenAdvancesWholePixelsPerSize) {
  const struct {
    float size;
    int advance;
  } cases[] = {{18, 8}, {20, 9}, {30, 13}, {40, 18}};
  for (const auto& c : cases) {
    short pen = 10;
    for (int i = 0; i < 60; ++i) pen = layoutGlyph('x', pen, 0, c.size).nextPenX;
    EXPECT_EQ(pen, 10 + 60 * c.advance) << "size " << c.size;
  }
}

// With the texture repeating, a t shifted by a whole number samples the same cell.
TEST(GlyphLayout, HighAndControlCodesWrapOntoTheGrid) {
  for (int code = 160; code < 256; ++code) {
    const GlyphQuad high = layoutGlyph(static_cast<unsigned char>(code), 0, 0, 20);
    const GlyphQuad base = layoutGlyph(static_cast<unsigned char>(code - 128), 0, 0, 20);
    EXPECT_NEAR(high.s0, base.s0, kTexEpsilon) << code;
    EXPECT_NEAR(high.t0, base.t0 - 1.0, kTexEpsilon) << code;
  }
  for (int code = 0; code < 32; ++code) {
    const GlyphQuad low = layoutGlyph(static_cast<unsigned char>(code), 0, 0, 20);
    const GlyphQuad base = layoutGlyph(static_cast<unsigned char>(code + 128), 0, 0, 20);
    EXPECT_NEAR(low.s0, base.s0, kTexEpsilon) << code;
    EXPECT_NEAR(low.t0, base.t0 - 1.0, kTexEpsilon) << code;
  }
}

TEST(GlyphLayout, PixelCoordinatesWrapAsSixteenBitValues) {
  EXPECT_EQ(toShortPixels(-91.9), -91);  // toward zero
  EXPECT_EQ(toShortPixels(32767.9), 32767);
  EXPECT_EQ(toShortPixels(32768), -32768);
  EXPECT_EQ(toShortPixels(40000), 40000 - 65536);
  EXPECT_EQ(toShortPixels(std::nan("")), 0);
  // Beyond the 32-bit range the value saturates first: defined, if meaningless.
  EXPECT_EQ(toShortPixels(1e300), toShortPixels(2147483647.0));
  EXPECT_EQ(toShortPixels(-INFINITY), toShortPixels(-2147483648.0));
}

// Random codes, pens and sizes, wild ones included: the quad keeps its shape for every finite
// size, and nothing traps (the sanitizer build checks the conversions).
TEST(GlyphLayout, RandomInputsKeepTheQuadShape) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> code(0, 255), pen(-32768, 32767);
  std::uniform_real_distribution<float> size(0.0f, 200.0f);
  const float wild[] = {0.0f, -5.0f, 1e30f, -1e30f, INFINITY, NAN};
  for (int i = 0; i < 20000; ++i) {
    const auto c = static_cast<unsigned char>(code(random));
    const auto x = static_cast<short>(pen(random));
    const auto y = static_cast<short>(pen(random));
    const float s = i % 10 == 0 ? wild[i / 10 % 6] : size(random);
    const GlyphQuad q = layoutGlyph(c, x, y, s);
    EXPECT_NEAR(q.s1 - q.s0, 0.0625, kTexEpsilon);
    EXPECT_TRUE(q.s0 > 0 && q.s1 < 1.01 + kTexEpsilon);
    if (std::isfinite(s) && std::fabs(s) < 1000) {
      // Corners near the 16-bit range are floats with a few thousandths of a pixel to spare.
      EXPECT_NEAR(q.right - q.left, s * 0.5f, 0.01);
      EXPECT_NEAR(q.top - q.bottom, s, 0.01);
    }
  }
}

class DrawTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::ensureGlContext(640, 480);
    textDisplay.recordText = 1;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, 640, 480);
  }
};

TEST_F(DrawTextTest, LetterAThroughTheDriver) {
  const auto glyphs = glyphcapture::captureGlyphs([] { textDisplay.drawText("A", 10, 25, 20); });
  ASSERT_EQ(glyphs.size(), 1u);
  const auto& g = glyphs[0];
  EXPECT_NEAR(g.left, 10, 1e-3);
  EXPECT_NEAR(g.right, 20, 1e-3);
  EXPECT_NEAR(g.bottom, 455, 1e-3);
  EXPECT_NEAR(g.top, 475, 1e-3);
  EXPECT_NEAR(g.s0, 0.0725, 1e-5);
  EXPECT_NEAR(g.s1, 0.135, 1e-5);
  EXPECT_NEAR(g.t0, 0.615, 1e-5);
  EXPECT_NEAR(g.t1, 0.74, 1e-5);
  EXPECT_EQ(g.code, 'A');
}

// The scene's letterbox viewport and line or point mode must not reach the text.
TEST_F(DrawTextTest, WholeWindowFilledWhateverTheSceneSetUp) {
  glViewport(0, 100, 640, 280);
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  const auto lines =
      glyphcapture::captureLines([] { textDisplay.drawText("Hi there", 10, 25, 20); });
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].text, "Hi there");
  EXPECT_EQ(lines[0].x, 10);
  EXPECT_EQ(lines[0].y, 25);
  EXPECT_EQ(lines[0].size, 20);

  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[1], 100);
  EXPECT_EQ(viewport[3], 280);
  GLint modes[2];
  glGetIntegerv(GL_POLYGON_MODE, modes);
  EXPECT_EQ(modes[0], GL_LINE);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glViewport(0, 0, 640, 480);
}

TEST_F(DrawTextTest, LeavesBaselineStateOrthographicProjectionAndColour) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  const GLfloat view[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0.5f, -2, -3, 1};
  glLoadMatrixf(view);
  glColor4f(0.2f, 0.3f, 0.4f, 0.5f);

  textDisplay.drawText("state", 100, 100, 20);

  const GlStateSnapshot after = captureGlState();
  EXPECT_EQ(after, baselineGlState()) << describeGlStateDifference(baselineGlState(), after);
  GLfloat m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(m[i], view[i]) << i;
  glGetFloatv(GL_PROJECTION_MATRIX, m);  // glOrtho(0, 640, 0, 480, -1, 1)
  EXPECT_FLOAT_EQ(m[0], 2.0f / 640);
  EXPECT_FLOAT_EQ(m[5], 2.0f / 480);
  EXPECT_FLOAT_EQ(m[10], -1.0f);
  EXPECT_FLOAT_EQ(m[12], -1.0f);
  EXPECT_FLOAT_EQ(m[13], -1.0f);
  GLfloat colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(colour[i], textDisplay.color[i]);
  EXPECT_EQ(testsupport::firstGlError(), 0u);
  glLoadIdentity();
}

TEST_F(DrawTextTest, WithoutAFontGlyphsAreSolidQuadsInTheTextColour) {
  const GLuint font = textDisplay.fontTexture;
  textDisplay.fontTexture = 0;
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  textDisplay.drawText("M", 100, 100, 40);  // quad x 100..120, y 380..420 from the bottom
  const auto inside = testsupport::readPixel(110, 400);
  const auto outside = testsupport::readPixel(130, 400);
  EXPECT_EQ(inside.r, 255);
  EXPECT_EQ(inside.g, 255);
  EXPECT_EQ(inside.b, 255);
  EXPECT_EQ(outside.r, 0);
  textDisplay.fontTexture = font;
}

TEST_F(DrawTextTest, RecordsCutToSeventyNineButDrawsInFull) {
  const std::string longText(120, 'q');
  const auto glyphs =
      glyphcapture::captureGlyphs([&] { textDisplay.drawText(longText.c_str(), 0, 200, 10); });
  EXPECT_EQ(glyphs.size(), 120u);
  EXPECT_EQ(std::strlen(textDisplay.recordedText), 79u);
  EXPECT_EQ(std::string(textDisplay.recordedText), std::string(79, 'q'));
  EXPECT_EQ(textDisplay.recordedX, 0);
  EXPECT_EQ(textDisplay.recordedY, 200);
}

TEST_F(DrawTextTest, EmptyStringDrawsNothingButIsRecorded) {
  textDisplay.drawText("before", 1, 2, 20);
  const auto glyphs = glyphcapture::captureGlyphs([] { textDisplay.drawText("", 30, 40, 20); });
  EXPECT_TRUE(glyphs.empty());
  EXPECT_STREQ(textDisplay.recordedText, "");
  EXPECT_EQ(textDisplay.recordedX, 30);
  EXPECT_EQ(textDisplay.recordedY, 40);
}

TEST_F(DrawTextTest, UnrecordedDrawingLeavesTheRecordAlone) {
  textDisplay.drawText("kept", 7, 8, 20);
  textDisplay.drawTextUnrecorded("not kept", 70, 80, 20);
  EXPECT_STREQ(textDisplay.recordedText, "kept");
  EXPECT_EQ(textDisplay.recordedX, 7);
  EXPECT_EQ(textDisplay.recordText, 1);
  textDisplay.recordText = 0;
  textDisplay.drawTextUnrecorded("still not", 70, 80, 20);
  EXPECT_EQ(textDisplay.recordText, 0);
  textDisplay.drawText("nor this", 70, 80, 20);
  EXPECT_STREQ(textDisplay.recordedText, "kept");
  textDisplay.recordText = 1;
}

}  // namespace
