// On-screen text read back as the driver receives it: GL feedback gives every glyph quad in
// window pixels with its font cell, from which the character is decoded. Glyph placement, the
// message slot on the frame clock, the help screen behind '?', the readouts, the frame-rate and
// error lines. Also built with ASan and UBSan: no string or number may overrun a buffer.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/camera.h"
#include "app/frame_step.h"
#include "app/startup.h"
#include "support/scene_driver.h"
#include "text/glyph_layout.h"
#include "text/help_screen.h"
#include "text/text_display.h"

namespace {

constexpr int kWidth = 800, kHeight = 700;

struct Glyph {
  float left, bottom, right, top;  // window pixels, origin bottom left
  float s0, t0;                    // lower left corner of the font cell sampled
};

// Glyphs one call of `draw` sends, in order. A glyph is a rectangle at depth 0.5 (the text's
// orthographic projection) covering one 1/16 x 1/8 cell; the driver may split it in two
// triangles, which count once. Anything else the draw sends (a whole frame's scene) is left out.
std::vector<Glyph> captureGlyphs(const std::function<void()>& draw) {
  static std::vector<GLfloat> buffer(1 << 22);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const GLint used = glRenderMode(GL_RENDER);
  EXPECT_GE(used, 0) << "feedback buffer overflow";
  std::vector<Glyph> glyphs;
  for (GLint i = 0; i < used;) {
    const auto token = static_cast<GLint>(buffer[i++]);
    int vertices = token == GL_POLYGON_TOKEN ? static_cast<int>(buffer[i++]) : 1;
    if (token == GL_PASS_THROUGH_TOKEN) vertices = 0, ++i;
    if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) vertices = 2;
    Glyph g{1e9f, 1e9f, -1e9f, -1e9f, 1e9f, 1e9f};
    float s1 = -1e9f, t1 = -1e9f;
    bool flat = true;
    for (int v = 0; v < vertices; ++v, i += 11) {
      const GLfloat* f = &buffer[i];
      g.left = std::fmin(g.left, f[0]), g.right = std::fmax(g.right, f[0]);
      g.bottom = std::fmin(g.bottom, f[1]), g.top = std::fmax(g.top, f[1]);
      g.s0 = std::fmin(g.s0, f[7]), s1 = std::fmax(s1, f[7]);
      g.t0 = std::fmin(g.t0, f[8]), t1 = std::fmax(t1, f[8]);
      flat = flat && std::fabs(f[2] - 0.5f) < 1e-6f;
    }
    const bool cell =
        std::fabs(s1 - g.s0 - 0.0625f) < 1e-5f && std::fabs(t1 - g.t0 - 0.125f) < 1e-5f;
    if (token != GL_POLYGON_TOKEN || !flat || !cell) continue;
    const Glyph& last = glyphs.empty() ? Glyph{} : glyphs.back();
    if (last.left != g.left || last.bottom != g.bottom || last.s0 != g.s0 || last.t0 != g.t0) {
      glyphs.push_back(g);
    }
  }
  return glyphs;
}

// A line as drawText takes it: x from the left, y from the top down to the glyph bottoms.
struct Line {
  int x, y, size;
  std::string text;
  bool operator==(const Line&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Line& l) {
  return out << '"' << l.text << "\" at " << l.x << ", " << l.y << " size " << l.size;
}

// Glyphs grouped into lines: a glyph continues a line when it sits on the same baseline, at the
// same size, less than a glyph width to the right of the previous one. The character comes back
// from the font cell: column s0 / 0.0625, row counted down from t = 1 (codes 32 to 159).
std::vector<Line> captureLines(const std::function<void()>& draw) {
  std::vector<Line> lines;
  const Glyph* previous = nullptr;
  const std::vector<Glyph> glyphs = captureGlyphs(draw);
  for (const Glyph& g : glyphs) {
    const float width = g.right - g.left;
    if (previous == nullptr || previous->bottom != g.bottom || previous->top != g.top ||
        g.left <= previous->left || g.left > previous->left + width) {
      lines.push_back({static_cast<int>(std::lround(g.left)),
                       kHeight - static_cast<int>(std::lround(g.bottom)),
                       static_cast<int>(std::lround(g.top - g.bottom)), ""});
    }
    const long column = std::lround(std::floor(g.s0 / 0.0625));
    const long row = std::lround(std::floor((1.0 - g.t0) / 0.125)) - 1;
    lines.back().text += static_cast<char>(32 + ((row * 16 + column) & 255));
    previous = &g;
  }
  return lines;
}

class ScreenText : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testsupport::startScene(kWidth, kHeight); }
  void SetUp() override {
    textDisplay.recordText = 1;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    testsupport::firstGlError();
  }
};

TEST(GlyphLayout, PixelValuesWrapAsSixteenBitsAndNothingTraps) {
  const struct {
    double value;
    short pixels;
  } cases[] = {{-91.9, -91},      {32767.9, 32767}, {32768, -32768}, {40000, -25536},
               {std::nan(""), 0}, {1e300, -1},      {-INFINITY, 0}};
  for (const auto& c : cases) EXPECT_EQ(toShortPixels(c.value), c.pixels) << c.value;
  for (float size : {0.0f, -5.0f, 1e30f, -1e30f, INFINITY, NAN})
    layoutGlyph('W', 32000, -32000, size);
}

// Cells: code c is cell k = c - 32 (mod 256), column k % 16, row k / 16 from the top; s and t
// are shifted 0.01 into the cell, right and down, and rows past the grid wrap (repeat).
TEST_F(ScreenText, GlyphQuadsCellsAndAdvance) {
  struct Case {
    const char* text;
    short x, y;
    float size;
    int glyph;  // which glyph to look at
    Glyph expected;
  };
  const Case cases[] = {
      {"A", 10, 25, 20, 0, {10, 675, 20, 695, 0.0725f, 0.615f}},
      {"~", 0, 700, 18, 0, {0, 0, 9, 18, 0.885f, 0.24f}},
      {"\x05", 0, 100, 20, 0, {0, 600, 10, 620, 0.3225f, -0.885f}},           // the glyph of 133
      {"\xC8", 0, 100, 20, 0, {0, 600, 10, 620, 0.51f, -0.385f}},             // the glyph of 72
      {"abcdefghijk", 0, 50, 18, 10, {80, 650, 89, 668, 0.6975f, 0.365f}},    // 8 pixels a glyph
      {"abcdefghijk", 0, 50, 20, 10, {90, 650, 100, 670, 0.6975f, 0.365f}},   // 9
      {"abcdefghijk", 0, 50, 30, 10, {130, 650, 145, 680, 0.6975f, 0.365f}},  // 13
      {"abcdefghijk", 0, 50, 40, 10, {180, 650, 200, 690, 0.6975f, 0.365f}},  // 18
  };
  for (const Case& c : cases) {
    const auto glyphs = captureGlyphs([&] { textDisplay.drawText(c.text, c.x, c.y, c.size); });
    ASSERT_EQ(glyphs.size(), std::string(c.text).size()) << c.text;
    const Glyph& g = glyphs[c.glyph];
    const Glyph& e = c.expected;
    EXPECT_NEAR(g.left, e.left, 1e-3) << c.text << " size " << c.size;
    EXPECT_NEAR(g.right, e.right, 1e-3) << c.text << " size " << c.size;
    EXPECT_NEAR(g.bottom, e.bottom, 1e-3) << c.text << " size " << c.size;
    EXPECT_NEAR(g.top, e.top, 1e-3) << c.text << " size " << c.size;
    EXPECT_NEAR(g.s0, e.s0, 1e-5) << c.text << " size " << c.size;
    EXPECT_NEAR(g.t0, e.t0, 1e-5) << c.text << " size " << c.size;
  }
}

TEST_F(ScreenText, DrawnWholeOverAnySceneStateAndRecordedCut) {
  glViewport(0, 100, kWidth, 300);            // a letterbox
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);  // the scene in lines
  EXPECT_EQ(captureLines([] { textDisplay.drawText("Hi there", 10, 25, 20); }),
            (std::vector<Line>{{10, 25, 20, "Hi there"}}));
  GLint viewport[4], polygonMode[2];
  glGetIntegerv(GL_VIEWPORT, viewport);
  glGetIntegerv(GL_POLYGON_MODE, polygonMode);
  EXPECT_EQ(viewport[1], 100);
  EXPECT_EQ(viewport[3], 300);
  EXPECT_EQ(polygonMode[0], GL_LINE);
  GLfloat m[16];
  glGetFloatv(GL_PROJECTION_MATRIX, m);  // left as glOrtho(0, 800, 0, 700, -1, 1)
  const float ortho[16] = {
      2.0f / kWidth, 0, 0, 0, 0, 2.0f / kHeight, 0, 0, 0, 0, -1, 0, -1, -1, 0, 1};
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(m[i], ortho[i]) << "projection " << i;
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glViewport(0, 0, kWidth, kHeight);

  const std::string longText(120, 'q');
  EXPECT_EQ(captureGlyphs([&] { textDisplay.drawText(longText.c_str(), 0, 200, 10); }).size(),
            120u);
  EXPECT_EQ(std::string(textDisplay.recordedText), std::string(79, 'q'));
  EXPECT_EQ(textDisplay.recordedY, 200);
  EXPECT_TRUE(captureGlyphs([] { textDisplay.drawText("", 30, 40, 20); }).empty());
  EXPECT_STREQ(textDisplay.recordedText, "");
  EXPECT_EQ(textDisplay.recordedX, 30);
  textDisplay.drawText("kept", 7, 8, 20);
  textDisplay.drawTextUnrecorded("not kept", 70, 80, 20);
  EXPECT_STREQ(textDisplay.recordedText, "kept");
  EXPECT_EQ(textDisplay.recordText, 1);

  // Without a font every glyph is a solid quad in the text colour.
  const GLuint font = textDisplay.fontTexture;
  textDisplay.fontTexture = 0;
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  textDisplay.drawText("M", 100, 100, 40);  // x 100..120, y 600..640 from the bottom
  textDisplay.fontTexture = font;
  EXPECT_EQ(testsupport::readPixel(110, 620).g, 255);
  EXPECT_EQ(testsupport::readPixel(125, 620).g, 0);
}

// Percent signs, long texts and wild numbers: messages and readouts stay in 79 characters.
TEST_F(ScreenText, MessageTextsAreCutNeverOverrun) {
  textDisplay.showMessage("100%% done %s %n %d");
  EXPECT_STREQ(textDisplay.recordedText, "100% done %s %n %d");
  textDisplay.showMessage(std::string(200, 'z').c_str());
  EXPECT_EQ(std::string(textDisplay.recordedText), std::string(79, 'z'));
  textDisplay.showMessageReal("FOV: %3.0f Degrees\n", 1e300);
  EXPECT_EQ(std::string(textDisplay.recordedText).size(), 79u);
  textDisplay.showMessageInt("Tesselation: %d\n", -2147483647 - 1);
  EXPECT_STREQ(textDisplay.recordedText, "Tesselation: -2147483648\n");
  cameraHeading = 1e300;
  cameraPitch = -1e300;
  const auto lines = captureLines(drawDirectionReadout);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].text.size(), 79u);
  for (int i = 2; i < 5; ++i) {
    const double value = std::stod(lines[i].text.substr(3));
    EXPECT_TRUE(lines[i].text.size() == 9u && value >= -1 && value <= 1) << lines[i].text;
  }
}

TEST_F(ScreenText, ReadoutsShowCameraAnglesMatrixAndDirection) {
  textDisplay.drawText("kept", 7, 8, 20);
  cameraHeading = 30;
  cameraPitch = 60;  // looking along (sin h, -sin p cos h, cos p cos h)
  EXPECT_EQ(captureLines(drawDirectionReadout), (std::vector<Line>{{10, 40, 20, "Heading  30"},
                                                                   {10, 60, 20, "Pitch    60"},
                                                                   {50, 100, 20, "x:  0.500"},
                                                                   {50, 140, 20, "y: -0.750"},
                                                                   {50, 180, 20, "z:  0.433"}}));
  GLfloat m[16];
  for (int i = 0; i < 16; ++i) m[i] = static_cast<float>(i) + 0.25f;
  glLoadMatrixf(m);
  textDisplay.messageX = 333;
  std::vector<Line> grid = {{10, 40, 20, "Heading  30"}, {10, 60, 20, "Pitch    60"}};
  for (int column = 0; column < 4; ++column) {  // entry i = column * 4 + row of the GL array
    for (int row = 0; row < 4; ++row) {
      char text[16];
      std::snprintf(text, sizeof text, "%2d: %6.3f", column * 4 + row, column * 4 + row + 0.25);
      grid.push_back({50 + 120 * column, 100 + 30 * row, 20, text});
    }
  }
  EXPECT_EQ(captureLines(drawMatrixReadout), grid);
  EXPECT_EQ(grid[8].text, " 6:  6.250");
  EXPECT_EQ(textDisplay.messageX, 10) << "the readout puts the message home again";
  EXPECT_STREQ(textDisplay.recordedText, "kept") << "readouts are never recorded";
}

const char* const kHelpLines[30] = {"Special Controls for this (32 bitcolor) simulation:",
                                    "           0-9  Set Planet Texture",
                                    " <PageUp/Down>  Adjust Main (Bounce) Speed",
                                    "            []  Adjust Object Size",
                                    "     shift  <>  Adjust Tesselation",
                                    "             i  Images: Toggle Available Textures: Planets",
                                    "             o  Options: Toggle Impact Sound On/Off",
                                    "             v  View: Toggle Camera Movement: Auto/Manual:",
                                    "                 <MouseX/Y>   Adjust Orientation",
                                    "                 <Button>     Launch Meteor",
                                    "Standard Controls in most simulations where applicable:",
                                    "  unshifted <>  Adjust Screen Magnification",
                                    "            -=  Adjust Universe Rotate Speed",
                                    "    shift   _+  Adjust Universe Movement Speed",
                                    "    shift   {}  Adjust Closeness (Camera Z)",
                                    "    shift   ()  Adjust Light Rotate Speed",
                                    "             c  Clock: Toggle Frame-Per-Seconds",
                                    "             f  FullScreen/Window Toggle",
                                    "             l  Letterbox: Adjust Size 0-6",
                                    "             p  Pause: Toggle On/Off",
                                    "             r  Reset/Randomize all parameters",
                                    "             s  Spotlite: Toggle On-Off",
                                    "             u  Universe: Toggle Stars On/Off",
                                    "             w  Wireframe/Points/PolyGon Mode Toggle",
                                    "        <SPACE> Toggle Hyperspace (non-blanking)",
                                    "          <ESC> to QUIT",
                                    "   -------------------------------------------------------- ",
                                    "   Krateon: one planet, one meteor, two hundred pieces.",
                                    "   Real-time OpenGL fireworks for the Linux desktop.",
                                    "   <?> to return"};

// The lines one real frame draws, taken at the given toolkit time (100 ms after the last).
std::vector<Line> frameLines() {
  return captureLines([] { testsupport::frameAfter(100); });
}

bool shows(const std::vector<Line>& lines, const Line& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The frame step redraws a message until three seconds have passed on the frame clock, and
// draws the frame-rate line, the error line and the help screen while they are on.
TEST_F(ScreenText, FramesShowMessagesStatusLinesAndHelp) {
  testsupport::startScene(kWidth, kHeight);
  testsupport::runFrames(42, 100);  // the frame clock at 4.2 s
  textDisplay.showMessage("Reset");
  EXPECT_DOUBLE_EQ(textDisplay.messageExpiry, 7.2);
  textDisplay.messageX = 300;  // redrawn where it was first drawn
  testsupport::runFrames(28, 100);
  EXPECT_TRUE(shows(frameLines(), {10, 25, 20, "Reset"})) << "at 7.1 s";
  EXPECT_FALSE(shows(frameLines(), {10, 25, 20, "Reset"})) << "at 7.2 s";
  EXPECT_EQ(textDisplay.messageExpiry, 0.0);

  testsupport::pressKey('c');
  glEnable(0x7fff);  // not a capability: GL_INVALID_ENUM, reported by the next frame
  std::vector<Line> lines = frameLines();
  char rate[16];
  std::snprintf(rate, sizeof rate, "%3d Frame/Sec", framesPerSecond);
  EXPECT_TRUE(shows(lines, {680, 25, 20, rate})) << rate;
  EXPECT_TRUE(shows(lines, {320, 25, 20, "OpenGL Error: invalid enumerant"}));
  EXPECT_TRUE(shows(lines, {10, 25, 20, "Frame/Second Clock On"}));
  EXPECT_EQ(testsupport::messageText(), "Frame/Second Clock On");
  testsupport::runFrames(28, 100);
  EXPECT_TRUE(shows(frameLines(), {320, 25, 20, "OpenGL Error: invalid enumerant"})) << "2.9 s on";
  EXPECT_FALSE(shows(frameLines(), {320, 25, 20, "OpenGL Error: invalid enumerant"})) << "3 s on";
  testsupport::pressKey('c');

  testsupport::pressKey('?');
  std::vector<Line> help;
  for (const Line& line : frameLines()) {
    if (line.x == 30 || (line.x == 20 && line.size == 30)) help.push_back(line);
  }
  std::vector<Line> expected = {{20, 63, 30, "Krateon"}};
  for (int i = 0; i < 30; ++i) {
    expected.push_back({30, i < 10 ? 86 + 17 * i : 261 + 17 * (i - 10), 18, kHelpLines[i]});
  }
  EXPECT_EQ(help, expected);
  EXPECT_EQ(testsupport::messageText(), "Frame/Second Clock Off") << "help is never recorded";
  testsupport::pressKey('?');
}

}  // namespace
