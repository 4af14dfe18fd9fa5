// Test support: one real freeglut window per test process, created on demand.
// The window is double-buffered with depth, as the program's own.
#include "support/gl_context.h"

#include <GL/freeglut.h>
#include <dlfcn.h>
#include <link.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/startup.h"

namespace testsupport {

namespace {
int testWindow = 0;

int collectDriverModule(dl_phdr_info* info, size_t, void* names) {
  if (std::strstr(info->dlpi_name, "_dri.so") != nullptr) {
    static_cast<std::vector<std::string>*>(names)->push_back(info->dlpi_name);
  }
  return 0;
}

// The window system unloads the GL driver at exit, before the leak checker runs; the driver's
// allocations (kept for the whole run on purpose) would then come from an unnamed module that
// no suppression matches. Marking the loaded driver modules never-unload keeps them named.
void pinDriverModules() {
  std::vector<std::string> names;
  dl_iterate_phdr(collectDriverModule, &names);
  for (const std::string& name : names)
    dlopen(name.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}
}  // namespace

void ensureGlContext(int width, int height) {
  if (testWindow == 0) {
    int argc = 1;
    char name[] = "krateon-test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(width, height);
    testWindow = glutCreateWindow("Krateon test");
    pinDriverModules();
    windowWidth = width;
    windowHeight = height;
  }
  glutSetWindow(testWindow);
}

Rgb readPixel(int x, int y) {
  unsigned char rgb[3] = {0, 0, 0};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
  return {rgb[0], rgb[1], rgb[2]};
}

unsigned firstGlError() {
  unsigned first = 0;
  for (GLenum error = glGetError(); error != GL_NO_ERROR; error = glGetError()) {
    if (first == 0) first = error;
  }
  return first;
}

}  // namespace testsupport
