// The seam between the scene and its window: every call goes to the window chosen at start-up,
// freeglut's own or a foreign one, whose owner keeps its size and pointer.
#include "app/window_host.h"

bool drawingInForeignWindow = false;

namespace {

const WindowHost* activeHost = nullptr;  // chosen once, before the first frame

}  // namespace

void useWindowHost(const WindowHost& host) {
  activeHost = &host;
  drawingInForeignWindow = host.foreign;
}

int hostElapsedMs() {
  return activeHost != nullptr ? activeHost->elapsedMs() : 0;
}

void hostSwapBuffers() {
  if (activeHost != nullptr) activeHost->swapBuffers();
}

void hostFullScreen() {
  if (activeHost != nullptr) activeHost->fullScreen();
}

void hostReshapeWindow(int width, int height) {
  if (activeHost != nullptr) activeHost->reshapeWindow(width, height);
}

void hostWarpPointer(int x, int y) {
  if (activeHost != nullptr) activeHost->warpPointer(x, y);
}

void hostSetCursor(int glutCursor) {
  if (activeHost != nullptr) activeHost->setCursor(glutCursor);
}
