// The seam between the scene and the window it is shown in: freeglut's own window, or a window
// another program owns (a screensaver's). The frame step, the scene and the text call only this.
#pragma once

// True when the frames go to a foreign window. Set once at start-up, before the first frame.
extern bool drawingInForeignWindow;

struct HostWindowSize {
  int width, height;  // pixels
};

// Milliseconds since the window layer started: the toolkit's elapsed time in its own window.
int hostElapsedMs();

// The window's current size in pixels, as the window system last reported it.
HostWindowSize hostWindowSize();

// Shows the frame just drawn.
void hostSwapBuffers();

// Full screen, a window of the given size, the pointer moved to a window position, the cursor
// shape (a GLUT_CURSOR_ value). A foreign window belongs to its owner: there they do nothing.
void hostFullScreen();
void hostReshapeWindow(int width, int height);
void hostWarpPointer(int x, int y);
void hostSetCursor(int glutCursor);
