// The frame-rate cap of --max-fps: a deadline per frame on the monotonic clock, so that a capped
// program sleeps between frames instead of drawing as fast as the processor allows.
#include "app/frame_pacing.h"

#include <algorithm>
#include <ctime>

#include "app/program_options.h"

namespace {

double nextFrameAt = 0;  // monotonic seconds at which the next frame may start

double framePeriod() {
  return 1.0 / programOptions.maxFramesPerSecond;
}

}  // namespace

double monotonicSeconds() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

void noteFrameStart() {
  if (programOptions.maxFramesPerSecond <= 0) return;
  const double period = framePeriod();
  // A frame late by less than a period keeps the schedule, so the average holds the cap; one
  // later than that starts a new schedule instead of hurrying to catch up.
  nextFrameAt = std::max(nextFrameAt, monotonicSeconds() - period) + period;
}

double secondsUntilNextFrame() {
  if (programOptions.maxFramesPerSecond <= 0) return 0;
  return std::max(0.0, nextFrameAt - monotonicSeconds());
}

void sleepUntilNextFrame() {
  const double wait = secondsUntilNextFrame();
  if (wait <= 0) return;
  timespec t{};
  t.tv_sec = static_cast<time_t>(wait);
  t.tv_nsec = static_cast<long>((wait - static_cast<double>(t.tv_sec)) * 1e9);
  nanosleep(&t, nullptr);
}
