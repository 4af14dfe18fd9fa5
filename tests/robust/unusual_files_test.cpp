// Data files that are not files: a pipe nobody writes to, a device without end, a folder, and a
// sound file of the wrong content, under the names the program reads. Loading and playing them
// gives up at once (no texture, silence, nothing printed) instead of waiting or reading forever.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "image/bmp.h"
#include "sim/sound.h"
#include "support/gl_context.h"

namespace {

namespace fs = std::filesystem;

TEST(UnusualFiles, LoadNoTexturePlaySilenceAndReturn) {
  testsupport::ensureGlContext(64, 64);
  const fs::path folder =
      fs::temp_directory_path() / ("krateon-unusual-" + std::to_string(getpid()));
  fs::create_directories(folder / "folder");
  ASSERT_EQ(mkfifo((folder / "pipe").c_str(), 0600), 0);
  fs::create_symlink("/dev/zero", folder / "zero");
  std::ofstream(folder / "text.wav") << "not a sound at all";
  alarm(60);  // a call that blocks ends this program instead of hanging it
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", (folder / "mixed.raw").c_str(), 1);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  initSound();
  for (const char* name : {"pipe", "zero", "folder", "missing"}) {
    const std::string path = (folder / name).string();
    EXPECT_EQ(loadBmpTexture128(path.c_str(), -1, 0, 0), 0u) << name;
    EXPECT_EQ(loadBmpTexture256(path.c_str(), 255, 0, 1), 0u) << name;
    playSound(path.c_str());
  }
  playSound((folder / "text.wav").c_str());
  for (int i = 0; i < 2000 && fs::file_size(folder / "mixed.raw") < 4096; ++i) usleep(5000);
  shutdownSound();
  std::ifstream mixed(folder / "mixed.raw", std::ios::binary);
  int samples = 0, loud = 0;
  for (short s; mixed.read(reinterpret_cast<char*>(&s), 2); ++samples) loud += s != 0;
  EXPECT_GT(samples, 0) << "the device ran";
  EXPECT_EQ(loud, 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  alarm(0);
  fs::remove_all(folder);
}

}  // namespace
