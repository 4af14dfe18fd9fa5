// The generated data files as the program reads them: BMP and WAV headers, sound lengths, levels
// and character, the planet maps' seams, poles and orientation, the font grid, the smoke sprite,
// and the generator writing the same bytes on every run.
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
#include <vector>

#include "image/bmp.h"

namespace {

using Bytes = std::vector<unsigned char>;
const std::string kAssets = std::string(KRATEON_ASSET_DIR) + "/";
const char* const kPlanets[] = {
    "earthCraterBW_256.bmp", "earthCloudsBW_256.bmp", "venus_256.bmp",  "earth_256.bmp",
    "mars_256.bmp",          "jupiter_256.bmp",       "saturn_256.bmp", "neptune_256.bmp",
    "neptune3_256.bmp",      "pluto_256.bmp"};

Bytes readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::uint32_t le(const Bytes& b, std::size_t at, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | b.at(at + i);
  return value;
}

// An image as the program's loader decodes it (sprites: alpha from brightness; planets: opaque).
// Texel row t = 0 is the last row stored, the north pole on the sphere and the top of a glyph row.
struct Image {
  int n = 0;
  Bytes rgba;
  int at(int s, int t, int channel = 0) const {
    return rgba[(std::size_t(t) * n + s) * 4 + channel];
  }
  int distance(int s0, int t0, int s1, int t1) const {
    int sum = 0;
    for (int c = 0; c < 3; ++c) sum += std::abs(at(s0, t0, c) - at(s1, t1, c));
    return sum;
  }
};

Image load(const std::string& name) {
  const Bytes file = readFile(kAssets + name);
  Image image;
  image.n = name.ends_with("_256.bmp") ? 256 : 128;
  image.rgba.resize(std::size_t(image.n) * image.n * 4);
  decodeBmpImage(file.data(), file.size(), image.n, image.n == 256 ? 255 : -1, 0,
                 image.rgba.data());
  return image;
}

// Share of the sphere a texel row covers: the planet's mesh (30 stacks) puts row t at colatitude
// (t + 0.5) / 256 * 30/29 * pi, so the last rows all sit on the south pole.
double rowArea(int t) {
  return std::sin(std::min(3.14159265, (t + 0.5) / 256 * 30 / 29 * 3.14159265));
}

TEST(Assets, ImageHeadersAreThePlain54ByteKind) {
  std::vector<std::string> images = {"font.bmp", "smoke128.bmp"};
  images.insert(images.end(), std::begin(kPlanets), std::end(kPlanets));
  for (const std::string& name : images) {
    const Bytes b = readFile(kAssets + name);
    const std::uint32_t n = name.ends_with("_256.bmp") ? 256 : 128;
    ASSERT_EQ(b.size(), 54 + 3 * n * n) << name;
    // {offset, bytes, value}: magic, file size, data offset, header size, width, height (positive:
    // rows bottom-up), planes, bits per pixel, no compression, image size.
    const std::uint32_t fields[][3] = {{0, 2, 0x4D42}, {2, 4, 54 + 3 * n * n},
                                       {10, 4, 54},    {14, 4, 40},
                                       {18, 4, n},     {22, 4, n},
                                       {26, 2, 1},     {28, 2, 24},
                                       {30, 4, 0},     {34, 4, 3 * n * n}};
    for (const auto& f : fields)
      EXPECT_EQ(le(b, f[0], int(f[1])), f[2]) << name << " byte " << f[0];
  }
}

// Sixteen-bit PCM at 44.1 kHz: the boom 1.6 s of mono, the thunder 3.8 s of stereo, peaking
// between -6 and -1 dBFS with no offset, fading in and out within 2 ms so they never click.
TEST(Assets, SoundsHaveTheirFormatLengthAndLevel) {
  const struct {
    const char* name;
    std::uint32_t channels;
    double seconds;
  } sounds[] = {{"boom.wav", 1, 1.6}, {"thunder.wav", 2, 3.8}};
  for (const auto& s : sounds) {
    const Bytes b = readFile(kAssets + s.name);
    ASSERT_GE(b.size(), 44u) << s.name;
    const std::uint32_t block = 2 * s.channels, data = std::uint32_t(b.size() - 44);
    const std::uint32_t fields[][3] = {
        {0, 4, 0x46464952},  {4, 4, data + 36}, {8, 4, 0x45564157},
        {12, 4, 0x20746D66}, {16, 4, 16},       {20, 2, 1},
        {22, 2, s.channels}, {24, 4, 44100},    {28, 4, 44100 * block},
        {32, 2, block},      {34, 2, 16},       {36, 4, 0x61746164},
        {40, 4, data}};
    for (const auto& f : fields)
      EXPECT_EQ(le(b, f[0], int(f[1])), f[2]) << s.name << " byte " << f[0];
    EXPECT_NEAR(data / block / 44100.0, s.seconds, 0.001) << s.name;

    std::vector<int> pcm;
    for (std::size_t at = 44; at + 1 < b.size(); at += 2) pcm.push_back(std::int16_t(le(b, at, 2)));
    int peak = 0;
    double sum = 0;
    for (int v : pcm) peak = std::max(peak, std::abs(v)), sum += v;
    const double peakDb = 20 * std::log10(peak / 32768.0);
    EXPECT_TRUE(peakDb <= -1 && peakDb >= -6) << s.name << " peaks at " << peakDb << " dBFS";
    EXPECT_LT(std::fabs(sum / pcm.size()), 100) << s.name << " has an offset";
    for (std::size_t i = 0; i < 88 * s.channels; ++i) {
      const double limit = 32768.0 * (i / s.channels) / 88;
      ASSERT_LE(std::abs(pcm[i]), limit) << s.name << " start, sample " << i;
      ASSERT_LE(std::abs(pcm[pcm.size() - 1 - i]), limit) << s.name << " end, sample " << i;
    }
  }
}

// The boom's power lies below 150 Hz; the thunder is still loud half-way and dies at the end.
TEST(Assets, TheBoomIsDeepAndTheThunderRolls) {
  const Bytes boom = readFile(kAssets + "boom.wav");
  double all = 0, low = 0, state = 0;
  const double k = 1 - std::exp(-2 * 3.14159265 * 150 / 44100);
  for (std::size_t at = 44; at + 1 < boom.size(); at += 2) {
    const double v = std::int16_t(le(boom, at, 2));
    state += k * (v - state);
    all += v * v, low += state * state;
  }
  EXPECT_GT(low / all, 0.5);
  const Bytes thunder = readFile(kAssets + "thunder.wav");
  auto rms = [&](double from, double to) {
    const std::size_t frames = (thunder.size() - 44) / 4, a = std::size_t(from * frames),
                      e = std::size_t(to * frames);
    double energy = 0;
    for (std::size_t f = a; f < e; ++f)
      energy += std::pow(std::int16_t(le(thunder, 44 + 4 * f, 2)), 2);
    return std::sqrt(energy / (e - a));
  };
  EXPECT_GT(rms(0.3, 0.5), 0.5 * rms(0, 0.1));
  EXPECT_LT(rms(0.9, 1.0), 0.3 * rms(0.3, 0.5));
}

// Maps painted on the sphere: the date line joins like any two neighbours, the pole rows barely
// change along them. North is up: Jupiter's red oval lies south, Mars's larger cap north.
TEST(Assets, PlanetMapsJoinAtTheSeamAndStandUpright) {
  for (const char* name : kPlanets) {
    const Image map = load(name);
    double seam = 0, neighbours = 0, north = 0, south = 0, equator = 0;
    for (int i = 0; i < 256; ++i) {
      seam += map.distance(255, i, 0, i) / 256.0;
      for (int s = 0; s < 255; ++s) neighbours += map.distance(s, i, s + 1, i) / (256.0 * 255);
      north += map.distance(i, 0, (i + 1) % 256, 0) / 256.0;
      south += map.distance(i, 255, (i + 1) % 256, 255) / 256.0;
      equator += map.distance(i, 124, (i + 1) % 256, 124) / 256.0;
    }
    EXPECT_LE(seam, 2 * neighbours + 1) << name;
    EXPECT_LE(north, 0.1 * equator + 0.5) << name;
    EXPECT_LE(south, 0.1 * equator + 0.5) << name;
  }
  const Image jupiter = load("jupiter_256.bmp"), mars = load("mars_256.bmp");
  int reddestRow = 0, reddest = -999;
  double northCap = 0, southCap = 0;
  for (int t = 0; t < 256; ++t) {
    for (int s = 0; s < 256; ++s) {
      const int red = jupiter.at(s, t, 0) - jupiter.at(s, t, 2);
      if (red > reddest) reddest = red, reddestRow = t;
      const double white = mars.at(s, t, 2) > 200 ? rowArea(t) : 0;
      northCap += t < 40 ? white : 0;
      southCap += t >= 216 ? white : 0;
    }
  }
  EXPECT_TRUE(reddestRow > 148 && reddestRow < 192) << reddestRow;
  EXPECT_GT(northCap, 1.5 * southCap);
  EXPECT_GT(southCap, 0);
}

// The two black-and-white maps are grey; clouds cover about a third of the sphere, with clear
// sky between them (rows weighted by the area they cover).
TEST(Assets, GreyMapsAndTheCloudCover) {
  for (const char* name : {"earthCraterBW_256.bmp", "earthCloudsBW_256.bmp"}) {
    const Image map = load(name);
    for (int i = 0; i < 256 * 256; ++i) {
      ASSERT_TRUE(map.at(i % 256, i / 256, 0) == map.at(i % 256, i / 256, 1) &&
                  map.at(i % 256, i / 256, 1) == map.at(i % 256, i / 256, 2))
          << name << " texel " << i;
    }
  }
  const Image clouds = load("earthCloudsBW_256.bmp");
  double covered = 0, clear = 0, total = 0;
  for (int t = 0; t < 256; ++t) {
    const double area = rowArea(t);
    for (int s = 0; s < 256; ++s) {
      total += area;
      covered += clouds.at(s, t) >= 128 ? area : 0;
      clear += clouds.at(s, t) < 16 ? area : 0;
    }
  }
  EXPECT_NEAR(covered / total, 1.0 / 3, 0.05);
  EXPECT_GT(clear / total, 0.2);
}

// Glyph of code c in cell k = c - 32: column k % 16, row k / 16 from the top; ink at (x, y) from
// the cell's top-left. The renderer samples 1.28 texels right of and below each cell, so the two
// left columns and top lines stay black; every printable glyph has ink, upright.
TEST(Assets, FontGlyphsFillTheirCellsUpright) {
  const Image font = load("font.bmp");
  auto ink = [&](int code, int x, int y) {
    return font.at((code - 32) % 16 * 8 + x, 127 - ((code - 32) / 16 * 16 + y));
  };
  auto lineInk = [&](int code, int y) {
    int sum = 0;
    for (int x = 0; x < 8; ++x) sum += ink(code, x, y);
    return sum;
  };
  for (int code = 32; code < 160; ++code) {
    int margin = 0, total = 0;
    for (int y = 0; y < 16; ++y) {
      margin += ink(code, 0, y) + ink(code, 1, y) + (y < 2 ? lineInk(code, y) : 0);
      total += lineInk(code, y);
    }
    EXPECT_EQ(margin, 0) << "code " << code;
    if (code > 32 && code < 127) {
      EXPECT_GT(total, 255) << "code " << code;
    }
  }
  EXPECT_EQ(lineInk(' ', 8), 0);
  int bar = 0;  // the line of T's bar is near its top; _ has ink only in its lowest lines
  for (int y = 0; y < 16; ++y) bar = lineInk('T', y) > lineInk('T', bar) ? y : bar;
  EXPECT_LE(bar, 4);
  for (int y = 0; y < 11; ++y) EXPECT_EQ(lineInk('_', y), 0) << "line " << y;
}

TEST(Assets, SmokeIsASoftGreyPuffOnATransparentSquare) {
  const Image smoke = load("smoke128.bmp");
  int border = 0, centre = 0;
  for (int i = 0; i < 128; ++i) {
    for (int d = 0; d < 3; ++d)
      border = std::max(
          {border, smoke.at(i, d), smoke.at(i, 127 - d), smoke.at(d, i), smoke.at(127 - d, i)});
    for (int j = 48; j < 80; ++j) centre = std::max(centre, i >= 48 && i < 80 ? smoke.at(i, j) : 0);
    for (int j = 0; j < 128; ++j) {
      ASSERT_TRUE(smoke.at(i, j, 1) == smoke.at(i, j) && smoke.at(i, j, 2) == smoke.at(i, j) &&
                  smoke.at(i, j, 3) == smoke.at(i, j))
          << "grey, opacity its brightness at " << i << ", " << j;
    }
  }
  EXPECT_EQ(border, 0);
  EXPECT_GT(centre, 150);
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
  for (const auto& entry : std::filesystem::directory_iterator(KRATEON_ASSET_DIR)) {
    const std::string name = entry.path().filename();
    EXPECT_EQ(readFile(dir + "/" + name), readFile(kAssets + name)) << name;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 14);
  EXPECT_NE(runGenerator(dir + "/without --font /nonexistent/font.ttf"), 0);
  EXPECT_FALSE(std::filesystem::exists(dir + "/without/font.bmp"));
  EXPECT_NE(runGenerator(""), 0);
  std::filesystem::remove_all(dir);
}

}  // namespace
