// Krateon's own window: freeglut creates it full screen, delivers the keys, the mouse and the
// redraws to the scene's callbacks, and runs the loop that never returns.
#pragma once

#include "app/window_host.h"

// The window host of freeglut's window: its elapsed time, swap, full screen and pointer.
extern const WindowHost ownWindowHost;

// Creates the window titled "Krateon" (freeglut takes its options from argc and argv), goes
// full screen, registers the callbacks, initialises the scene and runs freeglut's loop. Returns
// 1 (after printing "App cannot initialize.\n") when initialisation fails.
int runInOwnWindow(int& argc, char** argv);

void onIdle();  // sleeps first when the frame rate is capped
void onDisplay();

// freeglut's report of the window's visibility (a GLUT_HIDDEN ... GLUT_FULLY_COVERED value).
// Minimised, on another desktop or fully covered, the window rests: no frames are drawn or asked
// for until it shows again, and the time in between does not count for the scene, so the first
// frame after it advances by one stall step. The exit fade goes on in a hidden window.
void onWindowStatus(int state);
