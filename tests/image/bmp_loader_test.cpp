// The BMP texture loaders: what reaches the texture, filters and mipmaps per loader, and
// files that are missing, empty, not files at all, or far larger than an image.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "image/bmp.h"
#include "image_files.h"
#include "support/gl_context.h"

namespace {

using imagetest::makeBmp;
using imagetest::Rgb8;

std::vector<unsigned char> decoded(const std::vector<unsigned char>& file, int n, int alphaValue,
                                   int threshold) {
  std::vector<unsigned char> rgba(static_cast<std::size_t>(n) * n * 4, 0);
  decodeBmpImage(file.data(), file.size(), n, alphaValue, threshold, rgba.data());
  return rgba;
}

// Bytes this process has read through system calls so far.
long long bytesReadByProcess() {
  std::ifstream io("/proc/self/io");
  std::string key;
  long long value = 0;
  while (io >> key >> value) {
    if (key == "rchar:") return value;
  }
  return -1;
}

class BmpLoader : public ::testing::Test {
 protected:
  void SetUp() override { testsupport::ensureGlContext(); }
  void TearDown() override { EXPECT_EQ(testsupport::firstGlError(), 0u) << "after the loader"; }
  imagetest::ScratchDirectory scratch_;
};

TEST_F(BmpLoader, FirstStoredRowLandsAtTheTopEdgeOfThePlanetTexture) {
  const int n = 256;
  const auto file = makeBmp(n, [](int row, int) { return row == 0 ? Rgb8{255, 0, 0} : Rgb8{}; });
  imagetest::writeFile("red.bmp", file);
  const GLuint name = loadBmpTexture256("red.bmp", 255, 0, 1);
  ASSERT_NE(name, 0u);
  EXPECT_EQ(imagetest::boundTexture(), static_cast<GLint>(name));
  const auto texels = imagetest::readTexture(name, n);
  EXPECT_EQ(texels, decoded(file, n, 255, 0));
  const unsigned char* top = &texels[static_cast<std::size_t>(n - 1) * n * 4];  // t = 1 edge
  EXPECT_EQ(top[0], 255);
  EXPECT_EQ(top[1], 0);
  EXPECT_EQ(texels[0], 0);  // t = 0 edge is black
  glDeleteTextures(1, &name);
}

TEST_F(BmpLoader, SpriteTextureTakesAlphaFromBrightness) {
  const int n = 128;
  const auto file = makeBmp(n, [](int, int column) {
    return column == 0 ? Rgb8{30, 60, 90} : column == 1 ? Rgb8{0, 0, 0} : Rgb8{255, 255, 255};
  });
  imagetest::writeFile("smoke128.bmp", file);
  const GLuint name = loadBmpTexture128("smoke128.bmp", -1, 0, 0);
  ASSERT_NE(name, 0u);
  const auto texels = imagetest::readTexture(name, n);
  EXPECT_EQ(texels[3], 60);
  EXPECT_EQ(texels[7], 0);
  EXPECT_EQ(texels[11], 255);
  EXPECT_EQ(texels, decoded(file, n, -1, 0));
  glDeleteTextures(1, &name);
}

TEST_F(BmpLoader, FiltersAndMipmapsFollowTheLoaderAndFlag) {
  imagetest::writeFile("a128.bmp", imagetest::makePatternBmp(128, 1));
  imagetest::writeFile("a256.bmp", imagetest::makePatternBmp(256, 2));
  struct Case {
    GLuint (*loader)(const char*, int, int, int);
    const char* file;
    int mipmap;
    GLint minFilter;
    int lastLevel;
  };
  const Case cases[] = {{loadBmpTexture128, "a128.bmp", 0, GL_LINEAR, 0},
                        {loadBmpTexture128, "a128.bmp", 1, GL_NEAREST_MIPMAP_NEAREST, 7},
                        {loadBmpTexture256, "a256.bmp", 0, GL_LINEAR, 0},
                        {loadBmpTexture256, "a256.bmp", 1, GL_LINEAR_MIPMAP_NEAREST, 8}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " mipmap " + std::to_string(c.mipmap));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    const GLuint name = c.loader(c.file, -1, 0, c.mipmap);
    ASSERT_NE(name, 0u);
    GLint alignment = 0, envMode = 0, lastWidth = 0, pastLastWidth = -1;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &envMode);
    EXPECT_EQ(alignment, 1);
    EXPECT_EQ(envMode, GL_MODULATE);
    EXPECT_EQ(imagetest::textureParameter(name, GL_TEXTURE_MIN_FILTER), c.minFilter);
    EXPECT_EQ(imagetest::textureParameter(name, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(imagetest::textureParameter(name, GL_TEXTURE_WRAP_S), GL_REPEAT);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, c.lastLevel, GL_TEXTURE_WIDTH, &lastWidth);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, c.lastLevel + 1, GL_TEXTURE_WIDTH, &pastLastWidth);
    EXPECT_EQ(lastWidth, c.lastLevel == 0 ? (c.loader == loadBmpTexture128 ? 128 : 256) : 1);
    EXPECT_EQ(pastLastWidth, 0);  // no level beyond the chain
    glDeleteTextures(1, &name);
  }
}

TEST_F(BmpLoader, MissingFileOrDirectoryCreatesNoTexture) {
  ASSERT_EQ(mkdir("folder.bmp", 0755), 0);
  const auto before = imagetest::textureNamesInUse();
  EXPECT_EQ(loadBmpTexture128("absent.bmp", -1, 0, 0), 0u);
  EXPECT_EQ(loadBmpTexture256("absent.bmp", 255, 0, 1), 0u);
  EXPECT_EQ(loadBmpTexture128("folder.bmp", -1, 0, 0), 0u);
  EXPECT_EQ(loadBmpTexture256("folder.bmp", 255, 0, 1), 0u);
  EXPECT_EQ(loadBmpTexture256("", 255, 0, 1), 0u);
  EXPECT_EQ(loadBmpTexture256(nullptr, 255, 0, 1), 0u);
  EXPECT_EQ(imagetest::textureNamesInUse(), before);
}

TEST_F(BmpLoader, EmptyAndTruncatedFilesLoadWithMissingBytesWhite) {
  const int n = 128;
  imagetest::writeFile("empty.bmp", {});
  auto truncated = imagetest::makePatternBmp(n, 3);
  truncated.resize(54 + 3 * n * 10 + 2);  // ten rows and a bit
  imagetest::writeFile("short.bmp", truncated);

  const GLuint empty = loadBmpTexture128("empty.bmp", -1, 0, 0);
  ASSERT_NE(empty, 0u);
  EXPECT_EQ(imagetest::readTexture(empty, n),
            std::vector<unsigned char>(static_cast<std::size_t>(n) * n * 4, 255));
  const GLuint shortened = loadBmpTexture128("short.bmp", 255, 0, 0);
  ASSERT_NE(shortened, 0u);
  const auto texels = imagetest::readTexture(shortened, n);
  EXPECT_EQ(texels, decoded(truncated, n, 255, 0));
  EXPECT_EQ(texels[0], 255);  // row 0 comes from the last stored row, which is missing
  EXPECT_EQ(texels[3], 0);    // and reads as -1, below threshold 0
  glDeleteTextures(1, &empty);
  glDeleteTextures(1, &shortened);
}

TEST_F(BmpLoader, HugeFileIsReadOnlyAsFarAsTheImageNeeds) {
  const int n = 256;
  const auto image = imagetest::makePatternBmp(n, 4);
  imagetest::writeFile("huge.bmp", image);
  ASSERT_EQ(truncate("huge.bmp", 8LL << 30), 0);  // 8 GiB, sparse
  const GLuint warmUp = loadBmpTexture256("huge.bmp", 255, 0, 0);
  const long long before = bytesReadByProcess();
  ASSERT_GE(before, 0);
  const GLuint name = loadBmpTexture256("huge.bmp", 255, 0, 0);
  const long long read = bytesReadByProcess() - before;
  ASSERT_NE(name, 0u);
  EXPECT_GE(read, static_cast<long long>(image.size()));
  EXPECT_LT(read, static_cast<long long>(image.size()) + (1 << 16));
  EXPECT_EQ(imagetest::readTexture(name, n), decoded(image, n, 255, 0));
  glDeleteTextures(1, &warmUp);
  glDeleteTextures(1, &name);
}

}  // namespace
