// The frame step: frame clock, fades, view set-up, camera, clear, scene and text overlay.
// One call per redraw; the exit fade ends the process from here.
#pragma once

constexpr float kTextureAnimInterval = 0.07f;  // seconds between sun texture updates
constexpr int kMaxFrameStepMs = 100;           // longer gaps count as stalls...
constexpr float kStallStep = 0.05f;            // ...and advance the scene by this much

// Frame clock. `now` counts seconds since the toolkit started from a 64-bit millisecond
// count, so it stays exact to the millisecond however long the program runs.
extern long long uptimeMs;      // milliseconds since start, never decreasing
extern double now;              // uptimeMs * 0.001, seconds
extern double previousNow;      // `now` of the previous frame
extern float frameDt;           // seconds this frame advances the scene (stalls: 0.05)
extern float fadeLevel;         // 0..1, multiplied into the scene's colours
extern int framesPerSecond;     // frames in the last whole second; 30 until the first
extern int fpsFrameCount;       // frames since the last update
extern double fpsNextSecond;    // next whole-second mark of `now`
extern float textureAnimTimer;  // seconds toward the next sun texture update

// One frame; always returns true. Does not return once the exit fade completes.
bool frameStep();

// Polygon mode, letterbox viewport, perspective projection and eye position.
void setupView();

// The scene pass: star field, sun texture clock, impact scene, readouts.
void drawScene();

// Advances the frame clock from the toolkit's millisecond value (elapsedMs). Exposed so the
// clock rules (stall clamp, counter wrap) can be driven directly.
void advanceFrameClock(int toolkitMs);

// Puts the frame clock, the frames-per-second counter and the sun timer back to their values
// at program start, as if no frame had run yet.
void resetFrameClock();
