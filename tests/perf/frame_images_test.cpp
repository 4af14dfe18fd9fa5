// Fixed frames look exactly as recorded: the program's start is replayed on a synthetic clock
// (seed 22, 16 ms frames, the same keys at the same moments) and chosen frames are compared pixel
// for pixel with reference images rendered by the code before it was made faster.
//
// The references live in tests/perf/reference as gzip-compressed PPM files with a list of the
// asset files they were rendered with. Mesa's software renderer gives the same pixels for the
// same input on the same kind of machine. When a change is meant to alter the picture (or the
// generated assets change), record new references with
//   KRATEON_RECORD_FRAMES=1 ctest --test-dir build -R perf.frame_images
// and look at them before committing (zcat NAME.ppm.gz | convert ppm:- NAME.png).
#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "perf/scene_driver.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

const std::filesystem::path kReferenceDir =
    std::filesystem::path(KRATEON_SOURCE_DIR) / "tests" / "perf" / "reference";
const std::filesystem::path kActualDir =
    std::filesystem::path(KRATEON_BINARY_DIR) / "tests" / "perf-frames";

// A frame to keep, or a key to press, at a moment of the program's run (ms from its start).
struct Moment {
  int atMs;
  const char* frame;  // name of the frame kept at this moment, or nullptr
  int key;            // key pressed before this moment's frame, 0 = none
};

// From the start: the title over the fading-in planet, the first impact at 8 s (flash, glow,
// fire, smoke and sparks), the tremble, the break at 12 s, the help screen over the fragments,
// the next planet after the wrap at 16 s, its lines and points, the colour-cycled cloud image
// with a message, the direction readout and the frame-rate line, and the shattered Earth in
// letterbox, once leaving trails in hyperspace and once cleared again.
constexpr Moment kMoments[] = {
    {2000, "intro_title", 0},
    {4000, "planet", 0},
    {7600, "meteor", 0},
    {8320, "flash_particles", 0},
    {10400, "glow_tremble", 0},
    {13000, "fragments", 0},
    {13600, nullptr, '?'},
    {14000, "help_screen", 0},
    {14400, nullptr, '?'},
    {17600, "next_planet", 0},
    {17700, nullptr, 'w'},
    {18000, "lines", 0},
    {18100, nullptr, 'w'},
    {18400, "points", 0},
    {18500, nullptr, 'w'},
    {18600, nullptr, '1'},
    {18700, nullptr, 'c'},
    {18800, nullptr, 'n'},
    {18900, nullptr, 'n'},
    {21000, "cloud_image_readout", 0},
    {21100, nullptr, '3'},
    {21150, nullptr, 'n'},
    {21200, nullptr, 'l'},
    {21300, nullptr, 'l'},
    {26900, nullptr, ' '},
    {27200, "earth_break_hyperspace", 0},
    {27300, nullptr, ' '},
    {28500, "earth_break_letterbox", 0},
};

struct Image {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;  // rows top to bottom
};

Image readBackBuffer() {
  Image image{kWidth, kHeight, std::vector<unsigned char>(kWidth * kHeight * 3)};
  std::vector<unsigned char> rows(image.rgb.size());
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
  const size_t stride = kWidth * 3;
  for (int y = 0; y < kHeight; ++y) {
    std::copy_n(rows.begin() + (kHeight - 1 - y) * stride, stride, image.rgb.begin() + y * stride);
  }
  return image;
}

bool writePpmGz(const std::filesystem::path& path, const Image& image) {
  gzFile file = gzopen(path.c_str(), "wb9");
  if (file == nullptr) return false;
  const std::string header =
      "P6\n" + std::to_string(image.width) + " " + std::to_string(image.height) + "\n255\n";
  bool ok = gzwrite(file, header.data(), header.size()) == static_cast<int>(header.size());
  ok =
      ok && gzwrite(file, image.rgb.data(), image.rgb.size()) == static_cast<int>(image.rgb.size());
  return gzclose(file) == Z_OK && ok;
}

bool writePpm(const std::filesystem::path& path, const Image& image) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << image.width << " " << image.height << "\n255\n";
  out.write(reinterpret_cast<const char*>(image.rgb.data()),
            static_cast<std::streamsize>(image.rgb.size()));
  return static_cast<bool>(out);
}

// Reads a binary PPM (P6, maxval 255, no comments), gzip-compressed or not.
bool readPpmGz(const std::filesystem::path& path, Image& image) {
  gzFile file = gzopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  std::string bytes;
  char buffer[65536];
  for (int n = gzread(file, buffer, sizeof buffer); n > 0;
       n = gzread(file, buffer, sizeof buffer)) {
    bytes.append(buffer, static_cast<size_t>(n));
  }
  gzclose(file);
  std::istringstream in(bytes);
  std::string magic;
  int maxValue = 0;
  in >> magic >> image.width >> image.height >> maxValue;
  if (magic != "P6" || maxValue != 255 || image.width <= 0 || image.height <= 0) return false;
  in.get();  // the single whitespace after the header
  const size_t size = static_cast<size_t>(image.width) * image.height * 3;
  const size_t offset = static_cast<size_t>(in.tellg());
  if (bytes.size() != offset + size) return false;
  image.rgb.assign(bytes.begin() + static_cast<std::ptrdiff_t>(offset), bytes.end());
  return true;
}

uint64_t fnv1a(const unsigned char* data, size_t size, uint64_t hash = 1469598103934665603ull) {
  for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 1099511628211ull;
  return hash;
}

// The asset files the frames were drawn with, one "name hash" line each, sorted by name.
std::string assetFingerprint() {
  std::vector<std::filesystem::path> files;
  if (std::filesystem::is_directory(KRATEON_ASSET_DIR)) {
    for (const auto& entry : std::filesystem::directory_iterator(KRATEON_ASSET_DIR)) {
      if (entry.is_regular_file() && entry.path().extension() == ".bmp") {
        files.push_back(entry.path());
      }
    }
  }
  std::sort(files.begin(), files.end());
  std::ostringstream out;
  for (const auto& path : files) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx",
                  static_cast<unsigned long long>(
                      fnv1a(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size())));
    out << path.filename().string() << " " << hex << "\n";
  }
  return out.str();
}

std::string readText(const std::filesystem::path& path) {
  std::ifstream in(path);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct Difference {
  long pixels = 0;
  int largest = 0;
  int left = kWidth, top = kHeight, right = -1, bottom = -1;
};

Difference compare(const Image& expected, const Image& actual) {
  Difference d;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const size_t at = (static_cast<size_t>(y) * kWidth + x) * 3;
      int worst = 0;
      for (int c = 0; c < 3; ++c) {
        worst = std::max(worst, std::abs(expected.rgb[at + c] - actual.rgb[at + c]));
      }
      if (worst == 0) continue;
      ++d.pixels;
      d.largest = std::max(d.largest, worst);
      d.left = std::min(d.left, x);
      d.right = std::max(d.right, x);
      d.top = std::min(d.top, y);
      d.bottom = std::max(d.bottom, y);
    }
  }
  return d;
}

bool recording() {
  const char* value = std::getenv("KRATEON_RECORD_FRAMES");
  return value != nullptr && value[0] == '1';
}

// Replays the run and hands every kept frame to `keep`.
template <typename Keep>
void replay(Keep keep) {
  perftest::startScene(kWidth, kHeight);
  int t = 0;
  for (const Moment& moment : kMoments) {
    for (; t < moment.atMs; t += perftest::kFrameMs) perftest::frameAt(t);
    if (moment.key != 0) onKeyboard(static_cast<unsigned char>(moment.key), 0, 0);
    if (moment.frame == nullptr) continue;
    elapsedMs = t;
    frameStep();
    keep(moment.frame, readBackBuffer());
    glutSwapBuffers();
    t += perftest::kFrameMs;
  }
}

TEST(FrameImages, MatchTheRecordedReferencesPixelForPixel) {
  const std::string assets = assetFingerprint();
  if (recording()) {
    std::filesystem::create_directories(kReferenceDir);
    replay([](const char* name, const Image& image) {
      ASSERT_TRUE(writePpmGz(kReferenceDir / (std::string(name) + ".ppm.gz"), image)) << name;
    });
    std::ofstream(kReferenceDir / "assets.txt") << assets;
    GTEST_SKIP() << "recorded new references in " << kReferenceDir;
  }

  const bool sameAssets = readText(kReferenceDir / "assets.txt") == assets;
  std::filesystem::create_directories(kActualDir);
  int compared = 0;
  replay([&](const char* name, const Image& actual) {
    ++compared;
    Image expected;
    ASSERT_TRUE(readPpmGz(kReferenceDir / (std::string(name) + ".ppm.gz"), expected))
        << "no reference for " << name;
    ASSERT_EQ(expected.width, kWidth);
    ASSERT_EQ(expected.height, kHeight);
    const Difference d = compare(expected, actual);
    if (d.pixels == 0) return;
    const auto actualPath = kActualDir / (std::string(name) + ".ppm");
    writePpm(actualPath, actual);
    ADD_FAILURE() << name << ": " << d.pixels << " pixels differ (by up to " << d.largest
                  << " levels) within x " << d.left << ".." << d.right << ", y " << d.top << ".."
                  << d.bottom << " from the top; this frame: " << actualPath
                  << (sameAssets ? ""
                                 : "; the asset files differ from those the references were "
                                   "recorded with (tests/perf/reference/assets.txt)");
  });
  int kept = 0;
  for (const Moment& moment : kMoments) kept += moment.frame != nullptr;
  EXPECT_EQ(compared, kept);
}

}  // namespace
