// The sound layer on SDL2_mixer. With SDL's disk driver everything mixed lands in a file, which
// shows what was really played; other cases check that failures stay silent and quick.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <SDL2/SDL.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sim/sound.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kRate = 44100;

// A 16-bit mono PCM WAV file.
void writeWav(const fs::path& path, const std::vector<std::int16_t>& samples) {
  std::ofstream out(path, std::ios::binary);
  auto put32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
  auto put16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
  const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
  out.write("RIFF", 4);
  put32(36 + dataBytes);
  out.write("WAVEfmt ", 8);
  put32(16);
  put16(1);  // PCM
  put16(1);  // mono
  put32(kRate);
  put32(kRate * 2);
  put16(2);
  put16(16);
  out.write("data", 4);
  put32(dataBytes);
  out.write(reinterpret_cast<const char*>(samples.data()), dataBytes);
}

std::vector<std::int16_t> constantTone(std::int16_t level, double seconds) {
  return std::vector<std::int16_t>(static_cast<size_t>(seconds * kRate), level);
}

std::vector<std::int16_t> readSamples(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::int16_t> samples;
  std::int16_t s = 0;
  while (in.read(reinterpret_cast<char*>(&s), 2)) samples.push_back(s);
  return samples;
}

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

class Sound : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/krateon-sound-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
    home = fs::current_path();
    fs::current_path(folder);
    mixed = folder / "mixed.raw";
  }

  void TearDown() override {
    shutdownSound();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    unsetenv("SDL_DISKAUDIOFILE");
    fs::current_path(home);
    fs::remove_all(folder);
  }

  // Everything the program mixes from now on goes to `mixed`.
  void openDiskDevice() {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", mixed.c_str(), 1);
    initSound();
  }

  fs::path folder, home, mixed;
};

TEST_F(Sound, ABoomIsReallyPlayed) {
  std::vector<std::int16_t> boom(kRate / 4);
  for (size_t i = 0; i < boom.size(); ++i)
    boom[i] = static_cast<std::int16_t>(i % 200 * 100 - 10000);
  writeWav("boom.wav", boom);
  openDiskDevice();
  playSound("boom.wav");
  SDL_Delay(400);
  shutdownSound();
  const auto samples = readSamples(mixed);
  ASSERT_FALSE(samples.empty());
  int loud = 0;
  for (const std::int16_t s : samples) loud += std::abs(s) > 1000;
  EXPECT_GT(loud, kRate / 4);  // a quarter second of mono is half a second of stereo samples
}

TEST_F(Sound, ANewSoundReplacesTheOneStillPlaying) {
  writeWav("boom.wav", constantTone(12000, 1.0));
  writeWav("thunder.wav", constantTone(-12000, 0.5));
  openDiskDevice();
  playSound("boom.wav");
  SDL_Delay(200);
  playSound("thunder.wav");
  SDL_Delay(800);
  shutdownSound();
  const auto samples = readSamples(mixed);
  auto near = [](std::int16_t s, int level) { return std::abs(s - level) < 1500; };
  size_t firstThunder = samples.size(), lastThunder = 0;
  for (size_t i = 0; i < samples.size(); ++i) {
    if (!near(samples[i], -12000)) continue;
    firstThunder = std::min(firstThunder, i);
    lastThunder = i;
  }
  ASSERT_LT(firstThunder, lastThunder);
  size_t boomBefore = 0, boomAfter = 0, thunderRun = 0;
  for (size_t i = 0; i < samples.size(); ++i) {
    if (near(samples[i], 12000)) (i < firstThunder ? boomBefore : boomAfter)++;
    if (i >= firstThunder && i <= lastThunder && near(samples[i], -12000)) ++thunderRun;
  }
  EXPECT_GT(boomBefore, 0u) << "the boom played first";
  EXPECT_EQ(boomAfter, 0u) << "and stopped when the thunder began";
  // Never mixed together (that would cancel to 0): the thunder plays alone, then ends.
  EXPECT_GT(thunderRun, (lastThunder - firstThunder) * 95 / 100);
  EXPECT_NEAR(static_cast<double>(lastThunder - firstThunder), kRate * 2 * 0.5, kRate * 0.1);
}

TEST_F(Sound, MissingOrBadFilesAreSilentAndSayNothing) {
  std::ofstream("boom.wav") << "not a sound at all";
  fs::create_directory("thunder.wav");
  mkfifo("pipe.wav", 0600);  // a loader reading this would wait forever
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  openDiskDevice();
  const auto start = Clock::now();
  playSound("missing.wav");
  playSound("boom.wav");
  playSound("thunder.wav");
  playSound("pipe.wav");
  playSound(nullptr);
  const double elapsed = millisecondsSince(start);
  SDL_Delay(200);
  shutdownSound();
  const std::string out = testing::internal::GetCapturedStdout();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(out, "");
  EXPECT_EQ(err, "");
  EXPECT_LT(elapsed, 100.0);
  const auto samples = readSamples(mixed);
  ASSERT_FALSE(samples.empty()) << "the device did run";
  for (const std::int16_t s : samples) ASSERT_EQ(s, 0);
}

TEST_F(Sound, WithoutAUsableDeviceEverythingIsSilentQuickAndQuiet) {
  writeWav("boom.wav", constantTone(12000, 0.2));
  // A driver that finds no device here; real back-ends would print their complaints.
  const char* drivers[] = {"alsa", "no-such-driver"};
  for (const char* driver : drivers) {
    setenv("SDL_AUDIODRIVER", driver, 1);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    initSound();
    const int before = soundRequestCount();
    const auto start = Clock::now();
    playSound("boom.wav");
    const double elapsed = millisecondsSince(start);
    shutdownSound();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << driver;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << driver;
    EXPECT_EQ(soundRequestCount(), before + 1);
    EXPECT_STREQ(lastSoundRequested(), "boom.wav");
    EXPECT_LT(elapsed, 20.0);
  }
}

TEST_F(Sound, PlayingReturnsAtOnceAndEveryRequestIsCounted) {
  writeWav("boom.wav", constantTone(9000, 2.0));
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  initSound();
  initSound();  // a second start-up changes nothing
  const int before = soundRequestCount();
  double slowest = 0;
  for (int i = 0; i < 10; ++i) {
    const auto start = Clock::now();
    playSound(i % 2 ? "boom.wav" : "thunder.wav");
    slowest = std::max(slowest, millisecondsSince(start));
  }
  EXPECT_EQ(soundRequestCount(), before + 10);
  EXPECT_STREQ(lastSoundRequested(), "boom.wav");
  EXPECT_LT(slowest, 50.0) << "a two-second WAV loads and starts within a frame or so";
  RecordProperty("slowest_play_ms", std::to_string(slowest));
}

TEST_F(Sound, TheProgramStillEndsOnInterruptAndTerminate) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  initSound();
  for (const int signal : {SIGINT, SIGTERM}) {
    struct sigaction action {};
    sigaction(signal, nullptr, &action);
    EXPECT_EQ(action.sa_handler, SIG_DFL) << "signal " << signal;
  }
}

TEST_F(Sound, PlayingBeforeStartUpOrAfterShutdownIsSilence) {
  writeWav("boom.wav", constantTone(9000, 0.2));
  const int before = soundRequestCount();
  playSound("boom.wav");
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  initSound();
  shutdownSound();
  playSound("thunder.wav");
  EXPECT_EQ(soundRequestCount(), before + 2);
  EXPECT_STREQ(lastSoundRequested(), "thunder.wav");
  const std::string longName(300, 'x');
  playSound(longName.c_str());
  EXPECT_EQ(std::string(lastSoundRequested()), longName.substr(0, 63));
}

}  // namespace
