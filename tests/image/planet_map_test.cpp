// Pictures from plain bytes: the built-in planets' BMP decoder, the headers and the box filter of
// the user's planet maps; and maps in files made here, decoded upright and scaled to powers of
// two. Also built with the sanitizers: no input may read outside what it was given.
#include <SDL2/SDL_image.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "image/bmp.h"
#include "image/picture_header.h"
#include "image/picture_scale.h"
#include "image/planet_map.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Rgb = std::array<int, 3>;
using Rgba = std::array<int, 4>;

// An n x n file: 54 header bytes the decoder must skip, then `pixels` (red, green, blue) in
// stored order, each written blue, green, red.
Bytes bmpFile(const std::vector<Rgb>& pixels) {
  Bytes file(54, 0x42);
  for (const Rgb& p : pixels) file.insert(file.end(), {Uint8(p[2]), Uint8(p[1]), Uint8(p[0])});
  return file;
}
Bytes cut(Bytes bytes, std::size_t size) {
  bytes.resize(size);
  return bytes;
}

// Inputs are copies, allocated to their exact size: the sanitizers see any read past the end.
Bytes decode(const Bytes& given, int n, int alphaValue, int threshold) {
  const Bytes file = given;
  Bytes rgba(static_cast<std::size_t>(n) * n * 4, 0xAB);
  decodeBmpImage(file.data(), file.size(), n, alphaValue, threshold, rgba.data());
  return rgba;
}

// Alpha from the channel average or a threshold, also on cut files (a missing byte reads as -1);
// every length of a 3 x 3 file, from nothing to complete: each byte present decodes as itself
// (rows turned, channels in order), each missing one as 255, and nothing is read beyond the end.
TEST(BmpDecode, AlphaRulesAndEveryCutOfAFile) {
  const std::vector<Rgb> pale(4, {10, 20, 200});
  const Rgba white{255, 255, 255, 255};
  // {name, file, alpha value, threshold, texels of the 2 x 2 image, the last stored row first}
  const std::tuple<const char*, Bytes, int, int, std::vector<Rgba>> cases[] = {
      // clang-format off
      {"alpha: the truncated channel average",
       bmpFile({{30, 60, 90}, {0, 0, 0}, {255, 255, 255}, {1, 1, 2}}),
       -1, 0, {white, {1, 1, 2, 1}, {30, 60, 90, 60}, {0, 0, 0, 0}}},
      {"alpha where any channel reaches the threshold",
       bmpFile({{99, 99, 99}, {100, 0, 0}, {0, 100, 0}, {0, 0, 100}}),
       200, 100, {{0, 100, 0, 200}, {0, 0, 100, 200}, {99, 99, 99, 0}, {100, 0, 0, 200}}},
      // One whole pixel, then only the blue byte of the next.
      {"cut file, average of the values read", cut(bmpFile(pale), 54 + 4),
       -1, 0, {white, white, {10, 20, 200, 76}, {255, 255, 200, 66}}},
      {"cut file, threshold on the values read", cut(bmpFile(pale), 54 + 4),
       255, 0, {{255, 255, 255, 0}, {255, 255, 255, 0}, {10, 20, 200, 255}, {255, 255, 200, 255}}},
      {"cut file, negative threshold", cut(bmpFile(pale), 54 + 4),
       255, -1, {white, white, {10, 20, 200, 255}, {255, 255, 200, 255}}},
      // clang-format on
  };
  for (const auto& [name, file, alphaValue, threshold, texels] : cases) {
    Bytes expected;
    for (const Rgba& t : texels) expected.insert(expected.end(), t.begin(), t.end());
    EXPECT_EQ(decode(file, 2, alphaValue, threshold), expected) << name;
  }
  Bytes whole(54, 0x42);
  for (int i = 0; i < 9 * 3; ++i) whole.push_back(100 + i);
  for (std::size_t size = 0; size <= whole.size(); ++size) {
    const Bytes rgba = decode(cut(whole, size), 3, 255, -1);
    for (int i = 0; i < 9 * 3; ++i) {  // stored pixel i / 3, channel i % 3 (blue, green, red)
      const std::size_t stored = 54 + i, texel = (2 - i / 9) * 3 + i / 3 % 3;
      EXPECT_EQ(rgba[texel * 4 + 2 - i % 3], stored < size ? whole[stored] : 255)
          << size << ", " << i;
    }
  }
  Bytes noFile(2 * 2 * 4, 0);
  decodeBmpImage(nullptr, 999, 2, -1, 0, noFile.data());
  EXPECT_EQ(noFile, Bytes(2 * 2 * 4, 255)) << "no file, whatever size is claimed";
}

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
Bytes le(unsigned long value, int count) {
  Bytes bytes;
  for (int i = 0; i < count; ++i) bytes.push_back(value >> 8 * i);
  return bytes;
}
Bytes be(unsigned long value, int count) {
  const Bytes bytes = le(value, count);
  return {bytes.rbegin(), bytes.rend()};
}

// Signature, IHDR and (unless left out) IEND; checksums are the decoder's business.
Bytes png(unsigned long width, unsigned long height, bool end = true) {
  const Bytes sig = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, ihdr = {'I', 'H', 'D', 'R'};
  const Bytes tail = end ? be(0, 4) + Bytes{'I', 'E', 'N', 'D'} + be(0, 4) : Bytes{};
  return sig + be(13, 4) + ihdr + be(width, 4) + be(height, 4) + Bytes{8, 2, 0, 0, 0, 0, 0, 0, 0} +
         tail;
}

// An EXIF segment holding a thumbnail's frame header and end, the frame header, a scan with a
// stuffed FF 00 and a restart marker, and (unless left out) the end.
Bytes jpeg(unsigned long width, unsigned long height, bool end = true) {
  const Bytes exif = {0xFF, 0xD8, 0xFF, 0xE1, 0,  17, 'E',  'x',  'i',  'f',  0, 0,  0xFF,
                      0xD8, 0xFF, 0xC0, 0,    17, 8,  0xFF, 0xD9, 0xFF, 0xC0, 0, 17, 8};
  const Bytes scan = {3, 1, 0x22, 0,    2, 0x11, 1, 3,    0x11, 1,    0xFF, 0xDA, 0,    12,   3,
                      1, 0, 2,    0x11, 3, 0x11, 0, 0x3F, 0,    0x12, 0xFF, 0,    0xFF, 0xD0, 0x78};
  return exif + be(height, 2) + be(width, 2) + scan + (end ? Bytes{0xFF, 0xD9} : Bytes{});
}

// A BMP with the Windows information header (or the old core one) and `data` pixel bytes.
Bytes bmp(long width, long height, int bits, std::size_t data, bool core = false) {
  const int n = core ? 2 : 4;
  return Bytes{'B', 'M'} + le(0, 8) + le(core ? 26 : 54, 4) + le(core ? 12 : 40, 4) + le(width, n) +
         le(height, n) + le(1, 2) + le(bits, 2) + Bytes(core ? 0 : 24, 0) + Bytes(data, 0x40);
}

TEST(PictureHeader, KindSizeAndWholeness) {
  const std::tuple<const char*, Bytes, PictureKind, long long, long long, bool> cases[] = {
      {"PNG", png(300, 150), PictureKind::kPng, 300, 150, true},
      {"PNG without IEND", png(300, 150, false), PictureKind::kPng, 300, 150, false},
      {"PNG cut in a chunk", cut(png(300, 150), 40), PictureKind::kPng, 300, 150, false},
      {"PNG signature alone", cut(png(1, 1), 8), PictureKind::kPng, 0, 0, false},
      {"JPEG after a thumbnail", jpeg(640, 320), PictureKind::kJpeg, 640, 320, true},
      {"JPEG without its end", jpeg(640, 320, false), PictureKind::kJpeg, 640, 320, false},
      {"JPEG cut in its frame", cut(jpeg(640, 320), 28), PictureKind::kJpeg, 0, 0, false},
      {"BMP top-down", bmp(20, -10, 24, 600), PictureKind::kBmp, 20, 10, true},
      {"BMP a byte short", bmp(20, 10, 24, 599), PictureKind::kBmp, 20, 10, false},
      {"BMP rows in words", bmp(3, 2, 8, 8), PictureKind::kBmp, 3, 2, true},
      {"BMP core header", bmp(30, 20, 24, 20 * 92, true), PictureKind::kBmp, 30, 20, true},
      {"BMP negative width", bmp(-20, 10, 24, 600), PictureKind::kBmp, 0, 10, false},
      {"text", {'h', 'e', 'l', 'l', 'o'}, PictureKind::kUnknown, 0, 0, false},
      {"nothing", {}, PictureKind::kUnknown, 0, 0, false},
  };
  for (auto [name, bytes, kind, width, height, complete] : cases) {  // bytes copied: exact size
    const PictureHeader h = readPictureHeader(bytes.data(), bytes.size());
    EXPECT_TRUE(h.kind == kind && h.width == width && h.height == height && h.complete == complete)
        << name << ": " << int(h.kind) << " " << h.width << " x " << h.height << " " << h.complete;
  }
}

// `pixels` (width x height, `pixelBytes` a pixel, red, green and blue at `at`, rows of
// `rowBytes`) scaled to toWidth x toHeight; empty when refused. Every alpha must be 255.
std::vector<Rgb> scaled(const Bytes& pixels, int width, int height, int pixelBytes,
                        std::array<int, 3> at, int rowBytes, int toWidth, int toHeight) {
  const PictureView view{pixels.data(), width, height, rowBytes, pixelBytes, at[0], at[1], at[2]};
  Bytes rgba(static_cast<std::size_t>(toWidth) * toHeight * 4, 0xAB);
  std::vector<Rgb> out;
  if (!scalePicture(view, toWidth, toHeight, rgba.data())) return out;
  for (std::size_t i = 0; i < rgba.size(); i += 4) {
    EXPECT_EQ(rgba[i + 3], 255) << "pixel " << i / 4;
    out.push_back({rgba[i], rgba[i + 1], rgba[i + 2]});
  }
  return out;
}

TEST(PictureScale, EachPixelIsTheMeanOfTheAreaItCovers) {
  const std::array<int, 3> rgb{0, 1, 2};
  const std::tuple<const char*, std::vector<Rgb>, std::vector<Rgb>> cases[] = {
      {"2 x 2 blocks",
       scaled({0, 0, 0, 40, 80,  120, 10,  10,  10,  50,  90,  130, 100, 0,   0, 100,
               0, 0, 0, 0,  0,   0,   0,   0,   255, 255, 255, 255, 255, 255, 1, 1,
               1, 2, 2, 2,  255, 255, 255, 255, 255, 255, 3,   3,   3,   4,   4, 4},
              4, 4, 3, rgb, 12, 2, 2),
       {{60, 20, 30}, {15, 25, 35}, {255, 255, 255}, {3, 3, 3}}},
      {"three to two, the middle split",
       scaled({30, 0, 0, 90, 0, 0, 150, 0, 0}, 3, 1, 3, rgb, 9, 2, 1),
       {{50, 0, 0}, {130, 0, 0}}},
      {"blue first, alpha, padded rows",
       scaled({1, 2, 3, 99, 4, 5, 6, 99, 77, 77, 7, 8, 9, 99, 10, 11, 12, 99, 77, 77}, 2, 2, 4,
              {2, 1, 0}, 10, 1, 1),
       {{8, 7, 6}}},
      {"no target", scaled({1, 2, 3}, 1, 1, 3, rgb, 3, 0, 1), {}},
      {"too wide a target", scaled({1, 2, 3}, 1, 1, 3, rgb, 3, 4096, 1), {}},
  };
  for (const auto& [name, result, expected] : cases) EXPECT_EQ(result, expected) << name;
}

// Green top left, magenta top right, blue bottom left, yellow bottom right.
constexpr Rgb kQuadrants[4] = {{0, 255, 0}, {255, 0, 255}, {0, 0, 255}, {255, 255, 0}};

// A width x height picture of the quadrants saved as the name's kind says (a "palette" PNG has
// four indexed colours).
void savePicture(const std::string& file, int width, int height) {
  const bool palette = file.find("palette") != std::string::npos;
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(
      0, width, height, 0, palette ? SDL_PIXELFORMAT_INDEX8 : SDL_PIXELFORMAT_RGB24);
  for (int q = 0; q < 4; ++q) {  // each quadrant's colour from its corner on, the later over it
    const Rgb& k = kQuadrants[q];
    const SDL_Color c = {Uint8(k[0]), Uint8(k[1]), Uint8(k[2]), 255};
    if (palette) SDL_SetPaletteColors(s->format->palette, &c, q, 1);
    SDL_Rect area{q % 2 * (width / 2), q / 2 * (height / 2), width, height};
    SDL_FillRect(s, &area, palette ? q : SDL_MapRGB(s->format, c.r, c.g, c.b));
  }
  const char* name = file.c_str();
  const int status = file.ends_with("jpg")   ? IMG_SaveJPG(s, name, 95)
                     : file.ends_with("bmp") ? SDL_SaveBMP(s, name)
                                             : IMG_SavePNG(s, name);
  SDL_FreeSurface(s);
  ASSERT_EQ(status, 0) << file << ": " << SDL_GetError();
}

// Every format, scaled to the nearest powers of two within the largest sides given, upright:
// the picture's top row is the map's first (the north pole). 96 x 48 becomes 128 x 64 with no
// blur at the quadrants' edges (a target pixel there covers three quarters of one source pixel).
TEST(PlanetMapFiles, FilesDecodeUprightAndScaledToPowersOfTwo) {
  char folder[] = "/tmp/krateon-maps.XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  // {name, width, height, largest width and height, the map's width and height, tolerance: JPEG
  // is lossy and blurs edges, -1 for exact colours and no look at the edges}
  const std::tuple<const char*, int, int, int, int, int, int, int> cases[] = {
      {"rgb.png", 96, 48, 2048, 1024, 128, 64, 0},
      {"palette.png", 96, 48, 2048, 1024, 128, 64, 0},
      {"photo.jpg", 96, 48, 2048, 1024, 128, 64, 12},
      {"windows.bmp", 96, 48, 2048, 1024, 128, 64, 0},
      {"tall.bmp", 50, 300, 2048, 1024, 64, 256, -1},  // 300 rows blur at the middle
      {"large.png", 4096, 2048, 2048, 1024, 2048, 1024, 0},
      {"small texture.png", 4096, 2048, 64, 32, 64, 32, 0},
  };
  for (const auto& [name, width, height, largestWidth, largestHeight, mapWidth, mapHeight,
                    tolerance] : cases) {
    const std::string path = std::string(folder) + "/" + name;
    savePicture(path, width, height);
    PlanetMap map;
    const char* reason = nullptr;
    ASSERT_TRUE(readPlanetMap(path.c_str(), largestWidth, largestHeight, map, reason))
        << name << ": " << reason;
    const int w = map.width, h = map.height;
    ASSERT_TRUE(w == mapWidth && h == mapHeight) << name << ": " << w << " x " << h;
    std::vector<std::array<int, 2>> probes = {
        {w / 4, h / 4}, {3 * w / 4, h / 4}, {w / 4, 3 * h / 4}, {3 * w / 4, 3 * h / 4}};
    if (tolerance == 0)
      probes.insert(probes.end(), {{w / 2 - 1, 0}, {w / 2, 0}, {0, h / 2 - 1}, {0, h / 2}});
    for (const auto& [x, y] : probes) {
      const unsigned char* p = map.rgba + (static_cast<std::size_t>(y) * w + x) * 4;
      for (int i = 0; i < 4; ++i) {
        const int expected = i < 3 ? kQuadrants[(y < h / 2 ? 0 : 2) + (x < w / 2 ? 0 : 1)][i] : 255;
        EXPECT_NEAR(p[i], expected, std::max(tolerance, 0)) << name << " at " << x << ", " << y;
      }
    }
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
