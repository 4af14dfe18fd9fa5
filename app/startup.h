// Start-up and the toolkit callbacks: window creation, fixed GL state, shutdown.
// Everything the program does happens inside the callbacks registered here.
#pragma once

constexpr int kPointerHomeX = 450;  // pointer home, pixels from the window's top-left corner
constexpr int kPointerHomeY = 350;
constexpr unsigned kInitialSeed = 22;

extern int windowWidth;  // pixels, written only by onReshape; 0 until the first reshape
extern int windowHeight;
extern int elapsedMs;  // the window's elapsed milliseconds, read at the start of a redraw

// The whole program: reads the command line, then either creates its own window, registers
// callbacks, initialises and runs the toolkit's loop, or runs in a foreign window. Returns the
// command line's status after --help, --version or a mistake, and 1 (after printing
// "App cannot initialize.\n") when initialisation fails.
int runKrateon(int argc, char** argv);

// Seeds the phase bank, resets the settings, sets the fixed GL state, loads every texture and
// shows the first message. Always succeeds in this design; returns true.
bool initScene();

// Releases the star field's list, the textures and the sound device.
void shutdownScene();

// Ends the process with `status` after the exit fade.
[[noreturn]] void endProgram(int status);

// One frame in either kind of window: the elapsed time, the frame step, the swap.
void showNextFrame();

void onReshape(int width, int height);
void onIdle();  // sleeps first when the frame rate is capped
void onDisplay();
