// BMP image files: decoding 24-bit pixel data into RGBA, and the two texture loaders.
// Decoding is free of GL so it can be tested and fuzzed on plain bytes.
#pragma once

#include <GL/gl.h>
#include <cstddef>

// Decodes an n x n, 24-bit BMP whose pixels start at byte 54 of `file` (the whole file's bytes,
// `size` of them) into `rgba` (n * n * 4 bytes). The first stored row becomes the last memory
// row; bytes beyond the end read as 255. alphaValue < 0: alpha = channel average; otherwise
// alphaValue where any channel >= threshold, else 0. Never reads outside `file`.
void decodeBmpImage(const unsigned char* file, std::size_t size, int n, int alphaValue,
                    int threshold, unsigned char* rgba);

// Load a 128 x 128 or 256 x 256 image from the working directory into a new texture;
// returns its name, 0 when the file cannot be opened. The texture is left bound.
GLuint loadBmpTexture128(const char* fileName, int alphaValue, int threshold, int mipmap);
GLuint loadBmpTexture256(const char* fileName, int alphaValue, int threshold, int mipmap);
