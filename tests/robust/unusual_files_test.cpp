// Data files that are not files: a pipe that nobody writes to, a device that never ends and a
// folder, under the names the program reads. Loading and playing them must give up at once
// (no texture, silence) instead of waiting forever or reading without end.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>

#include "image/bmp.h"
#include "sim/sound.h"
#include "support/gl_context.h"

namespace {

namespace fs = std::filesystem;

class SpecialFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::ensureGlContext(64, 64);
    folder_ = fs::temp_directory_path() / ("krateon-special-" + std::to_string(getpid()));
    fs::create_directories(folder_);
    ASSERT_EQ(mkfifo((folder_ / "pipe").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", folder_ / "zero");
    fs::create_directory(folder_ / "folder");
    alarm(20);  // a call that blocks ends the test program instead of hanging it
  }
  void TearDown() override {
    alarm(0);
    fs::remove_all(folder_);
  }
  std::string path(const char* name) const { return (folder_ / name).string(); }

  fs::path folder_;
};

TEST_F(SpecialFiles, ImagesThatAreNotFilesLoadNoTextureAndReturnAtOnce) {
  const auto start = std::chrono::steady_clock::now();
  for (const char* name : {"pipe", "zero", "folder"}) {
    EXPECT_EQ(loadBmpTexture128(path(name).c_str(), -1, 0, 0), 0u) << name;
    EXPECT_EQ(loadBmpTexture256(path(name).c_str(), 255, 0, 1), 0u) << name;
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(SpecialFiles, SoundsThatAreNotFilesPlaySilenceAndReturnAtOnce) {
  initSound();
  const auto start = std::chrono::steady_clock::now();
  for (const char* name : {"pipe", "zero", "folder"}) playSound(path(name).c_str());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  shutdownSound();
}

}  // namespace
