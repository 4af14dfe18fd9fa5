// The scene's life in whichever window shows it: start-up with its textures, one frame, the
// window's new size, and the release of everything at the end.
#pragma once

constexpr unsigned kInitialSeed = 22;

// Seeds the phase bank, resets the settings, sets the fixed GL state, loads every texture, reads
// the desktop's text resolution and shows the first message. Always succeeds in this design;
// returns true.
bool initScene();

// Creates all textures (a missing file leaves 0 in its slot and every copy) and the user's
// planet maps (loadUserMaps), then builds the star field, configures the impact particles and
// resets the planet fragments. A GL context must be current. Called once at start-up; a further
// call deletes the textures of the previous one and fills the table from slot 0 again.
void loadAllTextures();

// Releases the star field's list, the textures and the sound device.
void shutdownScene();

// Ends the process with `status` after the exit fade.
[[noreturn]] void endProgram(int status);

// One frame in either kind of window: the elapsed time, the frame step, the swap.
void showNextFrame();

// The window's new size in pixels: the viewport, the size every drawing step reads and the
// text's scale where the height decides it.
void onReshape(int width, int height);
