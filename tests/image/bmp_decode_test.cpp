// The BMP decoder on plain bytes: row and channel order, both alpha rules, and files that end
// early or hold nothing. Also built with ASan and UBSan: no input may read outside the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "image/bmp.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Rgba = std::array<int, 4>;
struct Rgb8 {
  int r, g, b;
};

// An n x n file: 54 header bytes the decoder must skip, then `pixels` in stored order (the
// first stored row first), each written blue, green, red; cut to `size` bytes when given.
Bytes bmpFile(const std::vector<Rgb8>& pixels, std::size_t size = SIZE_MAX) {
  Bytes file(54, 0x42);
  for (const Rgb8& p : pixels) {
    for (int channel : {p.b, p.g, p.r}) file.push_back(static_cast<unsigned char>(channel));
  }
  if (size < file.size()) file.resize(size);
  return file;
}

// The file decoded from an exactly sized copy, so that the sanitizers see any read past its end.
Bytes decode(const Bytes& file, int n, int alphaValue, int threshold) {
  Bytes rgba(static_cast<std::size_t>(n) * n * 4, 0xAB);
  const auto copy = std::make_unique<unsigned char[]>(file.size());
  std::copy(file.begin(), file.end(), copy.get());
  decodeBmpImage(file.empty() ? nullptr : copy.get(), file.size(), n, alphaValue, threshold,
                 rgba.data());
  return rgba;
}

TEST(BmpDecode, RowsChannelsAndAlphaRules) {
  struct Case {
    const char* name;
    Bytes file;
    int alphaValue, threshold;
    Rgba texels[4];  // of the 2 x 2 image: memory row 0 (the last stored), then memory row 1
  };
  const std::vector<Rgb8> pale(4, {10, 20, 200});
  const Rgba white{255, 255, 255, 255};
  // clang-format off
  const Case cases[] = {
      {"rows bottom-up, pixels blue-green-red",
       bmpFile({{3, 2, 1}, {6, 5, 4}, {9, 8, 7}, {12, 11, 10}}),
       255, 0, {{9, 8, 7, 255}, {12, 11, 10, 255}, {3, 2, 1, 255}, {6, 5, 4, 255}}},
      {"alpha: the truncated channel average",
       bmpFile({{30, 60, 90}, {0, 0, 0}, {255, 255, 255}, {1, 1, 2}}),
       -1, 0, {white, {1, 1, 2, 1}, {30, 60, 90, 60}, {0, 0, 0, 0}}},
      {"alpha where any channel reaches the threshold",
       bmpFile({{99, 99, 99}, {100, 0, 0}, {0, 100, 0}, {0, 0, 100}}),
       200, 100, {{0, 100, 0, 200}, {0, 0, 100, 200}, {99, 99, 99, 0}, {100, 0, 0, 200}}},
      // One whole pixel, then only the blue byte of the next: a missing byte reads as -1.
      {"cut file, average of the values read", bmpFile(pale, 54 + 4),
       -1, 0, {white, white, {10, 20, 200, 76}, {255, 255, 200, 66}}},
      {"cut file, threshold on the values read", bmpFile(pale, 54 + 4),
       255, 0, {{255, 255, 255, 0}, {255, 255, 255, 0}, {10, 20, 200, 255}, {255, 255, 200, 255}}},
      {"cut file, negative threshold", bmpFile(pale, 54 + 4),
       255, -1, {white, white, {10, 20, 200, 255}, {255, 255, 200, 255}}},
      {"empty file", {}, -1, 0, {white, white, white, white}},
  };
  // clang-format on
  for (const Case& c : cases) {
    const Bytes rgba = decode(c.file, 2, c.alphaValue, c.threshold);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ((Rgba{rgba[4 * i], rgba[4 * i + 1], rgba[4 * i + 2], rgba[4 * i + 3]}), c.texels[i])
          << c.name << ", texel " << i;
    }
  }
}

// Every length of a 3 x 3 file, from nothing to complete: each byte present decodes as itself,
// each missing one as 255, and nothing is read beyond the end.
TEST(BmpDecode, EveryCutOfAFileDecodesWithinIt) {
  std::vector<Rgb8> pixels;
  for (int i = 0; i < 9; ++i) pixels.push_back({10 + i, 100 + i, 200 + i});
  const Bytes whole = bmpFile(pixels);
  for (std::size_t size = 0; size <= whole.size(); ++size) {
    const Bytes rgba = decode(bmpFile(pixels, size), 3, 255, -1);
    for (int i = 0; i < 9 * 3; ++i) {  // stored pixel i / 3, channel i % 3 (blue, green, red)
      const std::size_t stored = 54 + i, texel = (2 - i / 9) * 3 + i / 3 % 3;
      EXPECT_EQ(rgba[texel * 4 + 2 - i % 3], stored < size ? whole[stored] : 255)
          << size << ", " << i;
    }
  }
  Bytes white(2 * 2 * 4, 0);
  decodeBmpImage(nullptr, 999, 2, -1, 0, white.data());
  EXPECT_EQ(white, Bytes(2 * 2 * 4, 255)) << "no file, whatever size is claimed";
}

}  // namespace
