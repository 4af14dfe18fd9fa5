// A month of uptime at the program level: the real frame step, driven on a synthetic toolkit
// clock, runs the same impact cycles on the first day, across the wrap of the toolkit's 32-bit
// millisecond count (day 24.8) and on day 30, with the same timing to the frame: impact, break
// and wrap, the sounds, the particles' lifetimes, the message expiry and the fades.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "app/input.h"
#include "robust/robust_scene.h"
#include "sim/sound.h"

namespace {

constexpr int kFrameMs = 16;
constexpr int kCycleFrames = 863;  // 13.8 s: -5 to 1, 1.1 to 5, 5.1 to 9 at 16 ms a frame
constexpr int kFramesPerSegment = 2 * kCycleFrames + 300;  // two cycles and the next impact
constexpr int kMessageFrame = 875;                         // 'c' twice: a message 14 s in
constexpr int kMaxStallMs = 86'400'000;                    // one day, well below 2^31 ms
constexpr long long kDayMs = 86'400'000;
constexpr int kBurst = 160;           // particles of one impact: 50 fire, 10 smoke, 100 sparks
constexpr double kLongestLife = 5.5;  // seconds, the longest particle life

// What happened in which frame (counted from the reset), for one segment of frames.
struct Timeline {
  std::vector<int> impacts;  // frames whose clock ended at 1.1: meteor struck
  std::vector<int> breaks;   // clock ended at 5.1: the planet broke
  std::vector<int> wraps;    // clock ended at -5: the next planet image
  std::vector<int> planetImages;
  std::vector<std::string> sounds;      // "frame name" for every sound request
  std::vector<int> burstSizes;          // live particles right after each impact
  std::vector<int> lastParticleFrames;  // last frame with a live particle after each impact
                                        // (random lifetimes: compared only with the bound)
  int messageExpiredFrame = -1;         // first frame with no message after the 'c' presses
  std::string fault;                    // the first broken rule, empty when none

  bool operator==(const Timeline& o) const {
    return impacts == o.impacts && breaks == o.breaks && wraps == o.wraps &&
           planetImages == o.planetImages && sounds == o.sounds && burstSizes == o.burstSizes &&
           messageExpiredFrame == o.messageExpiredFrame && fault == o.fault;
  }
};

// For failure messages: every field of the timeline.
std::ostream& operator<<(std::ostream& out, const Timeline& t) {
  auto list = [&out](const char* name, const auto& values) {
    out << name << ":";
    for (const auto& v : values) out << " " << v;
    out << "; ";
  };
  list("impacts", t.impacts);
  list("breaks", t.breaks);
  list("wraps", t.wraps);
  list("images", t.planetImages);
  list("sounds", t.sounds);
  list("bursts", t.burstSizes);
  list("last particles", t.lastParticleFrames);
  return out << "message expired: " << t.messageExpiredFrame << "; fault: " << t.fault;
}

class LongRun : public RobustScene {
 protected:
  // Advances the toolkit's count to `targetUptimeMs` since start in stalls of at most a day,
  // each one frame (the count wraps past 2^31 as the toolkit's does).
  static void stallUntil(long long targetUptimeMs) {
    while (uptimeMs < targetUptimeMs) {
      const long long gap = targetUptimeMs - uptimeMs;
      frameAfter(static_cast<int>(gap < kMaxStallMs ? gap : kMaxStallMs));
    }
  }

  // 'r', then kFramesPerSegment frames of 16 ms, recording the timeline.
  static Timeline runSegment() {
    Timeline t;
    onKeyboard('r', 0, 0);
    int sounds = soundRequestCount();
    int lastImpact = -1;
    for (int frame = 1; frame <= kFramesPerSegment; ++frame) {
      if (frame == kMessageFrame) {
        onKeyboard('c', 0, 0);
        onKeyboard('c', 0, 0);
      }
      const float before = impactClock;
      frameAfter(kFrameMs);
      record(t, frame, before, sounds, lastImpact);
      if (!t.fault.empty()) break;
    }
    return t;
  }

  static void record(Timeline& t, int frame, float clockBefore, int& sounds, int& lastImpact) {
    if (impactClock == 1.1f && clockBefore < 1.1f) {
      t.impacts.push_back(frame);
      t.burstSizes.push_back(liveParticles());
      t.lastParticleFrames.push_back(-1);
      lastImpact = frame;
    }
    if (impactClock == 5.1f && clockBefore < 5.1f) t.breaks.push_back(frame);
    if (impactClock == -5.0f) {
      t.wraps.push_back(frame);
      t.planetImages.push_back(sceneSettings.planetImage);
    }
    const int requests = soundRequestCount();
    if (requests != sounds) {
      t.sounds.push_back(std::to_string(frame) + " " + std::to_string(requests - sounds) + "x " +
                         lastSoundRequested());
      sounds = requests;
    }
    if (lastImpact >= 0 && liveParticles() > 0) t.lastParticleFrames.back() = frame - lastImpact;
    if (frame > kMessageFrame && t.messageExpiredFrame < 0 && textDisplay.messageExpiry == 0.0) {
      t.messageExpiredFrame = frame;
    }
    if (fadeLevel != 1.0f) t.fault = "fadeLevel " + std::to_string(fadeLevel);
    for (const Particle& p : particleSystem.particles) {
      if (p.active && !(now - p.birthTime < kLongestLife)) {
        t.fault = "a particle lives longer than 5.5 s at frame " + std::to_string(frame);
      }
    }
    const std::string broken = brokenInvariant();
    if (!broken.empty()) t.fault = broken;
  }

  static int liveParticles() {
    int live = 0;
    for (const Particle& p : particleSystem.particles) live += p.active;
    return live;
  }
};

// Every burst has died 5.5 s after its impact (the last one may run past the segment's end).
void expectBurstsDieInTime(const Timeline& t) {
  for (int last : t.lastParticleFrames) {
    EXPECT_GT(last, 0);
    EXPECT_LE(last * kFrameMs, 5500 + kFrameMs);
  }
}

TEST_F(LongRun, ImpactCyclesKeepTheirTimingFromTheFirstDayToDayThirty) {
  stallUntil(20'000);  // past the intro fade
  const Timeline firstDay = runSegment();
  ASSERT_EQ(firstDay.fault, "");

  // The cycle itself, as the first day runs it.
  ASSERT_EQ(firstDay.impacts.size(), 3u);
  EXPECT_EQ(firstDay.breaks.size(), 2u);
  EXPECT_EQ(firstDay.wraps.size(), 2u);
  EXPECT_NEAR(firstDay.impacts[0] * kFrameMs, 2000, kFrameMs);  // reset: clock -1 to 1
  for (size_t i = 0; i < firstDay.breaks.size(); ++i) {
    EXPECT_NEAR((firstDay.breaks[i] - firstDay.impacts[i]) * kFrameMs, 3900, kFrameMs);
    EXPECT_NEAR((firstDay.wraps[i] - firstDay.breaks[i]) * kFrameMs, 3900, kFrameMs);
    EXPECT_NEAR((firstDay.impacts[i + 1] - firstDay.wraps[i]) * kFrameMs, 6000, kFrameMs);
  }
  const std::vector<int> expectedImages = {4, 5};  // from the reset's 3, one up a cycle
  EXPECT_EQ(firstDay.planetImages, expectedImages);
  ASSERT_EQ(firstDay.sounds.size(), 5u);  // boom, thunder, boom, thunder, boom
  for (size_t i = 0; i < firstDay.sounds.size(); ++i) {
    const std::string name = i % 2 == 0 ? "1x boom.wav" : "1x thunder.wav";
    EXPECT_NE(firstDay.sounds[i].find(name), std::string::npos) << firstDay.sounds[i];
  }
  for (int burst : firstDay.burstSizes) EXPECT_EQ(burst, kBurst);
  expectBurstsDieInTime(firstDay);
  EXPECT_NEAR((firstDay.messageExpiredFrame - kMessageFrame) * kFrameMs, 3000, kFrameMs);

  // The toolkit's count wraps (2^31 ms) 15 s into this segment, during the 'c' message.
  constexpr long long kWrapUptimeMs = 2'147'483'648LL;
  stallUntil(kWrapUptimeMs - 15'000);
  const Timeline acrossTheWrap = runSegment();
  EXPECT_LT(elapsedMs, 0);  // the count did wrap
  EXPECT_EQ(acrossTheWrap, firstDay);
  expectBurstsDieInTime(acrossTheWrap);
  EXPECT_EQ(acrossTheWrap.fault, "");

  stallUntil(30 * kDayMs);
  const Timeline dayThirty = runSegment();
  EXPECT_EQ(dayThirty, firstDay);
  expectBurstsDieInTime(dayThirty);
  EXPECT_EQ(dayThirty.fault, "");
  EXPECT_GE(now, 30 * 86'400.0);
}

}  // namespace
