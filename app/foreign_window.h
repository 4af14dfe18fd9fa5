// Drawing into a window another program owns (the screensaver's, or one named by --window-id):
// the Xlib/GLX context on it, its size and its end, and the loop that paces the frames there.
#pragma once

#include "app/window_host.h"

// The window host of a foreign window: its elapsed time and swap; the rest is its owner's.
extern const WindowHost foreignWindowHost;

// The whole program in a foreign window (programOptions.windowId; 0 means the screen's root
// window): opens it, initialises the scene and draws frames no faster than the cap. SIGTERM and
// SIGINT end the process at once with status 0. Returns the exit status: 0 once the window is
// destroyed, after releasing everything; 1, after one line on stderr, when the display, the
// window or OpenGL in it cannot be had.
int runInForeignWindow();
