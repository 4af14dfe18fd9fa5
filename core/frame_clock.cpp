// The frame clock: the toolkit's milliseconds turned into the scene's seconds, with stalls
// clamped to one short step and the toolkit counter's wrap taken in its stride.
#include "core/frame_clock.h"

#include <cstdint>

int elapsedMs = 0;
int windowWidth = 0;
int windowHeight = 0;

long long uptimeMs = 0;
double now = 0;
double previousNow = 0;
float frameDt = 0;
float fadeLevel = 1.0f;
int framesPerSecond = 30;
int fpsFrameCount = 0;
double fpsNextSecond = 1.0;
float textureAnimTimer = 0;

namespace {

int lastToolkitMs = 0;  // the toolkit value the clock was last advanced to
bool held = false;      // the gap before the next frame passed unseen

}  // namespace

void advanceFrameClock(int toolkitMs) {
  // The toolkit's count is a signed 32-bit value that wraps after 24.8 days; the difference
  // taken modulo 2^32 stays right across that wrap. A count that runs backwards is a stall.
  const std::int32_t stepMs = static_cast<std::int32_t>(static_cast<std::uint32_t>(toolkitMs) -
                                                        static_cast<std::uint32_t>(lastToolkitMs));
  lastToolkitMs = toolkitMs;
  const bool stalled = stepMs < 0 || stepMs > kMaxFrameStepMs;
  const bool uncounted = stepMs < 0 || (held && stalled);
  held = false;
  uptimeMs += uncounted ? static_cast<long long>(kStallStep * 1000) : stepMs;
  previousNow = now;
  now = uptimeMs * 0.001;
  frameDt = stalled ? kStallStep : static_cast<float>(stepMs * 0.001);
}

void holdFrameClock() {
  held = true;
}

void discountFrameClock(int ms) {
  if (ms <= 0) return;
  lastToolkitMs = static_cast<std::int32_t>(static_cast<std::uint32_t>(lastToolkitMs) +
                                            static_cast<std::uint32_t>(ms));
}

void resetFrameClock() {
  lastToolkitMs = 0;
  held = false;
  uptimeMs = 0;
  now = previousNow = 0;
  frameDt = 0;
  framesPerSecond = 30;
  fpsFrameCount = 0;
  fpsNextSecond = 1.0;
  textureAnimTimer = 0;
}
