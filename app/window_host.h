// The seam between the scene and the window it is shown in: the one interface that freeglut's
// own window and a window another program owns (a screensaver's) both implement.
#pragma once

// What a window does for the scene. Each kind of window fills one of these with its own
// functions; start-up picks one before anything is drawn.
struct WindowHost {
  bool foreign;           // the window belongs to another program (keys, pointer, size)
  int (*elapsedMs)();     // milliseconds since the window layer started
  void (*swapBuffers)();  // shows the frame just drawn
  void (*fullScreen)();   // full screen
  void (*reshapeWindow)(int width, int height);  // a window of that size, pixels
  void (*warpPointer)(int x, int y);             // the pointer to a window position
  void (*setCursor)(int glutCursor);             // the cursor shape (a GLUT_CURSOR_ value)
};

// True when the frames go to a foreign window: the host in use says so.
extern bool drawingInForeignWindow;

// Makes `host` the window every host call below goes to; it must outlive the program.
void useWindowHost(const WindowHost& host);

// The calls of the host in use. Before one is chosen they do nothing (the time is 0).
int hostElapsedMs();
void hostSwapBuffers();
void hostFullScreen();
void hostReshapeWindow(int width, int height);
void hostWarpPointer(int x, int y);
void hostSetCursor(int glutCursor);
