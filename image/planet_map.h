// A planet map from the user: a PNG, JPEG or BMP file of any size and aspect, checked before
// it is decoded and scaled to the power-of-two sides a texture takes. Knows nothing of the scene.
#pragma once

#include <GL/gl.h>

// Limits checked on the file and its header before the decoder allocates anything.
constexpr long long kMaxMapFileBytes = 1LL << 30;  // 1 GiB
// 268,435,456 pixels (1 GiB decoded): 16384 x 16384, or a 21600 x 10800 world map. A header
// that claims more (a few bytes can claim 4 billion pixels) is refused.
constexpr long long kMaxMapPixels = 1LL << 28;
constexpr int kMinMapSide = 16;  // pixels; a narrower strip or a dot is no map of a planet

// The largest texture a map becomes: the planet covers at most about a thousand pixels of the
// screen, and an equirectangular map is twice as wide as high.
constexpr int kLargestMapWidth = 2048;
constexpr int kLargestMapHeight = 1024;

struct PlanetMap {
  const unsigned char* rgba = nullptr;  // width x height, 4 bytes a pixel, row 0 the top (north)
  int width = 0;                        // a power of two
  int height = 0;                       // a power of two
};

// Reads `fileName` into `map`: the picture scaled to the power of two nearest to each of its
// sides (powerOfTwoSide), at most largestWidth x largestHeight (themselves at most the limits
// above), opaque. The pixels stay valid until the next call. Returns false, with `reason` a
// phrase to follow the file's name ("is empty", "is cut short", ...) valid until the next call,
// when the file is missing, unreadable, not a regular file, empty, larger than
// kMaxMapFileBytes, not a PNG, JPEG or BMP picture, without a size, with more than
// kMaxMapPixels or a side below kMinMapSide, cut short, or not decodable. The decoders'
// libraries print nothing meanwhile: the caller's line is the only word about a bad file.
bool readPlanetMap(const char* fileName, int largestWidth, int largestHeight, PlanetMap& map,
                   const char*& reason);

// readPlanetMap within kLargestMapWidth x kLargestMapHeight and the largest texture the GL
// takes, made into a texture with its mipmap chain (GL_LINEAR_MIPMAP_NEAREST, as the built-in
// planet images), left bound. Returns its name, or 0 with `reason` set and no texture created.
GLuint loadPlanetMapTexture(const char* fileName, const char*& reason);
