// The help screen (the key list) and the numeric readouts: camera angle lines, the model-view
// matrix grid and the viewing direction. None of these lines becomes the recorded message.
#include "text/help_screen.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "core/camera_state.h"
#include "core/frame_clock.h"
#include "core/numeric.h"
#include "text/glyph_layout.h"
#include "text/text_display.h"

namespace {

// Positions and sizes in text units, which the text's scale turns into pixels.
constexpr short kTitleX = 20;     // help screen title, from the left
constexpr short kLineX = 30;      // help screen lines, from the left
constexpr float kTitleSize = 30;  // glyph heights
constexpr float kLineSize = 18;
constexpr int kLineStep = 17;       // from one help line to the next
constexpr double kTopShare = 0.09;  // title at this share of the window height
constexpr double kTitleGap = 1.4;   // title to block 1, in line steps
constexpr double kBlockGap = 0.3;   // extra gap between the two blocks, in line steps

constexpr float kReadoutSize = 20;
constexpr short kAngleLineX = 10;  // camera angle lines
constexpr short kHeadingLineY = 40;
constexpr short kPitchLineY = 60;
constexpr short kReadoutX = 50;  // readout grid origin and spacing
constexpr short kReadoutY = 100;
constexpr short kMatrixColumnStep = 120;
constexpr short kMatrixRowStep = 30;
constexpr short kDirectionRowStep = 40;

// One readout line of a single number, cut to the 80-byte buffer however large the value.
void drawValueLine(const char* format, double value, short x, short y) {
  char line[kTextBufferSize];
  std::snprintf(line, sizeof line, format, value);
  textDisplay.drawTextUnrecorded(line, x, y, kReadoutSize);
}

// Lines from top to bottom at the help screen's left margin; returns the y below the last.
short drawHelpBlock(const char* const* lines, int count, short y) {
  for (int i = 0; i < count; ++i) {
    textDisplay.drawTextUnrecorded(lines[i], kLineX, y, kLineSize);
    y = toShortPixels(y + kLineStep);
  }
  return y;
}

// Degrees to radians in single precision, as the vector rotation takes them. An angle so large
// that its radians leave the float range is first reduced by whole turns.
float toSingleRadians(double degrees) {
  double radians = degrees / kDegreesPerRadian;
  if (std::fabs(radians) > std::numeric_limits<float>::max()) {
    radians = std::fmod(degrees, 360.0) / kDegreesPerRadian;
  }
  return static_cast<float>(radians);
}

}  // namespace

const char* const kHelpBlock1[kHelpBlock1Lines] = {
    "Special Controls for this (32 bitcolor) simulation:",
    "           0-9  Set Planet Texture",
    " <PageUp/Down>  Adjust Main (Bounce) Speed",
    "            []  Adjust Object Size",
    "     shift  <>  Adjust Tesselation",
    "             i  Images: Toggle Available Textures: Planets",
    "             o  Options: Toggle Impact Sound On/Off",
    "             v  View: Toggle Camera Movement: Auto/Manual:",
    "                 <MouseX/Y>   Adjust Orientation",
    "                 <Button>     Launch Meteor",
};

const char* const kHelpBlock2[kHelpBlock2Lines] = {
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
    "   <?> to return",
};

void drawHelpScreen() {
  short y = toShortPixels(windowHeight * kTopShare / textDisplay.scale);
  textDisplay.drawTextUnrecorded("Krateon", kTitleX, y, kTitleSize);
  y = toShortPixels(y + kLineStep * kTitleGap);
  y = drawHelpBlock(kHelpBlock1, kHelpBlock1Lines, y);
  y = toShortPixels(y + kLineStep * kBlockGap);
  drawHelpBlock(kHelpBlock2, kHelpBlock2Lines, y);
}

void drawCameraAngleLines() {
  drawValueLine("Heading %3.0f", cameraHeading, kAngleLineX, kHeadingLineY);
  drawValueLine("Pitch   %3.0f", cameraPitch, kAngleLineX, kPitchLineY);
}

// The model-view matrix as OpenGL holds it (column-major), laid out as the mathematical 4 x 4
// grid: entry i = column * 4 + row at grid column `column`, grid row `row`.
void drawMatrixReadout() {
  drawCameraAngleLines();
  GLfloat m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  for (int column = 0; column < 4; ++column) {
    for (int row = 0; row < 4; ++row) {
      const int i = column * 4 + row;
      char line[kTextBufferSize];
      std::snprintf(line, sizeof line, "%2d: %6.3f", i, static_cast<double>(m[i]));
      textDisplay.drawTextUnrecorded(line, toShortPixels(kReadoutX + kMatrixColumnStep * column),
                                     toShortPixels(kReadoutY + kMatrixRowStep * row), kReadoutSize);
    }
  }
  textDisplay.resetMessagePosition();
}

// The direction the camera rotation turns the z axis into: (sin h, -sin p cos h, cos p cos h).
void drawDirectionReadout() {
  drawCameraAngleLines();
  float x = 0, y = 0, z = 1;
  rotateVector(toSingleRadians(cameraPitch), toSingleRadians(cameraHeading), 0, x, y, z);
  drawValueLine("x: %6.3f", x, kReadoutX, kReadoutY);
  drawValueLine("y: %6.3f", y, kReadoutX, kReadoutY + kDirectionRowStep);
  drawValueLine("z: %6.3f", z, kReadoutX, kReadoutY + 2 * kDirectionRowStep);
}
