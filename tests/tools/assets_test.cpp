// The generated data files as the program reads them: headers, lengths and levels, map seams,
// colours and clouds, the font grid; and the generator giving the same bytes every run.
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

// An image as the program's loader decodes it, texel (s, t) channel c. Row t = 0 is the last row
// stored: the north pole on the sphere, the top of a glyph row.
struct Image {
  int n;
  Bytes rgba;
  explicit Image(const std::string& name)
      : n(name.ends_with("_256.bmp") ? 256 : 128), rgba(n * n * 4) {
    const Bytes file = readFile(kAssets + name);
    decodeBmpImage(file.data(), file.size(), n, n == 256 ? 255 : -1, 0, rgba.data());
  }
  int at(int s, int t, int c = 0) const { return rgba[(t * n + s) * 4 + c]; }
};

TEST(Assets, HeadersAreThePlainKindAtTheRightSize) {
  for (const std::string name : kImages) {
    const Bytes b = readFile(kAssets + name);
    const std::uint32_t n = name.ends_with("_256.bmp") ? 256 : 128, data = 3 * n * n;
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

    // Peaks between -6 and -1 dBFS (16422 to 29205), with no offset.
    int peak = 0;
    double sum = 0;
    for (std::size_t at = 44; at + 1 < b.size(); at += 2) {
      const int v = std::int16_t(le(b, at, 2));
      peak = std::max(peak, std::abs(v)), sum += v;
    }
    EXPECT_TRUE(peak <= 29205 && peak >= 16422) << name << " peaks at " << peak;
    EXPECT_LT(std::fabs(sum / (data / 2)), 100) << name << " has an offset";
  }
}

// Maps painted on the sphere join at the date line like any two neighbours; Mars is red and
// Neptune blue; the black-and-white maps are grey, and clouds cover about a third of the sphere
// (a row weighted by the share of the sphere the mesh gives it: 30 stacks put row t at
// colatitude (t + 0.5) / 256 * 30/29 * pi, so the last rows sit on the south pole).
TEST(Assets, PlanetMapsJoinAtTheSeamWithTheirColoursAndClouds) {
  for (int k = 2; k < 12; ++k) {
    const Image map(kImages[k]);
    double seam = 0, neighbours = 0, red = 0, blue = 0, sphere = 0, cloud = 0;
    int colours = 0;
    for (int t = 0; t < 256; ++t) {
      const double area = std::sin(std::min(3.14159265, (t + 0.5) / 256 * 30 / 29 * 3.14159265));
      sphere += area;
      for (int s = 0; s < 256; ++s) {
        for (int c = 0; c < 3; ++c) {
          seam += s == 0 ? std::abs(map.at(255, t, c) - map.at(0, t, c)) / 256.0 : 0;
          neighbours += s > 0 ? std::abs(map.at(s - 1, t, c) - map.at(s, t, c)) / (256.0 * 255) : 0;
        }
        red += map.at(s, t) / 65536.0, blue += map.at(s, t, 2) / 65536.0;
        cloud += map.at(s, t) >= 128 ? area / 256 : 0;
        colours += map.at(s, t) != map.at(s, t, 1) || map.at(s, t) != map.at(s, t, 2);
      }
    }
    EXPECT_LE(seam, 2 * neighbours + 1) << kImages[k];
    EXPECT_TRUE(k > 3 || colours == 0) << kImages[k] << " is not grey";
    EXPECT_TRUE(k != 3 || std::fabs(cloud / sphere - 1.0 / 3) < 0.05)
        << "cloud cover " << cloud / sphere;
    EXPECT_TRUE(k != 6 || red > blue + 40) << "Mars, red " << red << " blue " << blue;
    EXPECT_TRUE(k != 9 || blue > red + 40) << "Neptune, red " << red << " blue " << blue;
  }
}

// Code c has cell k = c - 32: column k % 16, row k / 16 from the top. The renderer samples 1.28
// texels right of and below each cell, so the two left columns and top lines stay black; every
// printable glyph has ink, upright: T's bar near its top, _ only in its lowest lines.
TEST(Assets, FontGlyphsFillTheirCellsUpright) {
  const Image font("font.bmp");
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
  int bar = 0;
  for (int y = 0; y < 16; ++y) bar = line('T', y) > line('T', bar) ? y : bar;
  EXPECT_LE(bar, 4);
  for (int y = 0; y < 11; ++y) EXPECT_EQ(line('_', y), 0) << "line " << y;
}

int runGenerator(const std::string& arguments) {  // the shell's status: 0 when it succeeded
  const std::string program = std::string(KRATEON_BINARY_DIR) + "/tools/assetgen/krateon-assetgen ";
  return std::system((program + arguments + " >/dev/null 2>&1").c_str());
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
  std::filesystem::remove_all(dir);
}

}  // namespace
