// The seam between the scene and its window: each call goes to freeglut in Krateon's own window
// and to the Xlib/GLX layer in a foreign one, where the owner keeps the window's size and pointer.
#include "app/window_host.h"

#include <GL/freeglut.h>

#include "app/foreign_window.h"

bool drawingInForeignWindow = false;

int hostElapsedMs() {
  return drawingInForeignWindow ? foreignElapsedMs() : glutGet(GLUT_ELAPSED_TIME);
}

HostWindowSize hostWindowSize() {
  if (drawingInForeignWindow) return {foreignWindowWidth, foreignWindowHeight};
  return {glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT)};
}

void hostSwapBuffers() {
  if (drawingInForeignWindow) {
    swapForeignWindow();
  } else {
    glutSwapBuffers();
  }
}

void hostFullScreen() {
  if (!drawingInForeignWindow) glutFullScreen();
}

void hostReshapeWindow(int width, int height) {
  if (!drawingInForeignWindow) glutReshapeWindow(width, height);
}

void hostWarpPointer(int x, int y) {
  if (!drawingInForeignWindow) glutWarpPointer(x, y);
}

void hostSetCursor(int glutCursor) {
  if (!drawingInForeignWindow) glutSetCursor(glutCursor);
}
