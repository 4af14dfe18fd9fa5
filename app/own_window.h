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
