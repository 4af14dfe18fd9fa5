// BMP texture loading: reads a 128 x 128 or 256 x 256 24-bit image file from the working
// directory, decodes it and turns it into a texture.
#include "image/bmp.h"

#include <cstdio>

#include "image/regular_file.h"
#include "image/texture_upload.h"

namespace {

constexpr int kLargestImage = 256;

// Scratch space of the loaders, used only during start-up: the file's bytes (never more than
// a 256 x 256 file needs) and the decoded image.
unsigned char fileBytes[bmpFileBytes(kLargestImage)];
unsigned char imageRgba[kLargestImage * kLargestImage * 4];

// Reads at most `limit` bytes of `fileName` into fileBytes; `count` gets the number read.
// False when the file cannot be opened or is not a regular file.
bool readFileStart(const char* fileName, std::size_t limit, std::size_t& count) {
  bool notRegular = false;
  std::FILE* file = openRegularFile(fileName, notRegular);
  if (file == nullptr) return false;
  count = std::fread(fileBytes, 1, limit, file);
  std::fclose(file);
  return true;
}

GLuint loadBmpTexture(const char* fileName, int n, int alphaValue, int threshold, int mipmap,
                      GLint mipmapMinFilter) {
  std::size_t count = 0;
  if (!readFileStart(fileName, bmpFileBytes(n), count)) return 0;
  decodeBmpImage(fileBytes, count, n, alphaValue, threshold, imageRgba);
  return createRgbaTexture(imageRgba, n, n, mipmap, mipmapMinFilter);
}

}  // namespace

GLuint loadBmpTexture128(const char* fileName, int alphaValue, int threshold, int mipmap) {
  return loadBmpTexture(fileName, 128, alphaValue, threshold, mipmap, GL_NEAREST_MIPMAP_NEAREST);
}

GLuint loadBmpTexture256(const char* fileName, int alphaValue, int threshold, int mipmap) {
  return loadBmpTexture(fileName, 256, alphaValue, threshold, mipmap, GL_LINEAR_MIPMAP_NEAREST);
}
