// The frame-rate cap of --max-fps: when the next frame may start, and sleeping until then.
// Without a cap frames follow each other at once, as the idle callback has always asked.
#pragma once

// Seconds on a monotonic clock, from an arbitrary fixed origin.
double monotonicSeconds();

// Notes that a frame starts now: with a cap of N frames a second the next may start 1/N s after
// the previous one was due, or at once when this one came a whole period late. No-op without cap.
void noteFrameStart();

// Seconds until the next frame may start; 0 without a cap or when it is due.
double secondsUntilNextFrame();

// Sleeps until the next frame may start (returns early when a signal arrives).
void sleepUntilNextFrame();
