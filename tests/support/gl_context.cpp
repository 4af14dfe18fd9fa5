// Test support: one real freeglut window per test process, created on demand.
// The window is double-buffered with depth, as the program's own.
#include "support/gl_context.h"

#include <GL/freeglut.h>

#include "core/frame_clock.h"

namespace testsupport {

namespace {
int testWindow = 0;
}

void ensureGlContext(int width, int height) {
  if (testWindow == 0) {
    int argc = 1;
    char name[] = "krateon-test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(width, height);
    testWindow = glutCreateWindow("Krateon test");
    windowWidth = width;
    windowHeight = height;
  }
  glutSetWindow(testWindow);
}

Rgb Frame::at(int x, int y) const {
  const unsigned char* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
  return {p[0], p[1], p[2]};
}

Frame readFrame() {
  Frame frame;
  frame.width = glutGet(GLUT_WINDOW_WIDTH);
  frame.height = glutGet(GLUT_WINDOW_HEIGHT);
  frame.rgb.resize(static_cast<size_t>(frame.width) * frame.height * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, frame.width, frame.height, GL_RGB, GL_UNSIGNED_BYTE, frame.rgb.data());
  return frame;
}

unsigned firstGlError() {
  unsigned first = 0;
  for (GLenum error = glGetError(); error != GL_NO_ERROR; error = glGetError()) {
    if (first == 0) first = error;
  }
  return first;
}

}  // namespace testsupport
