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
  // all in text units: pixels at scale 1, `scale` pixels each otherwise. Draws at once
  // (whole-window orthographic projection, left in place; colour left at `color`); records the
  // string (cut to 79 characters) and its position in text units while recordText is set, so a
  // redraw after the scale changed lands where the new scale puts it. A null text counts as the
  // empty string.
  void drawText(const char* text, short x, short y, float size);

  // drawText that never records, whatever recordText holds: for lines that must not replace
  // the message (readouts, help screen, frame rate, error line). recordText is left as found.
  void drawTextUnrecorded(const char* text, short x, short y, float size);

  // The message slot: format into 80 bytes (longer results are cut to 79 characters), draw at
  // (messageX, messageY) with size 20 text units, record, and keep it on screen until now + 3 s.
  // showMessage takes its text literally except that "%%" becomes "%"; it reads no arguments.
  void showMessage(const char* text);
  // `format` holds exactly one conversion: a double one for Real, an int one for Int.
  void showMessageReal(const char* format, double value);
  void showMessageInt(const char* format, int value);

  void drawMessage();           // redraws the recorded string; clears messageExpiry once due
  void resetMessagePosition();  // message position back to (10, 25)
  // "%3d Frame/Sec" at the top right, starting 120 text units from the right edge; not recorded.
  void drawFrameRate(int framesPerSecond);

  // Fetches one OpenGL error; a new one becomes the line "OpenGL Error: <description>" at
  // 40 % of the window width, shown for 3 s. Neither the message nor its expiry is touched.
  void showGlError();

  int scale = 1;      // 1..8 pixels per text unit, for screens where pixels are small
  int messageX = 10;  // text units from the left edge
  int messageY = 25;  // text units from the top edge to the glyph bottoms
  int recordedX = 0;  // position of the recorded string
  int recordedY = 0;
  int recordText = 1;          // while non-zero, drawText records its string
  double messageExpiry = 0.0;  // seconds on the frame clock; 0 = no message pending
  float color[4] = {1, 1, 1, 1};
  char recordedText[kTextBufferSize] = {};  // the last recorded string, always terminated
  GLuint fontTexture = 0;                   // "font.bmp"; 0 draws solid quads
  char errorText[kTextBufferSize] = {};     // the error line being shown
  double errorExpiry = 0.0;                 // seconds on the frame clock; 0 = no error line
};

extern TextDisplay textDisplay;
