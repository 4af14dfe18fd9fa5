// Krateon's own window on freeglut: the window, the callbacks that drive everything, the rest
// while nobody can see the window, and the freeglut calls behind the window seam.
#include "app/own_window.h"

#include <GL/freeglut.h>

#include <cstdio>

#include "app/frame_pacing.h"
#include "app/input.h"
#include "app/program_options.h"
#include "app/startup.h"
#include "core/frame_clock.h"
#include "core/settings.h"

namespace {

bool windowSeen = true;  // mapped on the current desktop and not fully covered
bool resting = false;    // no frames are asked for: freeglut's loop sleeps until an event

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

// Frames are asked for while someone can see them, and during the exit fade, which ends the
// program even in a hidden window. Without an idle callback (and with no timer) freeglut's loop
// sleeps in the window system until the next event, so a hidden window costs no processor time.
void followVisibility() {
  const bool rest = !windowSeen && exitFadeStart == 0;
  if (rest == resting) return;
  resting = rest;
  if (!rest) holdFrameClock();  // the time since the rest began passed unseen: it does not count
  glutIdleFunc(rest ? nullptr : onIdle);
}

// A key that reaches a hidden window may start the exit fade (Esc) or cancel it (a reset).
void onOwnKeyboard(unsigned char key, int x, int y) {
  onKeyboard(key, x, y);
  followVisibility();
}

void registerCallbacks() {
  glutKeyboardFunc(onOwnKeyboard);
  glutSpecialFunc(onSpecialKeyDown);
  glutSpecialUpFunc(onSpecialKeyUp);
  glutMouseFunc(onMouseButton);
  glutPassiveMotionFunc(onMouseMotion);
  glutMotionFunc(onMouseMotion);
  glutReshapeFunc(onReshape);
  glutDisplayFunc(onDisplay);
  glutIdleFunc(onIdle);
  glutWindowStatusFunc(onWindowStatus);
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
  if (windowSeen) {
    glutPostRedisplay();
  } else {
    showNextFrame();  // freeglut redraws no hidden window, and the exit fade must end
  }
}

void onWindowStatus(int state) {
  windowSeen = state == GLUT_FULLY_RETAINED || state == GLUT_PARTIALLY_RETAINED;
  followVisibility();
}

void onDisplay() {
  showNextFrame();
}
