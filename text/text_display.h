// On-screen text: bitmap-font strings in window pixels, the three-second message slot,
// the frames-per-second line and the OpenGL error line.
#pragma once

#include <GL/gl.h>

constexpr double kMessageSeconds = 3.0;
constexpr int kTextBufferSize = 80;

class TextDisplay {
 public:
  virtual ~TextDisplay() = default;

  // x from the left edge, y from the top edge down to the glyph bottoms, size = glyph height,
  // all in pixels. Draws at once (whole-window orthographic projection, left in place);
  // records the string (cut to 79 characters) while recordText is set.
  void drawText(const char* text, short x, short y, float size);

  // Formats into 80 bytes, draws at the message position and keeps it for 3 seconds.
  void showMessage(const char* text);
  void showMessageReal(const char* format, double value);
  void showMessageInt(const char* format, int value);

  void drawMessage();           // redraws the recorded string until the message expires
  void resetMessagePosition();  // message position back to (10, 25)
  void drawFrameRate(int framesPerSecond);
  void showGlError();

  int messageX = 10;
  int messageY = 25;
  int recordedX = 0;
  int recordedY = 0;
  int recordText = 1;
  double messageExpiry = 0.0;  // seconds on the frame clock; 0 = no message pending
  float color[4] = {1, 1, 1, 1};
  char recordedText[kTextBufferSize] = {};
  GLuint fontTexture = 0;
};

extern TextDisplay textDisplay;
