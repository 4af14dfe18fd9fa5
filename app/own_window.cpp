// Krateon's own window on freeglut: the window, the callbacks that drive everything, and the
// freeglut calls behind the window seam.
#include "app/own_window.h"

#include <GL/freeglut.h>

#include <cstdio>

#include "app/command_line.h"
#include "app/frame_pacing.h"
#include "app/input.h"
#include "app/startup.h"
#include "core/frame_clock.h"
#include "core/settings.h"

namespace {

int ownElapsedMs() {
  return glutGet(GLUT_ELAPSED_TIME);
}

void ownSwapBuffers() {
  glutSwapBuffers();
}

void ownFullScreen() {
  glutFullScreen();
}

void ownReshapeWindow(int width, int height) {
  glutReshapeWindow(width, height);
}

void ownWarpPointer(int x, int y) {
  glutWarpPointer(x, y);
}

void ownSetCursor(int glutCursor) {
  glutSetCursor(glutCursor);
}

void registerCallbacks() {
  glutKeyboardFunc(onKeyboard);
  glutSpecialFunc(onSpecialKeyDown);
  glutSpecialUpFunc(onSpecialKeyUp);
  glutMouseFunc(onMouseButton);
  glutPassiveMotionFunc(onMouseMotion);
  glutMotionFunc(onMouseMotion);
  glutReshapeFunc(onReshape);
  glutDisplayFunc(onDisplay);
  glutIdleFunc(onIdle);
}

}  // namespace

const WindowHost ownWindowHost = {false,         ownElapsedMs,     ownSwapBuffers,
                                  ownFullScreen, ownReshapeWindow, ownWarpPointer,
                                  ownSetCursor};

int runInOwnWindow(int& argc, char** argv) {
  // A window asked for with --window has the size of the 'f' key's window, unless the toolkit's
  // -geometry, read by glutInit, gives another.
  if (programOptions.startWindowed) {
    fullScreen = 0;
    glutInitWindowSize(kWindowedSize, kWindowedSize);
  }
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  if (fullScreen) glutInitWindowSize(windowWidth, windowHeight);
  glutCreateWindow("Krateon");
  if (fullScreen) glutFullScreen();
  registerCallbacks();
  if (!initScene()) {
    std::fputs("App cannot initialize.\n", stdout);
    return 1;  // a launcher can tell the start failed
  }
  glutMainLoop();
  return 0;
}

void onIdle() {
  sleepUntilNextFrame();
  glutPostRedisplay();
}

void onDisplay() {
  showNextFrame();
}
