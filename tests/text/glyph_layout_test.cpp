// On-screen text read back through GL feedback (quads, cells, characters): placement, recording,
// messages on the frame clock, help behind '?', readouts; also run under ASan and UBSan.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/camera.h"
#include "app/command_line.h"
#include "app/startup.h"
#include "app/text_scale.h"
#include "support/scene_driver.h"
#include "text/glyph_layout.h"
#include "text/help_screen.h"
#include "text/text_display.h"

namespace {

constexpr int kWidth = 800, kHeight = 700;

struct Glyph {
  float left, bottom, right, top;  // window pixels, origin bottom left
  float s0, t0;                    // lower left corner of the font cell sampled
  char code;                       // the character of that cell: codes 32 to 159, row by row
};

// The glyphs `draw` sends, in order: quads over one 1/16 x 1/8 font cell; nothing else.
std::vector<Glyph> glyphsDrawnBy(const std::function<void()>& draw) {
  static std::vector<GLfloat> buffer(1 << 22);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const GLint used = glRenderMode(GL_RENDER);
  std::vector<Glyph> glyphs;
  for (GLint i = 0; i < used;) {
    const bool polygon = buffer[i++] == GL_POLYGON_TOKEN;
    float lo[4] = {1e9f, 1e9f, 1e9f, 1e9f}, hi[4] = {-1e9f, -1e9f, -1e9f, -1e9f};  // x y s t
    for (int v = polygon ? static_cast<int>(buffer[i++]) : 1; v > 0; --v, i += 11) {
      for (int k : {0, 1, 2, 3}) lo[k] = std::fmin(lo[k], buffer[i + k + (k < 2 ? 0 : 5)]);
      for (int k : {0, 1, 2, 3}) hi[k] = std::fmax(hi[k], buffer[i + k + (k < 2 ? 0 : 5)]);
    }
    if (!polygon || std::fabs(hi[2] - lo[2] - 0.0625f) + std::fabs(hi[3] - lo[3] - 0.125f) > 1e-5f)
      continue;
    const long cell = std::lround(std::floor(lo[2] / 0.0625)) +
                      16 * (std::lround(std::floor((1 - lo[3]) / 0.125)) - 1);
    const Glyph g{lo[0], lo[1], hi[0], hi[1], lo[2], lo[3], static_cast<char>(32 + (cell & 255))};
    if (glyphs.empty() || glyphs.back().left != g.left || glyphs.back().bottom != g.bottom)
      glyphs.push_back(g);
  }
  return glyphs;
}

// A line as drawText takes it: x from the left, y from the top down to the glyph bottoms.
struct Line {
  int x, y, size;
  std::string text;
  bool operator==(const Line&) const = default;
  friend std::ostream& operator<<(std::ostream& out, const Line& l) {
    return out << '"' << l.text << "\" at " << l.x << ", " << l.y << " size " << l.size;
  }
};

// Glyphs in lines: same baseline and size, less than a glyph width right of the one before.
std::vector<Line> linesDrawnBy(const std::function<void()>& draw) {
  std::vector<Line> lines;
  Glyph last{};
  for (const Glyph& g : glyphsDrawnBy(draw)) {
    if (lines.empty() || g.bottom != last.bottom || g.top != last.top || g.left <= last.left ||
        g.left > last.left + (g.right - g.left)) {
      lines.push_back({static_cast<int>(std::lround(g.left)),
                       kHeight - static_cast<int>(std::lround(g.bottom)),
                       static_cast<int>(std::lround(g.top - g.bottom)), ""});
    }
    lines.back().text += g.code;
    last = g;
  }
  return lines;
}

class ScreenText : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testsupport::startScene(kWidth, kHeight); }
};

// Code c has cell k = c - 32 (mod 256): column k % 16, row k / 16 from the top (wrapping round),
// sampled 0.01 inside its corner. At text scale s every position and size counts s pixels.
TEST_F(ScreenText, GlyphQuadsCellsAdvanceAndRecordedText) {
  const struct {
    const char* text;
    short x, y;
    float size;
    int glyph;  // the glyph looked at
    float left, bottom, height, s0, t0;
    int scale = 1;
  } cases[] = {
      {"A", 10, 25, 20, 0, 10, 675, 20, 0.0725f, 0.615f},
      {"\x05", 0, 100, 20, 0, 0, 600, 20, 0.3225f, -0.885f},          // the glyph of 133
      {"\xC8", 0, 100, 20, 0, 0, 600, 20, 0.51f, -0.385f},            // the glyph of 72
      {"abcdefghijk", 0, 50, 18, 10, 80, 650, 18, 0.6975f, 0.365f},   // 8 pixels a glyph
      {"abcdefghijk", 0, 50, 40, 10, 180, 650, 40, 0.6975f, 0.365f},  // 18
      {"abcdefghijk", 5, 50, 20, 10, 190, 600, 40, 0.6975f, 0.365f, 2},
      {"A", 7, 30, 18, 0, 21, 610, 54, 0.0725f, 0.615f, 3},
  };
  for (const auto& c : cases) {
    textDisplay.scale = c.scale;
    const auto glyphs = glyphsDrawnBy([&] { textDisplay.drawText(c.text, c.x, c.y, c.size); });
    textDisplay.scale = 1;
    SCOPED_TRACE(testing::Message() << c.text << " scale " << c.scale);
    ASSERT_EQ(glyphs.size(), std::string(c.text).size());
    const Glyph& g = glyphs[c.glyph];
    const float expected[6] = {c.left, c.bottom, c.left + c.height / 2, c.bottom + c.height,
                               c.s0,   c.t0};  // glyphs half as wide as high
    const float got[6] = {g.left, g.bottom, g.right, g.top, g.s0, g.t0};
    for (int k = 0; k < 6; ++k) EXPECT_NEAR(got[k], expected[k], 1e-4) << "value " << k;
  }
  EXPECT_EQ(textDisplay.recordedX, 7) << "positions are recorded in text units";
  // Pixel values wrap as 16 bits, and nothing traps.
  const double values[] = {-91.9, 32767.9, 32768, 40000, std::nan(""), 1e300, -INFINITY};
  const short pixels[] = {-91, 32767, -32768, -25536, 0, -1, 0};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(toShortPixels(values[i]), pixels[i]) << values[i];
  // Text fills the window whatever the viewport; records are cut to 79; no font: solid quads.
  glViewport(0, 100, kWidth, 300);  // the scene's letterbox does not reach the text
  EXPECT_EQ(linesDrawnBy([] { textDisplay.drawText("Hi there", 10, 25, 20); }),
            (std::vector<Line>{{10, 25, 20, "Hi there"}}));
  const std::string longText(120, 'q');
  EXPECT_EQ(glyphsDrawnBy([&] { textDisplay.drawText(longText.c_str(), 0, 200, 10); }).size(),
            120u);
  EXPECT_EQ(std::string(textDisplay.recordedText), std::string(79, 'q'));
  EXPECT_TRUE(glyphsDrawnBy([] { textDisplay.drawText("", 30, 40, 20); }).empty());
  EXPECT_STREQ(textDisplay.recordedText, "");
  EXPECT_EQ(textDisplay.recordedX, 30);
  textDisplay.showMessage("100%% done %s %n %d");  // taken as it is, but for the doubled %
  EXPECT_STREQ(textDisplay.recordedText, "100% done %s %n %d");
  textDisplay.showMessage(std::string(200, 'z').c_str());
  EXPECT_EQ(std::string(textDisplay.recordedText), std::string(79, 'z'));
  textDisplay.showMessageReal("FOV: %3.0f Degrees\n", 1e300);
  EXPECT_EQ(std::string(textDisplay.recordedText).size(), 79u);

  const GLuint font = textDisplay.fontTexture;
  textDisplay.fontTexture = 0;
  glClear(GL_COLOR_BUFFER_BIT);
  textDisplay.drawText("M", 100, 100, 40);  // x 100..120, y 600..640 from the bottom
  textDisplay.fontTexture = font;
  const testsupport::Frame frame = testsupport::readFrame();
  EXPECT_TRUE(frame.at(110, 620).g == 255 && frame.at(125, 620).g == 0);
}

const char* const kHelpLines[30] = {
    // clang-format off
    "Special Controls for this (32 bitcolor) simulation:", "           0-9  Set Planet Texture",
    " <PageUp/Down>  Adjust Main (Bounce) Speed", "            []  Adjust Object Size",
    "     shift  <>  Adjust Tesselation",
    "             i  Images: Toggle Available Textures: Planets",
    "             o  Options: Toggle Impact Sound On/Off",
    "             v  View: Toggle Camera Movement: Auto/Manual:",
    "                 <MouseX/Y>   Adjust Orientation",
    "                 <Button>     Launch Meteor",
    "Standard Controls in most simulations where applicable:",
    "  unshifted <>  Adjust Screen Magnification", "            -=  Adjust Universe Rotate Speed",
    "    shift   _+  Adjust Universe Movement Speed", "    shift   {}  Adjust Closeness (Camera Z)",
    "    shift   ()  Adjust Light Rotate Speed", "             c  Clock: Toggle Frame-Per-Seconds",
    "             f  FullScreen/Window Toggle", "             l  Letterbox: Adjust Size 0-6",
    "             p  Pause: Toggle On/Off", "             r  Reset/Randomize all parameters",
    "             s  Spotlite: Toggle On-Off", "             u  Universe: Toggle Stars On/Off",
    "             w  Wireframe/Points/PolyGon Mode Toggle",
    "        <SPACE> Toggle Hyperspace (non-blanking)", "          <ESC> to QUIT",
    "   -------------------------------------------------------- ",
    "   Krateon: one planet, one meteor, two hundred pieces.",
    "   Real-time OpenGL fireworks for the Linux desktop.", "   <?> to return",
    // clang-format on
};

// At text scale 1 and 2 every line is that much taller, placed in units of that many pixels: the
// title, the message, an OpenGL error at 40 % of the width, the frame rate 120 units from the
// right, the help, the readouts (cut at the edges); a message lasts three seconds of frame clock.
TEST_F(ScreenText, FramesShowTheirLinesAtEachScaleAndMessagesForThreeSeconds) {
  for (const int s : {1, 2}) {
    SCOPED_TRACE(testing::Message() << "scale " << s);
    testsupport::startScene(kWidth, kHeight);
    programOptions.textScale = s;
    onReshape(kWidth, kHeight);
    testsupport::runFrames(42, 100);  // the frame clock at 4.2 s
    glEnable(0x7fff);                 // not a capability: the next frame reports GL_INVALID_ENUM
    testsupport::pressKeys("c?");
    const std::vector<Line> lines = linesDrawnBy([] { testsupport::frameAfter(100); });
    const std::string error =
        std::string("OpenGL Error: invalid enumerant").substr(0, s == 1 ? 31 : 26);
    for (const Line& line :
         {Line{430, 376, 40 * s, "Krateon"}, Line{10 * s, 25 * s, 20 * s, "Frame/Second Clock On"},
          Line{320, 25 * s, 20 * s, error}}) {
      EXPECT_TRUE(std::find(lines.begin(), lines.end(), line) != lines.end()) << line;
    }
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const Line& l) {
      return l.x == 800 - 120 * s && l.y == 25 * s && l.size == 20 * s &&
             l.text.ends_with(" Frame/Sec");
    }));
    EXPECT_EQ(testsupport::messageText(), "Frame/Second Clock On");
    std::vector<Line> help;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(help), [&](const Line& l) {
      return l.x == 30 * s || (l.x == 20 * s && l.size == 30 * s);
    });
    std::vector<Line> expected = {{20 * s, 64 - s, 30 * s, "Krateon"}};
    for (int i = 0; i < 42 - 12 * s; ++i) {  // at scale 2, 18 lines of 46 glyphs fit
      expected.push_back({30 * s, 64 - s + s * (23 + 17 * i + (i < 10 ? 0 : 5)), 18 * s,
                          std::string(kHelpLines[i]).substr(0, s == 1 ? 80 : 46)});
    }
    EXPECT_EQ(help, expected);
    testsupport::pressKeys("?c");

    // Readouts, never recorded: the direction (sin h, -sin p cos h, cos p cos h), the model-view.
    cameraHeading = 30;
    cameraPitch = 60;
    std::vector<Line> readout = {{10 * s, 40 * s, 20 * s, "Heading  30"},
                                 {10 * s, 60 * s, 20 * s, "Pitch    60"}};
    for (const char* value : {"x:  0.500", "y: -0.750", "z:  0.433"})
      readout.push_back({50 * s, (100 + 40 * (value[0] - 'x')) * s, 20 * s, value});
    EXPECT_EQ(linesDrawnBy(drawDirectionReadout), readout);
    readout.resize(2);
    GLfloat m[16];
    for (int i = 0; i < 16; ++i) m[i] = static_cast<float>(i) + 0.25f;
    for (int i = 0; i < 20 - 4 * s; ++i) {  // at scale 2 the fourth column lies past the edge
      char text[32];
      std::snprintf(text, sizeof text, "%2d: %6.3f", i, i + 0.25);
      readout.push_back({(50 + 120 * (i / 4)) * s, (100 + 30 * (i % 4)) * s, 20 * s, text});
    }
    glLoadMatrixf(m);
    textDisplay.messageX = 333;
    EXPECT_EQ(linesDrawnBy(drawMatrixReadout), readout);
    EXPECT_EQ(textDisplay.messageX, 10) << "the readout puts the message home again";
    EXPECT_EQ(testsupport::messageText(), "Frame/Second Clock Off");

    textDisplay.showMessage("Reset");
    textDisplay.messageX = 300;  // redrawn where it was first drawn
    testsupport::runFrames(28, 100);
    for (const bool shown : {true, false}) {  // at 7.2 s, gone at 7.3 s
      const std::vector<Line> next = linesDrawnBy([] { testsupport::frameAfter(100); });
      EXPECT_EQ(std::count(next.begin(), next.end(), Line{10 * s, 25 * s, 20 * s, "Reset"}), shown);
    }
    EXPECT_EQ(textDisplay.messageExpiry, 0.0);
  }
  programOptions.textScale = 0;
  onReshape(kWidth, kHeight);
}

// The scale: --text-scale, else Xft.dpi / 96, else height / 1080 (rounded, 1 to 8), on resizes.
TEST_F(ScreenText, TextScaleFromTheOptionTheDesktopOrTheWindowHeight) {
  const struct {
    const char* resources;  // as xrdb keeps them; null: none at all
    int option, height, scale;
  } cases[] = {
      // clang-format off
      {nullptr, 0, 600, 1}, {nullptr, 0, 1080, 1}, {nullptr, 0, 1440, 1}, {nullptr, 0, 1600, 1},
      {nullptr, 0, 1620, 2}, {nullptr, 0, 2160, 2}, {nullptr, 0, 4320, 4}, {nullptr, 0, 0, 1},
      {nullptr, 0, 30000, 8}, {nullptr, 8, 600, 8}, {"Xft.antialias:\t1\n", 0, 2160, 2},
      {"Xft.dpi:\t72\n", 0, 2160, 1}, {"Xft.dpi:\t96\n", 0, 2160, 1}, {"Xft.dpi: 0\n", 0, 2160, 2},
      {"Xft.antialias:\t1\nXft.dpi:\t192\nXft.hinting:\t1\n", 0, 1080, 2},
      {"Xft.dpi:\t144\n", 0, 600, 2}, {"! a comment\nXft.dpi: 288 \n", 0, 600, 3},
      {"Xft.dpi: 1e300\n", 0, 600, 8}, {"Xft.dpi: -192\n", 0, 600, 1},
      {"Xft.dpi: large\n", 0, 2160, 2}, {"Xft.dpi: 192dpi\n", 0, 600, 1},
      {"Xft.dpi: nan\n", 0, 600, 1}, {"Xft.dpi:\t192\n", 1, 2160, 1}, {"Xft.dpi:\t96\n", 3, 600, 3},
      // clang-format on
  };
  for (const auto& c : cases) {
    useDesktopResources(c.resources);
    programOptions.textScale = c.option;
    onReshape(kWidth, c.height);
    EXPECT_EQ(textDisplay.scale, c.scale) << (c.resources ? c.resources : "no resources")
                                          << ", option " << c.option << ", height " << c.height;
  }
  useDesktopResources(nullptr);
  programOptions.textScale = 0;
  onReshape(kWidth, kHeight);
  EXPECT_EQ(textDisplay.scale, 1);
}

}  // namespace
