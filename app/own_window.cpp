// Krateon's own window on freeglut: the window, the callbacks that drive everything, and the
// freeglut calls behind the window seam.
#include "app/own_window.h"

#include <GL/freeglut.h>

#include <cstdio>

#include "app/frame_pacing.h"
#include "app/input.h"
#include "app/startup.h"
#include "core/frame_clock.h"

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
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(windowWidth, windowHeight);
  glutCreateWindow("Krateon");
  glutFullScreen();
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
