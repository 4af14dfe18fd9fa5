// The frame clock and the window's size: the values every drawing step reads, advanced by the
// program once per frame from the window system's millisecond count.
#pragma once

constexpr int kMaxFrameStepMs = 100;  // longer gaps count as stalls...
constexpr float kStallStep = 0.05f;   // ...and advance the scene by this much

// The window system's elapsed milliseconds, read at the start of a redraw.
extern int elapsedMs;

// The window's size in pixels, as the last reshape reported it; 0 until the first.
extern int windowWidth;
extern int windowHeight;

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

// Advances the frame clock to the toolkit's millisecond value: a gap of up to kMaxFrameStepMs
// advances the scene by itself, a longer one or a count running backwards by kStallStep. `now`
// keeps real time across a stall, except after holdFrameClock.
void advanceFrameClock(int toolkitMs);

// No one sees the frames until the next one (the window is hidden): the time until then does
// not count. If that gap is a stall, the next frame advances `now` by kStallStep as well as the
// scene, so everything timed on `now` (fades, messages, particles, the title) goes on from where
// it was; a shorter gap counts as usual. Holds for one frame only.
void holdFrameClock();

// Leaves `ms` toolkit milliseconds out of the next advance: time spent before it on work that
// is no part of the animation (reading large pictures at start-up), which would otherwise
// count as animation time in the first frame. Negative values count as 0.
void discountFrameClock(int ms);

// Puts the frame clock, the frames-per-second counter and the sun timer back to their values
// at program start, as if no frame had run yet.
void resetFrameClock();
