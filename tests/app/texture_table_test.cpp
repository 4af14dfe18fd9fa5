// The texture table as start-up fills it, read back from GL: the image files (written here), the
// computed disc, ring and wavy band, and files that are missing, empty, short or folders.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/startup.h"
#include "fx/particles.h"
#include "image/texture_table.h"
#include "support/gl_context.h"
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
  for (int i = 0; i < rows * n; ++i) {
    for (int c : {2, 1, 0}) bytes.push_back(static_cast<char>(i < n ? first[c] : 0));
  }
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

class TextureTable : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::ensureGlContext();
    fs::create_directories(scratch_);
    fs::current_path(scratch_);
  }
  void TearDown() override {
    fs::current_path(previous_);
    fs::remove_all(scratch_);
    EXPECT_EQ(testsupport::firstGlError(), 0u) << "after loading textures";
  }
  fs::path previous_ = fs::current_path();
  fs::path scratch_ = fs::temp_directory_path() / ("krateon-textures-" + std::to_string(getpid()));
};

TEST_F(TextureTable, EverySlotHoldsItsImage) {
  writeBmp("font.bmp", 128, {30, 60, 90}, 128);
  writeBmp("smoke128.bmp", 128, {255, 255, 255}, 128);
  for (int k = 0; k < 10; ++k) writeBmp(kPlanetFiles[k], 256, planetColour(k), 256);
  loadAllTextures();

  EXPECT_TRUE(textureCount == 16 && planetTextureBase == 6) << textureCount << planetTextureBase;
  const GLuint copies[6] = {textDisplay.fontTexture,
                            particleSystem.spriteTexture,
                            particleSystem.discSpriteTexture,
                            flashTexture,
                            sunTexture,
                            glowTexture};
  for (int slot = 0; slot < 6; ++slot) EXPECT_EQ(copies[slot], textureTable[slot]) << slot;
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
  for (const auto& g : greys) {
    EXPECT_EQ(texel(textureTable[g[0]], 128, g[1], g[2]), (Rgba{g[3], g[3], g[3], g[3]}))
        << "slot " << g[0] << " texel " << g[1] << ", " << g[2];
  }
}

TEST_F(TextureTable, BadFilesLeaveTheirSlotsAndTheRestInPlace) {
  fs::create_directory("smoke128.bmp");                 // not a file
  writeBmp(kPlanetFiles[2], 256, planetColour(2), 0);   // nothing but the header
  writeBmp(kPlanetFiles[4], 256, planetColour(4), 10);  // ten rows of 256
  for (int k : {0, 1, 3, 5, 6, 7, 8, 9}) writeBmp(kPlanetFiles[k], 256, planetColour(k), 256);
  loadAllTextures();  // and no font.bmp at all

  EXPECT_TRUE(textureCount == 16 && planetTextureBase == 6) << textureCount << planetTextureBase;
  for (const GLuint none :
       {textureTable[0], textDisplay.fontTexture, textureTable[1], particleSystem.spriteTexture})
    EXPECT_EQ(none, 0u);
  for (int slot = 2; slot < 16; ++slot) EXPECT_NE(textureTable[slot], 0u) << slot;
  // Missing bytes read as -1: white, and transparent under threshold 0.
  EXPECT_EQ(texel(textureTable[8], 256, 7, 200), (Rgba{255, 255, 255, 0}));
  EXPECT_EQ(texel(textureTable[10], 256, 7, 255), planetColour(4));
  EXPECT_EQ(texel(textureTable[10], 256, 7, 246), (Rgba{0, 0, 0, 255}));
  EXPECT_EQ(texel(textureTable[10], 256, 7, 245), (Rgba{255, 255, 255, 0}));
}

}  // namespace
