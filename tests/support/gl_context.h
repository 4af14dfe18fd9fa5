// Test support: one real freeglut window (and its GL context) per test process.
// GL tests call ensureGlContext() first; the window lives until the process ends.
#pragma once

namespace testsupport {

// Creates the window on the first call (640 x 480 unless given otherwise) and makes its
// context current; later calls only make it current again. Needs an X display (Xvfb).
void ensureGlContext(int width = 640, int height = 480);

// Reads the RGB colour of one pixel of the back buffer (x from the left, y from the bottom).
struct Rgb {
  int r, g, b;
};
Rgb readPixel(int x, int y);

// Drains the GL error queue; returns the first error found, 0 when there was none.
unsigned firstGlError();

}  // namespace testsupport
