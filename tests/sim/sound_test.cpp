// Sound playback heard through SDL's disk driver (all it mixes goes to a file): a sound replacing
// another, a file rewritten, files that are not files (for the image loaders too), no device.
#include "sim/sound.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "image/bmp.h"
#include "support/gl_context.h"

namespace {

namespace fs = std::filesystem;
namespace gtest = testing::internal;  // capturing what the program prints

constexpr int kRate = 44100;

// A 16-bit mono PCM WAV of one level, modified at second 1e9 and `nanosecond`; header words: RIFF,
// size, WAVE, "fmt ", 16, PCM and mono, rate, byte rate, block and bits, data, size.
void writeWav(const char* name, std::int16_t level, double seconds, long nanosecond = 0) {
  const std::vector<std::int16_t> samples(static_cast<size_t>(seconds * kRate), level);
  const std::uint32_t bytes = static_cast<std::uint32_t>(samples.size() * 2);
  const std::uint32_t header[] = {0x46464952, 36 + bytes, 0x45564157, 0x20746d66, 16,   0x00010001,
                                  kRate,      kRate * 2,  0x00100002, 0x61746164, bytes};
  std::ofstream(name, std::ios::binary)
      .write(reinterpret_cast<const char*>(header), sizeof header)
      .write(reinterpret_cast<const char*>(samples.data()), bytes);
  const timespec times[2] = {{1'000'000'000, 0}, {1'000'000'000, nanosecond}};
  utimensat(AT_FDCWD, name, times, 0);
}

class Sound : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("krateon-sound-" + std::to_string(getpid()));
    fs::create_directories(folder);
    fs::current_path(folder);
  }
  void TearDown() override {
    shutdownSound();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    fs::current_path("/");
    fs::remove_all(folder);
  }

  // Everything mixed from now on lands in mixed.raw.
  void openDiskDevice() {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", mixed().c_str(), 1);
    initSound();
  }

  // Waits on the mix, not the clock: until `seconds` more are mixed, or with 0 the sound ended
  // and a tenth more.
  void waitForMix(double seconds) {
    for (int i = 0; i < 2000 && seconds == 0 && Mix_Playing(-1) != 0; ++i) SDL_Delay(5);
    const auto bytes = [&] { return fs::exists(mixed()) ? fs::file_size(mixed()) : 0; };
    const auto target = bytes() + std::uintmax_t((seconds ? seconds : 0.1) * kRate * 4);
    for (int i = 0; i < 2000 && bytes() < target; ++i) SDL_Delay(5);
  }
  fs::path mixed() const { return folder / "mixed.raw"; }

  // Closes the device; returns how many stereo samples of the mix were near each level.
  std::vector<long> mixedNear(const std::vector<int>& levels) {
    shutdownSound();
    std::ifstream in(mixed(), std::ios::binary);
    std::vector<long> near(levels.size(), 0);
    for (std::int16_t s; in.read(reinterpret_cast<char*>(&s), 2);) {
      for (size_t i = 0; i < levels.size(); ++i) near[i] += std::abs(s - levels[i]) < 1500;
    }
    return near;
  }

  fs::path folder;
};

// A new sound stops the one playing; a kept sound is read anew once its file is rewritten, even
// within the same second at the same size. The program can still be interrupted.
TEST_F(Sound, ANewSoundStopsTheOldOneAndARewrittenFileIsPlayedAsItIsNow) {
  writeWav("boom.wav", 12000, 1.0);
  writeWav("thunder.wav", -12000, 0.25, 100);
  openDiskDevice();
  for (const int signal : {SIGINT, SIGTERM}) {
    struct sigaction action {};
    sigaction(signal, nullptr, &action);
    EXPECT_EQ(action.sa_handler, SIG_DFL) << "signal " << signal;
  }
  playSound("boom.wav");
  waitForMix(0.3);
  for (const int level : {-12000, -12000, 6000}) {
    if (level > 0) writeWav("thunder.wav", level, 0.25, 200);
    playSound("thunder.wav");
    waitForMix(0);
  }
  const auto near = mixedNear({12000, -12000, 6000});
  EXPECT_GT(near[0], kRate * 2 * 0.2);
  EXPECT_LT(near[0], kRate * 2 * 0.5) << "the boom went on under the thunder";
  EXPECT_NEAR(near[1], kRate, kRate * 0.05) << "the first thunder twice, alone";
  EXPECT_NEAR(near[2], kRate / 2, kRate * 0.05) << "then the new one";
}

// No device (none found, or no such driver): every request counted, nothing heard or printed.
TEST_F(Sound, WithoutADeviceEveryRequestIsSilentAndQuiet) {
  writeWav("boom.wav", 12000, 0.2);
  for (const char* driver : {"alsa", "no-such-driver"}) {
    setenv("SDL_AUDIODRIVER", driver, 1);
    gtest::CaptureStdout();
    gtest::CaptureStderr();
    initSound();
    const int before = soundRequestCount();
    playSound("boom.wav");
    playSound("thunder.wav");
    shutdownSound();
    EXPECT_EQ(gtest::GetCapturedStdout() + gtest::GetCapturedStderr(), "") << driver;
    EXPECT_EQ(soundRequestCount(), before + 2) << driver;
    EXPECT_STREQ(lastSoundRequested(), "thunder.wav") << driver;
  }
}

// A pipe nobody writes to, a device without end, a folder, a missing file and a sound file of
// the wrong content: loading and playing give up at once (no texture, silence, nothing printed).
TEST_F(Sound, FilesThatAreNotFilesLoadNoTextureAndPlaySilence) {
  testsupport::ensureGlContext(64, 64);
  fs::create_directory("folder");
  ASSERT_EQ(mkfifo("pipe", 0600), 0);
  fs::create_symlink("/dev/zero", "zero");
  std::ofstream("text.wav") << "not a sound at all";
  alarm(60);  // a call that blocks ends this program instead of hanging it
  gtest::CaptureStdout();
  gtest::CaptureStderr();
  openDiskDevice();
  for (const char* name : {"pipe", "zero", "folder", "missing"}) {
    EXPECT_EQ(loadBmpTexture128(name, -1, 0, 0), 0u) << name;
    EXPECT_EQ(loadBmpTexture256(name, 255, 0, 1), 0u) << name;
    playSound(name);
  }
  playSound("text.wav");
  waitForMix(0.1);
  const long quiet = mixedNear({0})[0];
  EXPECT_GT(quiet, 0) << "the device ran";
  EXPECT_EQ(quiet, static_cast<long>(fs::file_size(mixed()) / 2)) << "all of the mix is silence";
  EXPECT_EQ(gtest::GetCapturedStdout() + gtest::GetCapturedStderr(), "");
  alarm(0);
}

}  // namespace
