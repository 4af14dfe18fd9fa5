// The textures start-up makes, read back from GL: the table from image files written here (also
// missing, empty, short or folders) and the computed disc, ring and wavy band; and the user's
// planet maps in the running scene: their cycle, their own colours, the time spent reading them.
#include <SDL2/SDL_image.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "app/command_line.h"
#include "app/own_window.h"
#include "app/startup.h"
#include "app/window_host.h"
#include "core/frame_clock.h"
#include "core/settings.h"
#include "fx/particles.h"
#include "image/texture_table.h"
#include "sim/impact.h"
#include "support/scene_driver.h"
#include "text/text_display.h"

namespace {

namespace fs = std::filesystem;
using Rgba = std::array<int, 4>;

const char* const kPlanetFiles[10] = {
    "earthCraterBW_256.bmp", "earthCloudsBW_256.bmp", "venus_256.bmp",  "earth_256.bmp",
    "mars_256.bmp",          "jupiter_256.bmp",       "saturn_256.bmp", "neptune_256.bmp",
    "neptune3_256.bmp",      "pluto_256.bmp"};

// An n x n 24-bit file whose first stored row is `first`, every other black; `rows` stored rows
// in all (fewer cut the file short).
void writeBmp(const std::string& name, int n, Rgba first, int rows) {
  std::vector<char> bytes(54, 0);
  for (int i = 0; i < rows * n; ++i)
    for (int c : {2, 1, 0}) bytes.push_back(static_cast<char>(i < n ? first[c] : 0));
  std::ofstream(name, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

const auto planetColour = [](int k) { return Rgba{20 + 20 * k, 200 - 15 * k, 1 + k, 255}; };

// Texel (x, y) of a texture's level 0, y being the memory row (row 0 at t = 0).
Rgba texel(GLuint name, int n, int x, int y) {
  std::vector<unsigned char> rgba(static_cast<std::size_t>(n) * n * 4);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  const unsigned char* p = &rgba[(static_cast<std::size_t>(y) * n + x) * 4];
  return {p[0], p[1], p[2], p[3]};
}

// A picture whose left half is one colour and right half another, saved as the name says.
void saveHalves(const std::string& name, int width, int height, SDL_Color left, SDL_Color right) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, width, height, 0, SDL_PIXELFORMAT_RGB24);
  SDL_Rect half{width / 2, 0, width, height};
  SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, left.r, left.g, left.b));
  SDL_FillRect(s, &half, SDL_MapRGB(s->format, right.r, right.g, right.b));
  ASSERT_EQ(name.ends_with(".bmp") ? SDL_SaveBMP(s, name.c_str()) : IMG_SavePNG(s, name.c_str()),
            0);
  SDL_FreeSurface(s);
}

// Each test in a scratch folder of its own, the current folder until the scene starts, with the
// user's maps: green and magenta halves, a pale grey-blue, and a text file.
class Textures : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::ensureGlContext(320, 240);
    fs::create_directories(folder);
    fs::current_path(folder);
    saveHalves("halves.png", 64, 32, {0, 255, 0, 255}, {255, 0, 255, 255});
    saveHalves("pale.bmp", 16, 16, {180, 200, 220, 255}, {180, 200, 220, 255});
    std::ofstream("notes.png") << "not a picture\n";
  }
  void TearDown() override {
    programOptions.imageFileCount = 0;
    fs::current_path(previous_);
    fs::remove_all(folder);
    EXPECT_EQ(testsupport::firstGlError(), 0u) << "after loading textures";
  }

  // The scene started as with --image for each file of the folder, in order; what it printed.
  std::string start(std::initializer_list<const char*> names) {
    clearStartValues();
    programOptions.imageFileCount = 0;
    for (const char* name : names) {
      const std::string& path = paths_[programOptions.imageFileCount] = folder + "/" + name;
      programOptions.imageFiles[programOptions.imageFileCount++] = path.c_str();
    }
    ::testing::internal::CaptureStderr();
    testsupport::startScene(320, 240);
    return ::testing::internal::GetCapturedStderr();
  }
  fs::path previous_ = fs::current_path();
  std::string folder = fs::temp_directory_path() / ("krateon-textures-" + std::to_string(getpid()));
  std::string paths_[kMaxImageFiles];
};

TEST_F(Textures, EverySlotHoldsItsImage) {
  writeBmp("font.bmp", 128, {30, 60, 90}, 128);
  writeBmp("smoke128.bmp", 128, {255, 255, 255}, 128);
  for (int k = 0; k < 10; ++k) writeBmp(kPlanetFiles[k], 256, planetColour(k), 256);
  loadAllTextures();

  EXPECT_TRUE(textureCount == 16 && planetTextureBase == 6) << textureCount << planetTextureBase;
  EXPECT_EQ(std::vector<GLuint>(textureTable, textureTable + 6),
            (std::vector{textDisplay.fontTexture, particleSystem.spriteTexture,
                         particleSystem.discSpriteTexture, flashTexture, sunTexture, glowTexture}));
  // The first stored row lands at the t = 1 edge (the last memory row). Sprites take their
  // alpha from brightness, planet images are opaque even where black.
  EXPECT_EQ(texel(fontTexture, 128, 5, 127), (Rgba{30, 60, 90, 60}));
  EXPECT_EQ(texel(fontTexture, 128, 5, 0), (Rgba{0, 0, 0, 0}));
  EXPECT_EQ(texel(smokeTexture, 128, 0, 127), (Rgba{255, 255, 255, 255}));
  for (int k = 0; k < 10; ++k) {
    EXPECT_EQ(texel(textureTable[6 + k], 256, 255, 255), planetColour(k)) << kPlanetFiles[k];
    EXPECT_EQ(texel(textureTable[6 + k], 256, 0, 0), (Rgba{0, 0, 0, 255})) << kPlanetFiles[k];
  }
  // The computed images are grey with opacity equal to brightness: {slot, x, y, level}.
  // clang-format off
  const int greys[][4] = {
      {2, 64, 64, 254}, {2, 96, 64, 127}, {2, 127, 64, 3}, {2, 64, 127, 3}, {2, 0, 0, 0},
      {3, 64, 64, 0}, {3, 93, 64, 127}, {3, 122, 64, 255}, {3, 126, 64, 114}, {3, 127, 64, 79},
      {3, 64, 0, 43}, {3, 0, 0, 0},
      {5, 0, 40, 0}, {5, 0, 48, 0}, {5, 0, 56, 127}, {5, 0, 64, 255}, {5, 0, 65, 0},
      {5, 3, 50, 19}, {5, 10, 60, 177}};
  // clang-format on
  for (const auto& g : greys)
    EXPECT_EQ(texel(textureTable[g[0]], 128, g[1], g[2]), (Rgba{g[3], g[3], g[3], g[3]}))
        << "slot " << g[0] << " texel " << g[1] << ", " << g[2];
}

TEST_F(Textures, BadFilesLeaveTheirSlotsAndTheRestInPlace) {
  fs::create_directory("smoke128.bmp");                 // not a file
  writeBmp(kPlanetFiles[2], 256, planetColour(2), 0);   // nothing but the header
  writeBmp(kPlanetFiles[4], 256, planetColour(4), 10);  // ten rows of 256
  for (int k : {0, 1, 3, 5, 6, 7, 8, 9}) writeBmp(kPlanetFiles[k], 256, planetColour(k), 256);
  loadAllTextures();  // and no font.bmp at all

  EXPECT_TRUE(textureCount == 16 && planetTextureBase == 6) << textureCount << planetTextureBase;
  EXPECT_EQ((std::array{textureTable[0], textDisplay.fontTexture, textureTable[1],
                        particleSystem.spriteTexture}),
            (std::array<GLuint, 4>{}));
  for (int slot = 2; slot < 16; ++slot) EXPECT_NE(textureTable[slot], 0u) << slot;
  // Missing bytes read as -1: white, and transparent under threshold 0.
  EXPECT_EQ(texel(textureTable[8], 256, 7, 200), (Rgba{255, 255, 255, 0}));
  EXPECT_EQ(texel(textureTable[10], 256, 7, 255), planetColour(4));
  EXPECT_EQ(texel(textureTable[10], 256, 7, 246), (Rgba{0, 0, 0, 255}));
  EXPECT_EQ(texel(textureTable[10], 256, 7, 245), (Rgba{255, 255, 255, 0}));
}

// Pixels within 30 of the middle of the window (the planet's disc is 35 in radius): green,
// magenta, the pale grey-blue, and anything else.
std::array<int, 4> discColours() {
  const testsupport::Frame frame = testsupport::readFrame();
  std::array<int, 4> counts{};
  for (int y = 90; y <= 150; ++y) {
    for (int x = 130; x <= 190; ++x) {
      const testsupport::Rgb p = frame.at(x, y);
      if ((x - 160) * (x - 160) + (y - 120) * (y - 120) > 900) continue;
      const bool green = p.g > 200 && p.r < 40 && p.b < 40;
      const bool magenta = p.r > 200 && p.b > 200 && p.g < 40;
      const bool pale =
          std::abs(p.r - 180) < 6 && std::abs(p.g - 200) < 6 && std::abs(p.b - 220) < 6;
      ++counts[green ? 0 : magenta ? 1 : pale ? 2 : 3];
    }
  }
  return counts;
}

// With no usable map the built-in planets stay, from the Earth; else the usable maps, in order from
// the first (also when there are more than three). Unlit and fully bright, the planet shows both
// halves of the green and magenta map as it turns (at map 0, and at map 3, where the Earth's
// clouds would add white) and the pale map untinted (at map 1, which the Cloud Layer's colour
// cycling would tint). Keys show maps by name, a digit without a map changes nothing, the cycle
// wraps after the last map, a reset goes back to the first.
TEST_F(Textures, TheCycleRunsThroughTheUsableMapsInOrderInTheirOwnColours) {
  const std::string notes =
      "krateon: " + folder + "/notes.png: is not a PNG, JPEG or BMP picture\n";
  EXPECT_EQ(start({"notes.png"}), notes);
  EXPECT_EQ(sceneSettings.planetImage, 3);
  testsupport::pressKey('9');
  EXPECT_EQ(testsupport::messageText(), "Image 9/9: Pluto");
  EXPECT_EQ(start({"halves.png", "notes.png", "pale.bmp", "halves.png", "halves.png"}), notes);
  EXPECT_EQ(sceneSettings.planetImage, 0);
  testsupport::pressKeys("uvs");  // no stars, manual camera (the planet in the middle), unlit
  testsupport::frameAt(20'000);   // past the intro
  std::array<int, 4> seen{};
  for (const char* map : {"0", "3", "1"}) {
    testsupport::pressKeys(map);
    for (int turn = 0; turn < 3; ++turn) {
      testsupport::runFrames(30, 100);  // 60 degrees further round
      impactClock = -2.5f;              // the planet fully bright, no meteor
      testsupport::frameAfter(16);
      const std::array<int, 4> c = discColours();
      for (int i = 0; i < 4; ++i) seen[i] += c[i];
      // Besides the map's colours only the seam between the halves, blended by the filter.
      EXPECT_LT(c[3], 150) << "map " << map << ", turn " << turn;
      EXPECT_EQ(map[0] == '1' ? c[0] + c[1] : c[2], 0) << "map " << map << ", turn " << turn;
    }
  }
  EXPECT_TRUE(seen[0] > 2000 && seen[1] > 2000 && seen[2] > 3 * 2500)
      << seen[0] << " green, " << seen[1] << " magenta, " << seen[2] << " pale";
  const std::tuple<unsigned char, int, const char*> keys[] = {
      {'i', 2, "Image 2/3: halves.png"}, {'0', 0, "Image 0/3: halves.png"},
      {'I', 1, "Image 1/3: pale.bmp"},   {'3', 3, "Image 3/3: halves.png"},
      {'4', 3, "Image 3/3: halves.png"}, {'i', 0, "Image 0/3: halves.png"},
      {'1', 1, "Image 1/3: pale.bmp"},   {'r', 0, "Reset"}};
  for (const auto& [key, planet, message] : keys) {
    testsupport::pressKey(key);
    EXPECT_EQ(sceneSettings.planetImage, planet) << "key " << key;
    EXPECT_EQ(testsupport::messageText(), message) << "key " << key;
  }
  for (const int next : {1, 2, 3, 0}) {
    impactClock = 8.99f;
    testsupport::frameAfter(16);
    EXPECT_EQ(sceneSettings.planetImage, next);
  }
}

int slowClockMs = 0;

// Reading the maps took two seconds of the window's clock: the first frame after it is the
// animation's first 16 ms. Without maps start-up counts as it always has.
TEST_F(Textures, ReadingTheMapsIsNotAnimationTime) {
  static WindowHost slowHost = ownWindowHost;
  slowHost.elapsedMs = [] { return slowClockMs += 2000; };
  for (const bool maps : {true, false}) {
    start(maps ? std::initializer_list{"halves.png"} : std::initializer_list<const char*>{});
    useWindowHost(slowHost);
    loadAllTextures();
    testsupport::frameAt(2016);
    const double animated = maps ? 0.016 : 2.016;
    EXPECT_NEAR(now, animated, 1e-9) << (maps ? "with maps" : "without");
    EXPECT_NEAR(fadeLevel, animated / 3, 1e-6) << (maps ? "with maps" : "without");
  }
}

}  // namespace
