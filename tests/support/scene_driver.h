// Test support: the scene started in a real window as the program starts it, redrawn frame by
// frame on a synthetic toolkit clock, with keys, clicks and pointer moves through the handlers.
#pragma once

#include <string>
#include <vector>

#include "support/gl_context.h"

namespace testsupport {

constexpr int kFrameMs = 16;  // a 60 Hz display

// What the program does at start, in a window of this size (created on the first call): seed 22,
// the frame clock, the impact clock (-7) and the window flags as at process start, then initScene
// in the generated asset folder (when it exists) and the window size as the toolkit reports it.
// The toolkit clock stands at 0; the next frame is the program's first.
void startScene(int width = 640, int height = 480);

// The synthetic toolkit clock: milliseconds, a signed 32-bit count that wraps as freeglut's does.
int toolkitMs();

// One redraw as onDisplay runs it: the previous frame is swapped to the front first, so the back
// buffer holds this frame for reading back until the next one. Sounds asked for are logged.
void frameAt(int toolkitMs);
void frameAfter(int stepMs);
void runFrames(int count, int stepMs = kFrameMs);

// Frames of 16 ms until the scene's impactClock passes `clock` (at most 2000); whether it did.
bool runUntilImpactClock(float clock);

// Input through the program's own handlers, between frames.
void pressKey(unsigned char key);
void pressKeys(const char* keys);  // each character in turn
void pressSpecialKey(int key);     // a special key down and up
void press(int key);               // an ASCII key, or minus a special key
void click();                      // the left button down and up at the pointer home

// Every sound the frames asked for since the last clearSoundLog, with the scene time of its frame.
struct SoundCall {
  double atSeconds;  // `now` of the frame that asked
  std::string name;
};
const std::vector<SoundCall>& soundLog();
void clearSoundLog();

// Live particles in the scene's pool: of one kind, or of all with -1.
int liveParticles(int kind = -1);

// The text the message slot recorded last.
std::string messageText();

// The first broken rule of the scene's state, or "": settings within their ranges, speed and
// size factors normal and positive, camera, impact point and live particles finite, no more
// live particles than slots, the recorded text terminated, no GL error shown.
std::string sceneFault();

}  // namespace testsupport
