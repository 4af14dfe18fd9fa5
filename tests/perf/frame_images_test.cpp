// Fixed frames look exactly as recorded: the program's start is replayed on a synthetic clock
// (seed 22, 16 ms frames, the same keys at the same moments) and chosen frames are compared pixel
// for pixel with reference images (gzip-compressed PPM in tests/perf/reference). Mesa's software
// renderer gives the same pixels for the same input on the same kind of machine. When a change is
// meant to alter the picture (the scene or the generated images), record anew with
//   KRATEON_RECORD_FRAMES=1 ctest --test-dir build -R perf.frame_images
// and look at the frames before committing (zcat NAME.ppm.gz | convert ppm:- NAME.png).
#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "support/scene_driver.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 320;
constexpr int kHeight = 240;
const fs::path kReferenceDir = fs::path(KRATEON_SOURCE_DIR) / "tests/perf/reference";
const fs::path kActualDir = fs::path(KRATEON_BINARY_DIR) / "tests/perf-frames";

// A frame to keep, or a key to press before the frame, at a moment (ms from the start).
struct Moment {
  int atMs;
  const char* frame;  // name of the frame kept, or nullptr
  int key;            // 0 = none
};

// The title over the fading-in planet; a reset after the fade (a meteor at once); the meteor, the
// impact's flash and particles, glow and tremble, the break, the help screen over the fragments;
// the next planet, its lines and points; the colour-cycled cloud image with the frame-rate line
// and the direction readout; the shattered Earth in letterbox, leaving trails in hyperspace and
// cleared again.
// clang-format off
constexpr Moment kMoments[] = {
    {2000, "intro_title", 0}, {3100, nullptr, 'r'}, {3600, "planet", 0}, {4600, "meteor", 0},
    {5520, "flash_particles", 0}, {7600, "glow_tremble", 0}, {10100, "fragments", 0},
    {10700, nullptr, '?'}, {11000, "help_screen", 0}, {11500, nullptr, '?'},
    {15500, "next_planet", 0}, {15600, nullptr, 'w'}, {15900, "lines", 0}, {16000, nullptr, 'w'},
    {16300, "points", 0}, {16400, nullptr, 'w'}, {16500, nullptr, '1'}, {16600, nullptr, 'c'},
    {16700, nullptr, 'n'}, {16800, nullptr, 'n'}, {17900, "cloud_image_readout", 0},
    {18100, nullptr, '3'}, {18150, nullptr, 'n'}, {18200, nullptr, 'l'}, {18300, nullptr, 'l'},
    {23000, nullptr, ' '}, {23300, "earth_break_hyperspace", 0}, {23400, nullptr, ' '},
    {24600, "earth_break_letterbox", 0}};
// clang-format on

// The frame as a binary PPM, rows from the top.
std::string toPpm(const testsupport::Frame& frame) {
  std::string ppm = "P6\n" + std::to_string(kWidth) + " " + std::to_string(kHeight) + "\n255\n";
  for (int y = kHeight - 1; y >= 0; --y) {
    const auto row = frame.rgb.begin() + static_cast<long>(y) * kWidth * 3;
    ppm.append(row, row + kWidth * 3);
  }
  return ppm;
}

bool writeGz(const fs::path& path, const std::string& bytes) {
  gzFile file = gzopen(path.c_str(), "wb9");
  if (file == nullptr) return false;
  const bool written = gzwrite(file, bytes.data(), bytes.size()) == static_cast<int>(bytes.size());
  return gzclose(file) == Z_OK && written;
}

std::string readGz(const fs::path& path) {
  std::string bytes;
  gzFile file = gzopen(path.c_str(), "rb");
  if (file == nullptr) return bytes;
  char buffer[65536];
  for (int n; (n = gzread(file, buffer, sizeof buffer)) > 0;) bytes.append(buffer, n);
  gzclose(file);
  return bytes;
}

void replay(const std::function<void(const char*, const std::string&)>& keep) {
  testsupport::startScene(kWidth, kHeight);
  int t = 0;
  for (const Moment& moment : kMoments) {
    for (; t < moment.atMs; t += testsupport::kFrameMs) testsupport::frameAt(t);
    if (moment.key != 0) testsupport::pressKey(static_cast<unsigned char>(moment.key));
    if (moment.frame == nullptr) continue;
    testsupport::frameAt(t);
    t += testsupport::kFrameMs;
    keep(moment.frame, toPpm(testsupport::readFrame()));
  }
}

TEST(FrameImages, MatchTheRecordedReferencesPixelForPixel) {
  const char* record = std::getenv("KRATEON_RECORD_FRAMES");
  if (record != nullptr && record[0] == '1') {
    replay([](const char* name, const std::string& ppm) {
      ASSERT_TRUE(writeGz(kReferenceDir / (std::string(name) + ".ppm.gz"), ppm)) << name;
    });
    GTEST_SKIP() << "recorded new references in " << kReferenceDir;
  }
  fs::create_directories(kActualDir);
  int compared = 0;
  replay([&](const char* name, const std::string& actual) {
    ++compared;
    const std::string expected = readGz(kReferenceDir / (std::string(name) + ".ppm.gz"));
    ASSERT_EQ(expected.size(), actual.size()) << "no reference of this size for " << name;
    long differing = 0;
    for (size_t i = 0; i < actual.size(); ++i) differing += actual[i] != expected[i];
    if (differing == 0) return;
    writeGz(kActualDir / (std::string(name) + ".ppm.gz"), actual);
    ADD_FAILURE() << name << ": " << differing << " bytes differ; this frame is in " << kActualDir;
  });
  EXPECT_EQ(compared, 13);
}

}  // namespace
