// The start-up texture table: slot order, the copies other parts of the scene use, missing
// files, a repeated start-up, and the real image files when the asset generator made them.
#include "image/texture_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "fx/particles.h"
#include "image/bmp.h"
#include "image/procedural.h"
#include "image_files.h"
#include "sim/sun.h"
#include "support/gl_context.h"
#include "text/text_display.h"

namespace {

constexpr int kFontSeed = 100;
constexpr int kSmokeSeed = 101;

std::vector<unsigned char> decoded(const std::vector<unsigned char>& file, int n, int alphaValue,
                                   int threshold) {
  std::vector<unsigned char> rgba(static_cast<std::size_t>(n) * n * 4, 0);
  decodeBmpImage(file.data(), file.size(), n, alphaValue, threshold, rgba.data());
  return rgba;
}

std::vector<unsigned char> procedural(ProceduralKind kind) {
  std::vector<unsigned char> rgba(kProceduralSize * kProceduralSize * 4, 0);
  computeProceduralImage(kind, rgba.data());
  return rgba;
}

void writeSceneImages(bool withFont) {
  if (withFont) imagetest::writeFile("font.bmp", imagetest::makePatternBmp(128, kFontSeed));
  imagetest::writeFile("smoke128.bmp", imagetest::makePatternBmp(128, kSmokeSeed));
  for (int k = 0; k < kPlanetImages; ++k) {
    imagetest::writeFile(kPlanetImageFiles[k], imagetest::makePatternBmp(256, k));
  }
}

void expectCopiesMatchTheTable() {
  EXPECT_EQ(fontTexture, textureTable[0]);
  EXPECT_EQ(textDisplay.fontTexture, textureTable[0]);
  EXPECT_EQ(smokeTexture, textureTable[1]);
  EXPECT_EQ(particleSystem.spriteTexture, textureTable[1]);
  EXPECT_EQ(discTexture, textureTable[2]);
  EXPECT_EQ(particleSystem.discSpriteTexture, textureTable[2]);
  EXPECT_EQ(flashTexture, textureTable[3]);
  EXPECT_EQ(sunTexture, textureTable[4]);
  EXPECT_EQ(glowTexture, textureTable[5]);
}

void expectSlotsPastTheTableEmpty() {
  EXPECT_EQ(textureCount, 16);
  EXPECT_EQ(planetTextureBase, 6);
  for (int slot = 16; slot < kTextureSlots; ++slot) EXPECT_EQ(textureTable[slot], 0u) << slot;
}

class TextureTable : public ::testing::Test {
 protected:
  void SetUp() override { testsupport::ensureGlContext(); }
  void TearDown() override {
    EXPECT_EQ(testsupport::firstGlError(), 0u) << "after loading all textures";
  }
  imagetest::ScratchDirectory scratch_;
};

TEST_F(TextureTable, AllFilesPresentFillSixteenSlotsInCreationOrder) {
  writeSceneImages(true);
  loadAllTextures();
  expectSlotsPastTheTableEmpty();
  expectCopiesMatchTheTable();
  const std::set<GLuint> distinct(textureTable, textureTable + 16);
  EXPECT_EQ(distinct.size(), 16u);
  EXPECT_EQ(distinct.count(0), 0u);

  EXPECT_EQ(imagetest::readTexture(textureTable[0], 128),
            decoded(imagetest::makePatternBmp(128, kFontSeed), 128, -1, 0));
  EXPECT_EQ(imagetest::readTexture(textureTable[1], 128),
            decoded(imagetest::makePatternBmp(128, kSmokeSeed), 128, -1, 0));
  EXPECT_EQ(imagetest::readTexture(textureTable[2], 128), procedural(kDisc));
  EXPECT_EQ(imagetest::readTexture(textureTable[3], 128), procedural(kRing));
  EXPECT_EQ(imagetest::readTexture(textureTable[5], 128), procedural(kWavyBand));
  for (int slot = 0; slot < 6; ++slot) {
    EXPECT_EQ(imagetest::textureParameter(textureTable[slot], GL_TEXTURE_MIN_FILTER), GL_LINEAR)
        << slot;
  }
  for (int k = 0; k < kPlanetImages; ++k) {
    SCOPED_TRACE(kPlanetImageFiles[k]);
    const GLuint planet = textureTable[planetTextureBase + k];
    EXPECT_EQ(imagetest::readTexture(planet, 256),
              decoded(imagetest::makePatternBmp(256, k), 256, 255, 0));
    EXPECT_EQ(imagetest::textureParameter(planet, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_NEAREST);
  }
}

TEST_F(TextureTable, SunSlotHoldsTheFirstAnimatedSunFrame) {
  writeSceneImages(true);
  loadAllTextures();
  const std::vector<unsigned char> sun(sunImage, sunImage + sizeof sunImage);
  if (sun == std::vector<unsigned char>(sun.size(), 0)) {
    GTEST_SKIP() << "the animated sun computes no image in this build yet";
  }
  EXPECT_EQ(imagetest::readTexture(sunTexture, kSunTextureSize), sun);
}

TEST_F(TextureTable, MissingFontLeavesSlotZeroEmptyAndEverySlotInPlace) {
  writeSceneImages(false);
  loadAllTextures();
  expectSlotsPastTheTableEmpty();
  expectCopiesMatchTheTable();
  EXPECT_EQ(textureTable[0], 0u);
  EXPECT_EQ(textDisplay.fontTexture, 0u);
  for (int slot = 1; slot < 16; ++slot) EXPECT_NE(textureTable[slot], 0u) << slot;
  EXPECT_EQ(imagetest::readTexture(textureTable[planetTextureBase + 9], 256),
            decoded(imagetest::makePatternBmp(256, 9), 256, 255, 0));
}

TEST_F(TextureTable, NoImageFilesStillCountsEveryAttempt) {
  loadAllTextures();
  expectSlotsPastTheTableEmpty();
  expectCopiesMatchTheTable();
  for (int slot = 0; slot < 16; ++slot) {
    const bool computed = slot >= 2 && slot <= 5;
    EXPECT_EQ(textureTable[slot] != 0, computed) << slot;
  }
}

TEST_F(TextureTable, RepeatedStartUpReplacesTheTextures) {
  writeSceneImages(true);
  loadAllTextures();
  const auto afterFirst = imagetest::textureNamesInUse();
  loadAllTextures();
  expectSlotsPastTheTableEmpty();
  expectCopiesMatchTheTable();
  EXPECT_EQ(imagetest::textureNamesInUse().size(), afterFirst.size());
}

TEST(TextureTableAssets, GeneratedImageFilesLoadIntoEverySlot) {
  const std::filesystem::path assets = KRATEON_ASSET_DIR;
  std::vector<std::string> files = {"font.bmp", "smoke128.bmp"};
  files.insert(files.end(), kPlanetImageFiles, kPlanetImageFiles + kPlanetImages);
  for (const std::string& file : files) {
    if (!std::filesystem::is_regular_file(assets / file)) {
      GTEST_SKIP() << (assets / file).string() << " has not been generated";
    }
  }
  testsupport::ensureGlContext();
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(assets);
  loadAllTextures();
  std::filesystem::current_path(previous);
  expectSlotsPastTheTableEmpty();
  for (int slot = 0; slot < 16; ++slot) EXPECT_NE(textureTable[slot], 0u) << slot;
  const auto pluto = imagetest::readFile((assets / "pluto_256.bmp").string());
  EXPECT_EQ(imagetest::readTexture(textureTable[planetTextureBase + 9], 256),
            decoded(pluto, 256, 255, 0));
  const auto font = imagetest::readFile((assets / "font.bmp").string());
  EXPECT_EQ(imagetest::readTexture(textureTable[0], 128), decoded(font, 128, -1, 0));
  EXPECT_EQ(testsupport::firstGlError(), 0u) << "after loading the generated images";
}

}  // namespace
