// Procedural textures: the disc, ring and wavy band images computed texel by texel,
// and their upload as textures.
#include "image/procedural.h"

#include <cmath>

#include "core/numeric.h"
#include "image/texture_upload.h"

namespace {

constexpr int kCentre = 64;
constexpr float kDiscRadius = 64.0f;    // texels; the disc is black from here out
constexpr float kRingRadius = 58.0f;    // texels; the ring is brightest here
constexpr int kBandTop = 64;            // last lit row of the band
constexpr int kBandBase = 48;           // row where the band's ramp starts, before the wave
constexpr float kBandRampRows = 16.0f;  // rows from black to full brightness

// Scratch image, used only while a texture is made at start-up.
unsigned char imageRgba[kProceduralSize * kProceduralSize * 4];

float distanceFromCentre(int x, int y) {
  const int dx = x - kCentre;
  const int dy = y - kCentre;
  return static_cast<float>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
}

float discValue(int x, int y) {
  float d = distanceFromCentre(x, y);
  if (d > kDiscRadius) d = kDiscRadius;
  return static_cast<float>((kDiscRadius - d) * 3.98);
}

// Rises linearly to 1 at the ring radius, then falls eight times as steeply.
float ringValue(int x, int y) {
  float f = distanceFromCentre(x, y) / kRingRadius;
  if (f > 1) f = 9 - 8 * f;
  if (f < 0) return 0;
  return static_cast<float>(std::pow(f, 1) * 255);
}

// The ramp's lower edge wavers with two sines of the column, by up to two rows each way.
float wavyBandValue(int x, int y) {
  if (y > kBandTop) return 0;
  float v = static_cast<float>((y - kBandBase) + std::sin(x * 0.5) + std::sin(x * 1.1));
  if (v < 0) {
    v = 0;
  } else if (v > kBandRampRows) {
    v = kBandRampRows;
  }
  return easeBlend(0, 255, v / kBandRampRows);
}

float texelValue(ProceduralKind kind, int x, int y) {
  switch (kind) {
    case kDisc:
      return discValue(x, y);
    case kRing:
      return ringValue(x, y);
    case kWavyBand:
      return wavyBandValue(x, y);
  }
  return 0;
}

}  // namespace

void computeProceduralImage(ProceduralKind kind, unsigned char* rgba) {
  for (int y = 0; y < kProceduralSize; ++y) {
    for (int x = 0; x < kProceduralSize; ++x) {
      const auto grey = static_cast<unsigned char>(static_cast<int>(texelValue(kind, x, y)));
      unsigned char* texel = rgba + (y * kProceduralSize + x) * 4;
      texel[0] = texel[1] = texel[2] = texel[3] = grey;
    }
  }
}

GLuint makeProceduralTexture(ProceduralKind kind, int mipmap) {
  computeProceduralImage(kind, imageRgba);
  return createRgbaTexture(imageRgba, kProceduralSize, kProceduralSize, mipmap,
                           GL_NEAREST_MIPMAP_NEAREST);
}
