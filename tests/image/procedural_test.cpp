// Procedural textures: texel values of the disc, ring and wavy band, and their textures.
#include "image/procedural.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "image_files.h"
#include "support/gl_context.h"

namespace {

std::vector<unsigned char> imageOf(ProceduralKind kind) {
  std::vector<unsigned char> rgba(kProceduralSize * kProceduralSize * 4, 0xAB);
  computeProceduralImage(kind, rgba.data());
  return rgba;
}

// The grey level at column x, row y.
int texel(const std::vector<unsigned char>& rgba, int x, int y) {
  return rgba[(y * kProceduralSize + x) * 4];
}

TEST(ProceduralImage, DiscFallsLinearlyFromTheCentre) {
  const auto disc = imageOf(kDisc);
  EXPECT_EQ(texel(disc, 64, 64), 254);
  EXPECT_EQ(texel(disc, 96, 64), 127);
  EXPECT_EQ(texel(disc, 127, 64), 3);
  EXPECT_EQ(texel(disc, 64, 127), 3);
  EXPECT_EQ(texel(disc, 0, 0), 0);
  EXPECT_EQ(texel(disc, 0, 64), 0);  // distance 64: the rim itself is black
}

TEST(ProceduralImage, RingPeaksAtRadius58AndFallsSteeplyOutside) {
  const auto ring = imageOf(kRing);
  EXPECT_EQ(texel(ring, 64, 64), 0);
  EXPECT_EQ(texel(ring, 93, 64), 127);
  EXPECT_EQ(texel(ring, 122, 64), 255);
  EXPECT_EQ(texel(ring, 126, 64), 114);
  EXPECT_EQ(texel(ring, 127, 64), 79);
  EXPECT_EQ(texel(ring, 64, 0), 43);
  EXPECT_EQ(texel(ring, 0, 0), 0);
  int brightest = 0;
  for (int i = 0; i < kProceduralSize * kProceduralSize; ++i) {
    brightest = std::max(brightest, static_cast<int>(ring[i * 4]));
  }
  EXPECT_EQ(brightest, 255);
}

TEST(ProceduralImage, WavyBandLiesInRows47To64) {
  const auto band = imageOf(kWavyBand);
  EXPECT_EQ(texel(band, 0, 40), 0);
  EXPECT_EQ(texel(band, 0, 48), 0);
  EXPECT_EQ(texel(band, 0, 56), 127);
  EXPECT_EQ(texel(band, 0, 64), 255);
  EXPECT_EQ(texel(band, 0, 65), 0);
  EXPECT_EQ(texel(band, 3, 50), 19);
  EXPECT_EQ(texel(band, 10, 60), 177);
  for (int y = 0; y < kProceduralSize; ++y) {
    if (y >= 47 && y <= 64) continue;
    for (int x = 0; x < kProceduralSize; ++x) ASSERT_EQ(texel(band, x, y), 0) << x << "," << y;
  }
}

TEST(ProceduralImage, EveryTexelIsGreyWithMatchingOpacity) {
  for (ProceduralKind kind : {kDisc, kRing, kWavyBand}) {
    const auto rgba = imageOf(kind);
    for (int i = 0; i < kProceduralSize * kProceduralSize; ++i) {
      const unsigned char* t = &rgba[i * 4];
      ASSERT_TRUE(t[0] == t[1] && t[1] == t[2] && t[2] == t[3])
          << "kind " << kind << " texel " << i;
    }
  }
}

TEST(ProceduralTexture, HoldsTheImageWithLinearFiltersAndIsLeftBound) {
  testsupport::ensureGlContext();
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  for (ProceduralKind kind : {kDisc, kRing, kWavyBand}) {
    const GLuint name = makeProceduralTexture(kind, 0);
    ASSERT_NE(name, 0u);
    EXPECT_EQ(imagetest::boundTexture(), static_cast<GLint>(name));
    GLint alignment = 0, envMode = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &envMode);
    EXPECT_EQ(alignment, 1);
    EXPECT_EQ(envMode, GL_MODULATE);
    EXPECT_EQ(imagetest::readTexture(name, kProceduralSize), imageOf(kind)) << "kind " << kind;
    EXPECT_EQ(imagetest::textureParameter(name, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(imagetest::textureParameter(name, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(imagetest::textureParameter(name, GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(imagetest::textureParameter(name, GL_TEXTURE_WRAP_T), GL_REPEAT);
    glDeleteTextures(1, &name);
  }
  EXPECT_EQ(testsupport::firstGlError(), 0u) << "after the procedural textures";
}

TEST(ProceduralTexture, MipmappedVariantBuildsTheChainDownToOneTexel) {
  testsupport::ensureGlContext();
  const GLuint name = makeProceduralTexture(kRing, 1);
  EXPECT_EQ(imagetest::textureParameter(name, GL_TEXTURE_MIN_FILTER), GL_NEAREST_MIPMAP_NEAREST);
  EXPECT_EQ(imagetest::textureParameter(name, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
  GLint lastWidth = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 7, GL_TEXTURE_WIDTH, &lastWidth);
  EXPECT_EQ(lastWidth, 1);
  // The 64 x 64 level is the image shrunk: its centre is dark, its ring is bright.
  const auto half = imagetest::readTexture(name, 64, 1);
  EXPECT_LT(half[(32 * 64 + 32) * 4], 20);
  EXPECT_GT(half[(32 * 64 + 61) * 4], 200);
  glDeleteTextures(1, &name);
  EXPECT_EQ(testsupport::firstGlError(), 0u) << "after the mipmapped ring";
}

}  // namespace
