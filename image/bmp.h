// BMP image files: decoding 24-bit pixel data into RGBA, and the two texture loaders.
// Decoding is free of GL so it can be tested and fuzzed on plain bytes.
#pragma once

#include <GL/gl.h>

#include <cstddef>

// Pixel data starts right after the 14-byte file header and the 40-byte information header;
// no header field is read.
constexpr std::size_t kBmpPixelDataOffset = 54;

// Bytes of an n x n, 24-bit BMP file as the loaders read it (header plus 3 bytes a pixel).
constexpr std::size_t bmpFileBytes(int n) {
  return kBmpPixelDataOffset + 3 * static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
}

// Decodes an n x n, 24-bit BMP whose pixels start at byte 54 of `file` (the whole file's bytes,
// `size` of them; `file` may be null when size is 0) into `rgba` (n * n * 4 bytes). Pixels
// are stored blue, green, red; the first stored row becomes the last memory row (the t = 1
// edge of a texture). A byte beyond the end reads as -1 and is stored as 255.
// Alpha: alphaValue < 0: the integer part of (R + G + B) / 3 of the values read (so a pixel
// made only of missing bytes gets 255); otherwise alphaValue where any value read is
// >= threshold (signed comparison), else 0. Never reads outside `file`; n <= 0 writes nothing.
void decodeBmpImage(const unsigned char* file, std::size_t size, int n, int alphaValue,
                    int threshold, unsigned char* rgba);

// Load a 128 x 128 or 256 x 256 image file (path relative to the working directory) into a
// new texture; at most bmpFileBytes(n) bytes are read, a shorter file decodes as above.
// Returns the texture name, or 0 with no texture created when the file cannot be opened or
// is not a regular file. mipmap != 0 builds the mipmap chain, minified with
// GL_NEAREST_MIPMAP_NEAREST (128) or GL_LINEAR_MIPMAP_NEAREST (256); without it both filters
// are GL_LINEAR. The texture is left bound to GL_TEXTURE_2D.
GLuint loadBmpTexture128(const char* fileName, int alphaValue, int threshold, int mipmap);
GLuint loadBmpTexture256(const char* fileName, int alphaValue, int threshold, int mipmap);
