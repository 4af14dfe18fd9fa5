// Tests of the generated data files: BMP and WAV headers, levels, seams and poles of the planet
// maps, the font grid, the smoke sprite, the cloud cover, and byte-identical regeneration.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image/bmp.h"

namespace {

namespace fs = std::filesystem;

const std::string kAssetDir = KRATEON_ASSET_DIR;
const std::string kGenerator = std::string(KRATEON_BINARY_DIR) + "/tools/assetgen/krateon-assetgen";

const char* const kPlanetFiles[] = {
    "earthCraterBW_256.bmp", "earthCloudsBW_256.bmp", "venus_256.bmp",  "earth_256.bmp",
    "mars_256.bmp",          "jupiter_256.bmp",       "saturn_256.bmp", "neptune_256.bmp",
    "neptune3_256.bmp",      "pluto_256.bmp"};
const char* const kAllFiles[] = {
    "font.bmp",       "smoke128.bmp",    "earthCraterBW_256.bmp", "earthCloudsBW_256.bmp",
    "venus_256.bmp",  "earth_256.bmp",   "mars_256.bmp",          "jupiter_256.bmp",
    "saturn_256.bmp", "neptune_256.bmp", "neptune3_256.bmp",      "pluto_256.bmp",
    "boom.wav",       "thunder.wav"};

constexpr double kMaxPeakDbfs = -1.0;

std::vector<unsigned char> readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::uint32_t le32(const std::vector<unsigned char>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint16_t le16(const std::vector<unsigned char>& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

struct Rgb {
  int r, g, b, a;
};

// An N x N image decoded by the program's own loader, with the arguments it uses for the file:
// row 0 lies at texture t = 0 (the LAST row stored in the file), and on the sphere t = 0 is
// the north pole.
struct Texture {
  int n = 0;
  std::vector<Rgb> texels;
  Rgb at(int s, int t) const { return texels[static_cast<std::size_t>(t) * n + s]; }
};

Texture loadTexture(const std::string& fileName, int n) {
  const std::vector<unsigned char> bytes = readFile(kAssetDir + "/" + fileName);
  Texture texture;
  if (bytes.size() != bmpFileBytes(n)) return texture;
  // Sprites take their opacity from their brightness, planet maps are opaque.
  const int alphaValue = n == 256 ? 255 : -1;
  std::vector<unsigned char> rgba(static_cast<std::size_t>(n) * n * 4);
  decodeBmpImage(bytes.data(), bytes.size(), n, alphaValue, 0, rgba.data());
  texture.n = n;
  for (std::size_t i = 0; i < rgba.size(); i += 4) {
    texture.texels.push_back({rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]});
  }
  return texture;
}

// Share of the sphere's area that texture row t covers. The program's sphere mesh, at its
// default 30 stacks, puts texture t at colatitude t * 30/29 * pi (its v steps by 1/stacks
// while its latitude steps by pi/(stacks - 1)), so rows past t = 29/30 sit on the south pole.
double rowArea(int t, int n) {
  const double colatitude =
      std::min(3.141592653589793, (t + 0.5) / n * 30.0 / 29.0 * 3.141592653589793);
  return std::sin(colatitude);
}

int channelDistance(Rgb a, Rgb b) {
  return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}

struct Pcm {
  int channels = 0;
  std::vector<int> samples;  // interleaved
};

Pcm loadPcm(const std::string& fileName) {
  const std::vector<unsigned char> bytes = readFile(kAssetDir + "/" + fileName);
  Pcm pcm;
  if (bytes.size() < 44) return pcm;
  pcm.channels = le16(bytes, 22);
  for (std::size_t at = 44; at + 1 < bytes.size(); at += 2) {
    pcm.samples.push_back(static_cast<std::int16_t>(le16(bytes, at)));
  }
  return pcm;
}

std::string makeTempDir() {
  std::string pattern = (fs::temp_directory_path() / "krateon-assets-XXXXXX").string();
  return mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

int runGenerator(const std::string& arguments) {
  const std::string command = "'" + kGenerator + "' " + arguments + " >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// ---------------------------------------------------------------------------------------------

TEST(BmpFiles, EveryImageHasTheClassicHeaderAndTheLoadersSize) {
  for (const char* name : kAllFiles) {
    const std::string file = name;
    if (file.ends_with(".wav")) continue;
    SCOPED_TRACE(file);
    const std::uint32_t n = file.ends_with("_256.bmp") ? 256 : 128;
    const std::vector<unsigned char> b = readFile(kAssetDir + "/" + file);
    ASSERT_EQ(b.size(), bmpFileBytes(static_cast<int>(n)));
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(le32(b, 2), b.size());
    EXPECT_EQ(le32(b, 10), 54u) << "pixel data offset";
    EXPECT_EQ(le32(b, 14), 40u) << "information header size";
    EXPECT_EQ(le32(b, 18), n);
    EXPECT_EQ(static_cast<std::int32_t>(le32(b, 22)), static_cast<std::int32_t>(n))
        << "height must be positive (rows stored bottom-up)";
    EXPECT_EQ(le16(b, 26), 1) << "planes";
    EXPECT_EQ(le16(b, 28), 24) << "bits per pixel";
    EXPECT_EQ(le32(b, 30), 0u) << "compression";
    EXPECT_EQ(le32(b, 34), 3 * n * n) << "image size";
  }
}

TEST(BmpFiles, ImageMagickReadsThemAsTwentyFourBitPictures) {
  if (std::system("command -v identify >/dev/null 2>&1") != 0) GTEST_SKIP() << "no identify";
  for (const char* name : kAllFiles) {
    const std::string file = name;
    if (file.ends_with(".wav")) continue;
    SCOPED_TRACE(file);
    const std::string command =
        "identify -format '%m %w %h %z' '" + kAssetDir + "/" + file + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char line[256] = {};
    const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
    EXPECT_EQ(pclose(pipe), 0);
    ASSERT_TRUE(read);
    const std::string size = file.ends_with("_256.bmp") ? "256 256" : "128 128";
    // A 40-byte information header is what ImageMagick calls a version 3 BMP.
    EXPECT_EQ(std::string(line), "BMP3 " + size + " 8");
  }
}

TEST(WavFiles, CanonicalPcmHeadersWithConsistentSizes) {
  for (const char* file : {"boom.wav", "thunder.wav"}) {
    SCOPED_TRACE(file);
    const std::vector<unsigned char> b = readFile(kAssetDir + "/" + file);
    ASSERT_GE(b.size(), 44u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
    EXPECT_EQ(le32(b, 4), b.size() - 8);
    EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(le32(b, 16), 16u);
    EXPECT_EQ(le16(b, 20), 1) << "PCM";
    const int channels = le16(b, 22);
    EXPECT_TRUE(channels == 1 || channels == 2);
    EXPECT_EQ(le32(b, 24), 44100u);
    EXPECT_EQ(le32(b, 28), 44100u * channels * 2);
    EXPECT_EQ(le16(b, 32), channels * 2);
    EXPECT_EQ(le16(b, 34), 16);
    EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data");
    EXPECT_EQ(le32(b, 40), b.size() - 44);
    EXPECT_EQ((b.size() - 44) % (channels * 2), 0u);
  }
}

TEST(WavFiles, LengthsLevelsAndCleanEnds) {
  struct Expect {
    const char* file;
    double minSeconds, maxSeconds;
  };
  for (const Expect& e : {Expect{"boom.wav", 1.0, 2.0}, Expect{"thunder.wav", 3.0, 4.0}}) {
    SCOPED_TRACE(e.file);
    const Pcm pcm = loadPcm(e.file);
    ASSERT_GT(pcm.channels, 0);
    const std::size_t frames = pcm.samples.size() / pcm.channels;
    const double seconds = frames / 44100.0;
    EXPECT_GE(seconds, e.minSeconds);
    EXPECT_LE(seconds, e.maxSeconds);

    int peak = 0;
    double sum = 0.0;
    for (int s : pcm.samples) {
      peak = std::max(peak, std::abs(s));
      sum += s;
    }
    const double peakDb = 20.0 * std::log10(peak / 32768.0);
    EXPECT_LE(peakDb, kMaxPeakDbfs);
    EXPECT_GE(peakDb, -6.0) << "the sound should use most of the range";
    EXPECT_LT(std::fabs(sum / pcm.samples.size()), 100.0) << "no DC offset";

    // Both ends fade, so playback starts and stops without a click: within the first and last
    // 2 ms no sample exceeds a straight ramp from silence to full scale over those 2 ms.
    const std::size_t ramp = 88;
    for (std::size_t frame = 0; frame < ramp; ++frame) {
      const double limit = 32768.0 * frame / ramp;
      for (int c = 0; c < pcm.channels; ++c) {
        EXPECT_LE(std::abs(pcm.samples[frame * pcm.channels + c]), limit) << "start " << frame;
        EXPECT_LE(std::abs(pcm.samples[pcm.samples.size() - 1 - frame * pcm.channels - c]), limit)
            << "end " << frame;
      }
    }
    EXPECT_LE(std::abs(pcm.samples.front()), 2);
    EXPECT_LE(std::abs(pcm.samples.back()), 2);
  }
}

TEST(WavFiles, TheBoomIsDeepAndTheThunderRolls) {
  // Energy below ~150 Hz dominates the boom: a one-pole low-pass keeps most of its power.
  const Pcm boom = loadPcm("boom.wav");
  ASSERT_EQ(boom.channels, 1);
  double all = 0.0, low = 0.0, state = 0.0;
  const double k = 1.0 - std::exp(-2.0 * 3.14159265 * 150.0 / 44100.0);
  for (int s : boom.samples) {
    state += k * (s - state);
    all += double(s) * s;
    low += state * state;
  }
  EXPECT_GT(low / all, 0.5);

  // The thunder is still loud half-way through: rolling, not a single decaying hit.
  const Pcm thunder = loadPcm("thunder.wav");
  ASSERT_GT(thunder.channels, 0);
  const std::size_t frames = thunder.samples.size() / thunder.channels;
  auto rms = [&](double from, double to) {
    double energy = 0.0;
    const auto a = static_cast<std::size_t>(from * frames) * thunder.channels;
    const auto b = static_cast<std::size_t>(to * frames) * thunder.channels;
    for (std::size_t i = a; i < b; ++i) energy += double(thunder.samples[i]) * thunder.samples[i];
    return std::sqrt(energy / (b - a));
  };
  EXPECT_GT(rms(0.3, 0.5), 0.5 * rms(0.0, 0.1));
  EXPECT_LT(rms(0.9, 1.0), 0.3 * rms(0.3, 0.5)) << "and dies away at the end";
}

TEST(PlanetMaps, EveryMapJoinsSeamlesslyAtTheDateLine) {
  for (const char* file : kPlanetFiles) {
    SCOPED_TRACE(file);
    const Texture map = loadTexture(file, 256);
    ASSERT_EQ(map.n, 256);
    double seam = 0.0, neighbours = 0.0;
    for (int t = 0; t < 256; ++t) {
      seam += channelDistance(map.at(255, t), map.at(0, t));
      for (int s = 0; s < 255; ++s) neighbours += channelDistance(map.at(s, t), map.at(s + 1, t));
    }
    seam /= 256.0;
    neighbours /= 256.0 * 255.0;
    EXPECT_LE(seam, 2.0 * neighbours + 1.0) << "seam " << seam << ", neighbours " << neighbours;
  }
}

TEST(PlanetMaps, PolesShowOnePointNotAStretchedRow) {
  // Texture rows 0 and 255 circle the poles within a degree; a map painted on the sphere
  // barely changes along them, while one painted in the flat picture changes there as much as
  // along the equator and would pinch into a whirl at the poles.
  auto rowChange = [](const Texture& map, int t) {
    double sum = 0.0;
    for (int s = 0; s < 256; ++s) sum += channelDistance(map.at(s, t), map.at((s + 1) % 256, t));
    return sum / 256.0;
  };
  for (const char* file : kPlanetFiles) {
    SCOPED_TRACE(file);
    const Texture map = loadTexture(file, 256);
    ASSERT_EQ(map.n, 256);
    const double equator = rowChange(map, 124);
    EXPECT_LE(rowChange(map, 0), 0.1 * equator + 0.5) << "north, equator " << equator;
    EXPECT_LE(rowChange(map, 255), 0.1 * equator + 0.5) << "south, equator " << equator;
  }
}

TEST(PlanetMaps, NorthIsAtTextureTopOnTheSphere) {
  // Jupiter's great red oval lies in the southern hemisphere: t > 0.5 on the sphere.
  const Texture jupiter = loadTexture("jupiter_256.bmp", 256);
  ASSERT_EQ(jupiter.n, 256);
  int bestT = 0, best = -1000;
  for (int t = 0; t < 256; ++t) {
    for (int s = 0; s < 256; ++s) {
      const Rgb c = jupiter.at(s, t);
      if (c.r - c.b > best) best = c.r - c.b, bestT = t;
    }
  }
  EXPECT_GT(bestT, 128 + 20);
  EXPECT_LT(bestT, 128 + 64);

  // Mars's larger polar cap is the northern one, at t = 0.
  const Texture mars = loadTexture("mars_256.bmp", 256);
  ASSERT_EQ(mars.n, 256);
  auto whiteArea = [&](int from, int to) {
    double area = 0.0;
    for (int t = from; t < to; ++t) {
      for (int s = 0; s < 256; ++s) area += mars.at(s, t).b > 200 ? rowArea(t, 256) : 0.0;
    }
    return area;
  };
  EXPECT_GT(whiteArea(0, 40), 1.5 * whiteArea(216, 256));
  EXPECT_GT(whiteArea(216, 256), 0.0);
}

TEST(PlanetMaps, BlackAndWhiteImagesAreGrey) {
  for (const char* file : {"earthCraterBW_256.bmp", "earthCloudsBW_256.bmp"}) {
    SCOPED_TRACE(file);
    const Texture map = loadTexture(file, 256);
    ASSERT_EQ(map.n, 256);
    for (const Rgb& c : map.texels) {
      ASSERT_TRUE(c.r == c.g && c.g == c.b);
    }
  }
}

TEST(PlanetMaps, CloudsCoverAboutAThirdOfTheSphere) {
  const Texture clouds = loadTexture("earthCloudsBW_256.bmp", 256);
  ASSERT_EQ(clouds.n, 256);
  double covered = 0.0, total = 0.0, clear = 0.0;
  for (int t = 0; t < 256; ++t) {
    const double area = rowArea(t, 256);
    for (int s = 0; s < 256; ++s) {
      total += area;
      covered += clouds.at(s, t).r >= 128 ? area : 0.0;
      clear += clouds.at(s, t).r < 16 ? area : 0.0;
    }
  }
  EXPECT_NEAR(covered / total, 1.0 / 3.0, 0.05);
  EXPECT_GT(clear / total, 0.2) << "there must be clear sky between the clouds";
}

// The font: code c in cell k = c - 32, column k % 16, row k / 16 counted from the top (t = 1).
struct Cell {
  const Texture& font;
  int code;
  // Texel (x, y) of the cell, y from the cell's top line downwards.
  int at(int x, int y) const {
    const int k = code - 32;
    const int s = (k % 16) * 8 + x;
    const int t = 127 - ((k / 16) * 16 + y);
    return font.at(s, t).r;
  }
  int ink() const {
    int sum = 0;
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 8; ++x) sum += at(x, y);
    }
    return sum;
  }
};

TEST(FontImage, MarginsThatTheRenderersShiftReadAreEmpty) {
  const Texture font = loadTexture("font.bmp", 128);
  ASSERT_EQ(font.n, 128);
  // The renderer samples each cell 1.28 texels right of and below its own rectangle: the two
  // left columns and two top lines of every cell must be black, or glyphs bleed and clip.
  for (int code = 32; code < 160; ++code) {
    SCOPED_TRACE(code);
    const Cell cell{font, code};
    for (int y = 0; y < 16; ++y) {
      EXPECT_EQ(cell.at(0, y), 0);
      EXPECT_EQ(cell.at(1, y), 0);
    }
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(cell.at(x, 0), 0);
      EXPECT_EQ(cell.at(x, 1), 0);
    }
  }
}

TEST(FontImage, GlyphsAreUprightInTheirCells) {
  const Texture font = loadTexture("font.bmp", 128);
  ASSERT_EQ(font.n, 128);
  EXPECT_EQ((Cell{font, ' '}.ink()), 0);
  for (int code = 33; code < 127; ++code) EXPECT_GT((Cell{font, code}.ink()), 255) << code;

  const Cell a{font, 'A'};
  int lit = 0;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 8; ++x) lit += a.at(x, y) >= 128 ? 1 : 0;
  }
  EXPECT_GE(lit, 12);

  // 'T' has its bar on its top line; '_' has ink only in its lowest lines.
  auto lineInk = [](const Cell& cell, int y) {
    int sum = 0;
    for (int x = 0; x < 8; ++x) sum += cell.at(x, y);
    return sum;
  };
  const Cell t{font, 'T'};
  int barLine = 0;
  for (int y = 0; y < 16; ++y) {
    if (lineInk(t, y) > lineInk(t, barLine)) barLine = y;
  }
  EXPECT_LE(barLine, 4);
  const Cell underscore{font, '_'};
  for (int y = 0; y < 11; ++y) EXPECT_EQ(lineInk(underscore, y), 0) << "line " << y;
}

TEST(SmokeImage, SoftGreyPuffOnBlackBorders) {
  const Texture smoke = loadTexture("smoke128.bmp", 128);
  ASSERT_EQ(smoke.n, 128);
  int maxBorder = 0, maxCentre = 0;
  for (int i = 0; i < 128; ++i) {
    for (int d = 0; d < 3; ++d) {
      for (Rgb c : {smoke.at(i, d), smoke.at(i, 127 - d), smoke.at(d, i), smoke.at(127 - d, i)}) {
        maxBorder = std::max(maxBorder, c.r + c.g + c.b);
      }
    }
  }
  for (int t = 48; t < 80; ++t) {
    for (int s = 48; s < 80; ++s) maxCentre = std::max(maxCentre, smoke.at(s, t).r);
  }
  EXPECT_EQ(maxBorder, 0) << "the sprite's square edge must be fully transparent";
  EXPECT_GT(maxCentre, 150);
  for (const Rgb& c : smoke.texels) {
    ASSERT_TRUE(c.r == c.g && c.g == c.b);
    ASSERT_EQ(c.a, c.r) << "opacity is brightness";
  }
}

TEST(Generator, WritesTheSameBytesOnEveryRun) {
  const std::string first = makeTempDir();
  const std::string second = makeTempDir();
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty());
  ASSERT_EQ(runGenerator("'" + first + "'"), 0);
  ASSERT_EQ(runGenerator("'" + second + "'"), 0);
  for (const char* file : kAllFiles) {
    SCOPED_TRACE(file);
    const std::vector<unsigned char> a = readFile(first + "/" + file);
    EXPECT_FALSE(a.empty());
    EXPECT_TRUE(a == readFile(second + "/" + file));
    EXPECT_TRUE(a == readFile(kAssetDir + "/" + file)) << "the build's copy is current";
  }
  fs::remove_all(first);
  fs::remove_all(second);
}

TEST(Generator, FailsClearlyWithoutItsFontOrArguments) {
  const std::string dir = makeTempDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_NE(runGenerator("'" + dir + "' --font /nonexistent/font.ttf"), 0);
  EXPECT_FALSE(fs::exists(dir + "/font.bmp"));
  EXPECT_NE(runGenerator(""), 0);
  fs::remove_all(dir);
}

}  // namespace
