// The generated data files as the program reads them: BMP and WAV headers, the sounds' length,
// level and clean ends, the planet maps' seams, poles, orientation and clouds, the font grid and
// the smoke sprite, and the generator writing the same bytes on every run.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "image/bmp.h"

namespace {

using Bytes = std::vector<unsigned char>;
const std::string kAssets = std::string(KRATEON_ASSET_DIR) + "/";
const char* const kImages[] = {
    "font.bmp",       "smoke128.bmp",    "earthCraterBW_256.bmp", "earthCloudsBW_256.bmp",
    "venus_256.bmp",  "earth_256.bmp",   "mars_256.bmp",          "jupiter_256.bmp",
    "saturn_256.bmp", "neptune_256.bmp", "neptune3_256.bmp",      "pluto_256.bmp"};

Bytes readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The little-endian value of `bytes` bytes at `at`.
std::uint32_t le(const Bytes& b, std::size_t at, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | b.at(at + i);
  return value;
}

// An image as the program's loader decodes it (sprites: alpha from brightness; planets opaque).
// Row t = 0 is the last row stored: the north pole on the sphere, the top of a glyph row.
struct Image {
  int n;
  Bytes rgba;
  explicit Image(const std::string& name)
      : n(name.ends_with("_256.bmp") ? 256 : 128), rgba(n * n * 4) {
    const Bytes file = readFile(kAssets + name);
    decodeBmpImage(file.data(), file.size(), n, n == 256 ? 255 : -1, 0, rgba.data());
  }
  int at(int s, int t, int channel = 0) const { return rgba[(t * n + s) * 4 + channel]; }
  int step(int s, int t, int s1, int t1) const {  // colour distance between two texels
    return std::abs(at(s, t) - at(s1, t1)) + std::abs(at(s, t, 1) - at(s1, t1, 1)) +
           std::abs(at(s, t, 2) - at(s1, t1, 2));
  }
};

TEST(Assets, HeadersAreThePlainKindAtTheRightSize) {
  for (const char* name : kImages) {
    const Bytes b = readFile(kAssets + name);
    const std::uint32_t n = std::string(name).ends_with("_256.bmp") ? 256 : 128, data = 3 * n * n;
    ASSERT_EQ(b.size(), 54 + data) << name;
    // {offset, bytes, value}: "BM", file size, data offset, header size, width, height (positive:
    // rows bottom-up), planes, bits per pixel, no compression, image size.
    const std::uint32_t fields[][3] = {{0, 2, 0x4D42}, {2, 4, 54 + data}, {10, 4, 54}, {14, 4, 40},
                                       {18, 4, n},     {22, 4, n},        {26, 2, 1},  {28, 2, 24},
                                       {30, 4, 0},     {34, 4, data}};
    for (const auto& f : fields)
      EXPECT_EQ(le(b, f[0], int(f[1])), f[2]) << name << " byte " << f[0];
  }
  // 16-bit PCM at 44.1 kHz: the boom 1.6 s of mono, the thunder 3.8 s of stereo.
  for (const auto& [name, channels, seconds] :
       {std::tuple{"boom.wav", 1u, 1.6}, {"thunder.wav", 2u, 3.8}}) {
    const Bytes b = readFile(kAssets + name);
    ASSERT_GE(b.size(), 44u) << name;
    const std::uint32_t block = 2 * channels, data = std::uint32_t(b.size() - 44);
    // "RIFF", size, "WAVE", "fmt ", 16, PCM, channels, rate, byte rate, block, bits, "data", size
    const std::uint32_t fields[][3] = {
        {0, 4, 0x46464952},  {4, 4, data + 36}, {8, 4, 0x45564157},
        {12, 4, 0x20746D66}, {16, 4, 16},       {20, 2, 1},
        {22, 2, channels},   {24, 4, 44100},    {28, 4, 44100 * block},
        {32, 2, block},      {34, 2, 16},       {36, 4, 0x61746164},
        {40, 4, data}};
    for (const auto& f : fields)
      EXPECT_EQ(le(b, f[0], int(f[1])), f[2]) << name << " byte " << f[0];
    EXPECT_NEAR(data / block / 44100.0, seconds, 0.001) << name;
  }
}

// Peaks between -6 and -1 dBFS, no offset, and fades within 2 ms at both ends so that playback
// never clicks; the boom's power lies below 150 Hz.
TEST(Assets, SoundsAreLoudCleanAndTheBoomDeep) {
  for (const auto& [name, channels] : {std::pair{"boom.wav", 1}, {"thunder.wav", 2}}) {
    const Bytes b = readFile(kAssets + name);
    std::vector<int> pcm;
    for (std::size_t at = 44; at + 1 < b.size(); at += 2) pcm.push_back(std::int16_t(le(b, at, 2)));
    int peak = 0;
    double sum = 0, all = 0, low = 0, lowPass = 0;
    for (int v : pcm) {
      peak = std::max(peak, std::abs(v)), sum += v, all += double(v) * v;
      lowPass += (1 - std::exp(-2 * 3.14159265 * 150 / 44100)) * (v - lowPass),
          low += lowPass * lowPass;
    }
    const double peakDb = 20 * std::log10(peak / 32768.0);
    EXPECT_TRUE(peakDb <= -1 && peakDb >= -6) << name << " peaks at " << peakDb << " dBFS";
    EXPECT_LT(std::fabs(sum / pcm.size()), 100) << name << " has an offset";
    EXPECT_TRUE(channels == 2 || low / all > 0.5) << name << " is not deep";
    for (std::size_t i = 0; i < 88u * channels; ++i) {
      const double limit = 32768.0 * (i / channels) / 88;
      ASSERT_LE(std::abs(pcm[i]), limit) << name << " start, sample " << i;
      ASSERT_LE(std::abs(pcm[pcm.size() - 1 - i]), limit) << name << " end, sample " << i;
    }
  }
}

// Maps painted on the sphere: the date line joins like any two neighbours and the pole rows
// barely change along them. North is up (Jupiter's red oval lies south, Mars's larger cap
// north); the two black-and-white maps are grey, and clouds cover a third of the sphere.
TEST(Assets, PlanetMapsJoinStandUprightAndCloudsCoverAThird) {
  // Share of the sphere a row covers: the mesh's 30 stacks put row t at colatitude
  // (t + 0.5) / 256 * 30/29 * pi, so the last rows all sit on the south pole.
  auto area = [](int t) {
    return std::sin(std::min(3.14159265, (t + 0.5) / 256 * 30 / 29 * 3.14159265));
  };
  for (int k = 2; k < 12; ++k) {
    const Image map(kImages[k]);
    double seam = 0, neighbours = 0, north = 0, south = 0, equator = 0, sphere = 0, cloud = 0,
           clear = 0;
    double cap[2] = {0, 0};
    int reddestRow = 0, reddest = -999, colours = 0;
    for (int t = 0; t < 256; ++t) {
      seam += map.step(255, t, 0, t) / 256.0;
      north += map.step(t, 0, (t + 1) % 256, 0) / 256.0;
      south += map.step(t, 255, (t + 1) % 256, 255) / 256.0;
      equator += map.step(t, 124, (t + 1) % 256, 124) / 256.0;
      sphere += area(t);
      for (int s = 0; s < 256; ++s) {
        neighbours += map.step(s, t, (s + 1) % 256, t) / (256.0 * 256);
        if (map.at(s, t) - map.at(s, t, 2) > reddest)
          reddest = map.at(s, t) - map.at(s, t, 2), reddestRow = t;
        if (t < 40 || t >= 216) cap[t >= 216] += map.at(s, t, 2) > 200 ? area(t) : 0;
        cloud += map.at(s, t) >= 128 ? area(t) / 256 : 0;
        clear += map.at(s, t) < 16 ? area(t) / 256 : 0;
        colours += map.at(s, t) != map.at(s, t, 1) || map.at(s, t) != map.at(s, t, 2);
      }
    }
    EXPECT_LE(seam, 2 * neighbours + 1) << kImages[k];
    EXPECT_LE(north, 0.1 * equator + 0.5) << kImages[k];
    EXPECT_LE(south, 0.1 * equator + 0.5) << kImages[k];
    EXPECT_TRUE(k > 3 || colours == 0) << kImages[k] << " is not grey";
    EXPECT_TRUE(k != 3 || std::fabs(cloud / sphere - 1.0 / 3) < 0.05)
        << "cloud cover " << cloud / sphere;
    EXPECT_TRUE(k != 3 || clear / sphere > 0.2)
        << "clear sky between the clouds " << clear / sphere;
    EXPECT_TRUE(k != 6 || (cap[0] > 1.5 * cap[1] && cap[1] > 0))
        << "Mars's caps " << cap[0] << ", " << cap[1];
    EXPECT_TRUE(k != 7 || (reddestRow > 148 && reddestRow < 192))
        << "Jupiter's oval at row " << reddestRow;
  }
}

// Code c has cell k = c - 32: column k % 16, row k / 16 from the top. The renderer samples 1.28
// texels right of and below each cell, so the two left columns and top lines stay black; every
// printable glyph has ink, upright. The smoke is a soft grey puff, transparent at its edges.
TEST(Assets, FontGlyphsFillTheirCellsUprightAndSmokeIsASoftPuff) {
  const Image font("font.bmp"), smoke("smoke128.bmp");
  auto line = [&](int code, int y, int width = 8) {  // ink along one line of a cell
    int sum = 0;
    for (int x = 0; x < width; ++x)
      sum += font.at((code - 32) % 16 * 8 + x, 127 - ((code - 32) / 16 * 16 + y));
    return sum;
  };
  for (int code = 32; code < 160; ++code) {
    int margin = line(code, 0) + line(code, 1), ink = 0;
    for (int y = 0; y < 16; ++y) margin += line(code, y, 2), ink += line(code, y);
    EXPECT_EQ(margin, 0) << "code " << code;
    EXPECT_EQ(ink > 255, code > 32 && code < 127) << "code " << code;
  }
  int bar = 0;  // T's bar lies near its top; _ has ink only in its lowest lines
  for (int y = 0; y < 16; ++y) bar = line('T', y) > line('T', bar) ? y : bar;
  EXPECT_LE(bar, 4);
  for (int y = 0; y < 11; ++y) EXPECT_EQ(line('_', y), 0) << "line " << y;

  int edge = 0, middle = 0;
  for (int i = 0; i < 128 * 128; ++i) {
    const int s = i % 128, t = i / 128, v = smoke.at(s, t);
    ASSERT_TRUE(smoke.at(s, t, 1) == v && smoke.at(s, t, 2) == v && smoke.at(s, t, 3) == v)
        << s << ", " << t;
    edge = std::min({s, t, 127 - s, 127 - t}) < 3 ? std::max(edge, v) : edge;
    middle = std::abs(s - 64) < 16 && std::abs(t - 64) < 16 ? std::max(middle, v) : middle;
  }
  EXPECT_EQ(edge, 0);
  EXPECT_GT(middle, 150);
}

int runGenerator(const std::string& arguments) {
  const std::string command = std::string(KRATEON_BINARY_DIR) +
                              "/tools/assetgen/krateon-assetgen " + arguments + " >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Assets, GeneratorWritesTheSameBytesEveryRunAndFailsWithoutItsFont) {
  std::string dir = (std::filesystem::temp_directory_path() / "krateon-assets-XXXXXX").string();
  ASSERT_NE(mkdtemp(dir.data()), nullptr);
  ASSERT_EQ(runGenerator(dir), 0);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 14);
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::string name = entry.path().filename();
    EXPECT_EQ(readFile(entry.path()), readFile(kAssets + name))
        << name << " differs from the build's";
  }
  EXPECT_NE(runGenerator(dir + "/without --font /nonexistent/font.ttf"), 0);
  EXPECT_FALSE(std::filesystem::exists(dir + "/without/font.bmp"));
  EXPECT_NE(runGenerator(""), 0);
  std::filesystem::remove_all(dir);
}

}  // namespace
