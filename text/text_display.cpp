// The text renderer and the message slot: glyph quads from the font texture in window pixels,
// the message kept for three seconds, the frames-per-second line and the OpenGL error line.
#include "text/text_display.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <cstring>

#include "core/frame_clock.h"
#include "text/glyph_layout.h"

namespace {

// Positions and sizes in text units (see drawText).
constexpr short kHomeX = 10;  // message position
constexpr short kHomeY = 25;
constexpr float kMessageSize = 20;          // glyph height of messages and status lines
constexpr int kFrameRateFromRight = 120;    // the frame-rate line starts this far from the right
constexpr double kErrorLineShare = 0.4;     // the error line starts at this share of the width
constexpr int kErrorDescriptionChars = 59;  // longest error description shown
constexpr float kTextAlphaCut = 0.1f;       // texels at or below this alpha are not drawn

// Copies a message text literally except that "%%" becomes "%", as formatting the text with
// no arguments would, but without ever reading an argument. Cut to fit, always terminated.
void copyMessageText(const char* text, char (&out)[kTextBufferSize]) {
  int length = 0;
  for (const char* c = text; *c != '\0' && length < kTextBufferSize - 1; ++c) {
    if (c[0] == '%' && c[1] == '%') ++c;
    out[length++] = *c;
  }
  out[length] = '\0';
}

// Every glyph as its own quad, textured from its cell of the font.
void drawGlyphs(const char* text, short x, short baseY, float size) {
  short penX = x;
  for (const char* c = text; *c != '\0'; ++c) {
    const GlyphQuad quad = layoutGlyph(static_cast<unsigned char>(*c), penX, baseY, size);
    glBegin(GL_QUADS);
    {
      glTexCoord2d(quad.s0, quad.t0);
      glVertex2f(quad.left, quad.bottom);
      glTexCoord2d(quad.s1, quad.t0);
      glVertex2f(quad.right, quad.bottom);
      glTexCoord2d(quad.s1, quad.t1);
      glVertex2f(quad.right, quad.top);
      glTexCoord2d(quad.s0, quad.t1);
      glVertex2f(quad.left, quad.top);
    }
    glEnd();
    penX = quad.nextPenX;
  }
}

// 1. Colour, blending of the font's alpha, alpha cut, no depth writes, the font bound.
// 2. Polygons filled whatever the scene's polygon mode; viewport the whole window.
// 3. Window-pixel orthographic projection (left in place), identity model-view inside a push.
// 4. One quad per glyph, text units turned into pixels. 5. Restore the baseline.
void drawInWindow(const TextDisplay& display, const char* text, short x, short y, float size) {
  const int windowW = windowWidth;
  const int windowH = windowHeight;
  const short penX = toShortPixels(static_cast<double>(x) * display.scale);
  const short baseY = toShortPixels(windowH - static_cast<double>(y) * display.scale);
  const float pixelSize = size * static_cast<float>(display.scale);

  glColor4d(display.color[0], display.color[1], display.color[2], display.color[3]);
  glEnable(GL_ALPHA_TEST);
  glEnable(GL_BLEND);
  glEnable(GL_TEXTURE_2D);
  glAlphaFunc(GL_GREATER, kTextAlphaCut);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDepthMask(GL_FALSE);
  glBindTexture(GL_TEXTURE_2D, display.fontTexture);

  glPushAttrib(GL_POLYGON_BIT);
  {
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glPushMatrix();
    {
      glPushAttrib(GL_VIEWPORT_BIT);
      {
        glViewport(0, 0, windowW, windowH);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, windowW, 0, windowH, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        drawGlyphs(text, penX, baseY, pixelSize);
      }
      glPopAttrib();
    }
    glPopMatrix();
  }
  glPopAttrib();

  glDisable(GL_ALPHA_TEST);
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  glAlphaFunc(GL_GREATER, 0);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDepthMask(GL_TRUE);
}

}  // namespace

TextDisplay textDisplay;

// Draws at once in the window's pixels, then records the string.
void TextDisplay::drawText(const char* text, short x, short y, float size) {
  if (text == nullptr) text = "";
  // Before the window has a size there is nothing to draw into, and an empty projection would
  // only raise an error; the string is still recorded.
  if (windowWidth > 0 && windowHeight > 0) drawInWindow(*this, text, x, y, size);

  if (recordText != 0) {
    recordedX = x;
    recordedY = y;
    // drawMessage passes recordedText itself, so the copy may overlap.
    std::size_t length = 0;
    while (length < kTextBufferSize - 1 && text[length] != '\0') ++length;
    std::memmove(recordedText, text, length);
    recordedText[length] = '\0';
  }
}

void TextDisplay::drawTextUnrecorded(const char* text, short x, short y, float size) {
  const int wasRecording = recordText;
  recordText = 0;
  drawText(text, x, y, size);
  recordText = wasRecording;
}

void TextDisplay::showMessage(const char* text) {
  char line[kTextBufferSize];
  copyMessageText(text == nullptr ? "" : text, line);
  drawText(line, static_cast<short>(messageX), static_cast<short>(messageY), kMessageSize);
  messageExpiry = now + kMessageSeconds;
}

void TextDisplay::showMessageReal(const char* format, double value) {
  char line[kTextBufferSize];
  std::snprintf(line, sizeof line, format, value);
  drawText(line, static_cast<short>(messageX), static_cast<short>(messageY), kMessageSize);
  messageExpiry = now + kMessageSeconds;
}

void TextDisplay::showMessageInt(const char* format, int value) {
  char line[kTextBufferSize];
  std::snprintf(line, sizeof line, format, value);
  drawText(line, static_cast<short>(messageX), static_cast<short>(messageY), kMessageSize);
  messageExpiry = now + kMessageSeconds;
}

void TextDisplay::drawMessage() {
  if (now >= messageExpiry) {
    messageExpiry = 0.0;
    return;
  }
  drawText(recordedText, static_cast<short>(recordedX), static_cast<short>(recordedY),
           kMessageSize);
}

void TextDisplay::resetMessagePosition() {
  messageX = kHomeX;
  messageY = kHomeY;
}

void TextDisplay::drawFrameRate(int framesPerSecond) {
  char line[kTextBufferSize];
  std::snprintf(line, sizeof line, "%3d Frame/Sec", framesPerSecond);
  drawTextUnrecorded(line,
                     toShortPixels(windowWidth / static_cast<double>(scale) - kFrameRateFromRight),
                     static_cast<short>(messageY), kMessageSize);
}

void TextDisplay::showGlError() {
  const GLenum error = glGetError();
  if (error != GL_NO_ERROR) {
    const GLubyte* description = gluErrorString(error);
    if (description != nullptr) {
      std::snprintf(errorText, sizeof errorText, "OpenGL Error: %.*s", kErrorDescriptionChars,
                    reinterpret_cast<const char*>(description));
    } else {
      std::snprintf(errorText, sizeof errorText, "OpenGL Error: 0x%04x", error);
    }
    errorExpiry = now + kMessageSeconds;
  }
  if (errorExpiry == 0.0) return;
  if (now >= errorExpiry) {
    errorExpiry = 0.0;
    return;
  }
  drawTextUnrecorded(errorText, toShortPixels(windowWidth * kErrorLineShare / scale),
                     static_cast<short>(messageY), kMessageSize);
}
