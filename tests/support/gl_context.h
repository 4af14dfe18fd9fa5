// Test support: one real freeglut window (and its GL context) per test process.
// GL tests call ensureGlContext() first; the window lives until the process ends.
#pragma once

#include <vector>

namespace testsupport {

// Creates the window on the first call (640 x 480 unless given otherwise) and makes its
// context current; later calls only make it current again. Needs an X display (Xvfb).
void ensureGlContext(int width = 640, int height = 480);

struct Rgb {
  int r, g, b;
};

// The whole back buffer as RGB at the window's current size, rows from the bottom.
struct Frame {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;
  Rgb at(int x, int y) const;  // x from the left, y from the bottom
};
Frame readFrame();

// Drains the GL error queue; returns the first error found, 0 when there was none.
unsigned firstGlError();

}  // namespace testsupport
