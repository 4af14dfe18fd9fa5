// The user's planet maps: headers read from plain bytes, the box filter on small pictures with
// the results written out, and whole files made here, decoded upright and scaled, or refused
// with one reason while the decoders' libraries say nothing. Also built with the sanitizers.
#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "image/picture_header.h"
#include "image/picture_scale.h"
#include "image/planet_map.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Rgb = std::array<int, 3>;

void append(Bytes& bytes, std::initializer_list<int> values) {
  for (int v : values) bytes.push_back(static_cast<unsigned char>(v));
}

void appendBigEndian(Bytes& bytes, unsigned long value, int count) {
  for (int i = count - 1; i >= 0; --i) bytes.push_back(static_cast<unsigned char>(value >> 8 * i));
}

void appendLittleEndian(Bytes& bytes, unsigned long value, int count) {
  for (int i = 0; i < count; ++i) bytes.push_back(static_cast<unsigned char>(value >> 8 * i));
}

void appendPngChunk(Bytes& bytes, const char* type, const Bytes& data) {
  appendBigEndian(bytes, data.size(), 4);
  bytes.insert(bytes.end(), type, type + 4);
  bytes.insert(bytes.end(), data.begin(), data.end());
  appendBigEndian(bytes, 0, 4);  // the checksum is the decoder's business
}

// Signature, IHDR, one IDAT and (unless left out) IEND.
Bytes pngBytes(unsigned long width, unsigned long height, bool withEnd = true) {
  Bytes bytes = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes ihdr;
  appendBigEndian(ihdr, width, 4);
  appendBigEndian(ihdr, height, 4);
  append(ihdr, {8, 2, 0, 0, 0});
  appendPngChunk(bytes, "IHDR", ihdr);
  appendPngChunk(bytes, "IDAT", Bytes(10, 0));
  if (withEnd) appendPngChunk(bytes, "IEND", {});
  return bytes;
}

// Start of image, an EXIF-like segment holding a thumbnail with a frame header of its own, the
// frame header (8 bits, 3 components), a scan with entropy-coded bytes (a stuffed FF 00 among
// them) and, unless left out, the end marker.
Bytes jpegBytes(int width, int height, bool withEnd = true) {
  Bytes bytes = {0xFF, 0xD8};
  append(bytes, {0xFF, 0xE1, 0x00, 0x11, 'E', 'x', 'i', 'f', 0, 0, 0xFF, 0xD8, 0xFF, 0xC0, 0x00,
                 0x11, 0x08, 0xFF, 0xD9});
  append(bytes, {0xFF, 0xC0, 0x00, 0x11, 0x08});
  appendBigEndian(bytes, height, 2);
  appendBigEndian(bytes, width, 2);
  append(bytes, {3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1});
  append(bytes, {0xFF, 0xDA, 0x00, 0x0C, 3, 1, 0, 2, 0x11, 3, 0x11, 0, 0x3F, 0});
  append(bytes, {0x12, 0x34, 0xFF, 0x00, 0x56, 0xFF, 0xD0, 0x78});
  if (withEnd) append(bytes, {0xFF, 0xD9});
  return bytes;
}

// A BMP with the Windows information header (or the old core one) and `dataBytes` of pixels.
Bytes bmpBytes(long width, long height, int bits, std::size_t dataBytes, bool core = false) {
  Bytes bytes = {'B', 'M'};
  const unsigned long info = core ? 12 : 40;
  appendLittleEndian(bytes, 14 + info + dataBytes, 4);
  appendLittleEndian(bytes, 0, 4);
  appendLittleEndian(bytes, 14 + info, 4);
  appendLittleEndian(bytes, info, 4);
  appendLittleEndian(bytes, static_cast<unsigned long>(width), core ? 2 : 4);
  appendLittleEndian(bytes, static_cast<unsigned long>(height), core ? 2 : 4);
  appendLittleEndian(bytes, 1, 2);
  appendLittleEndian(bytes, bits, 2);
  if (!core) bytes.resize(bytes.size() + 24, 0);  // uncompressed; the rest unused
  bytes.resize(bytes.size() + dataBytes, 0x40);
  return bytes;
}

Bytes cut(Bytes bytes, std::size_t size) {
  bytes.resize(size);
  return bytes;
}

TEST(PictureHeader, KindSizeAndWholeness) {
  const struct {
    const char* name;
    Bytes bytes;
    PictureKind kind;
    long long width, height;
    bool complete;
  } cases[] = {
      {"PNG", pngBytes(300, 150), PictureKind::kPng, 300, 150, true},
      {"PNG without IEND", pngBytes(300, 150, false), PictureKind::kPng, 300, 150, false},
      {"PNG cut inside a chunk", cut(pngBytes(300, 150), 45), PictureKind::kPng, 300, 150, false},
      {"PNG bomb", pngBytes(4'000'000'000UL, 100'000), PictureKind::kPng, 4'000'000'000LL, 100'000,
       true},
      {"PNG signature alone", cut(pngBytes(1, 1), 8), PictureKind::kPng, 0, 0, false},
      {"JPEG", jpegBytes(640, 320), PictureKind::kJpeg, 640, 320, true},
      {"JPEG without its end", jpegBytes(640, 320, false), PictureKind::kJpeg, 640, 320, false},
      {"JPEG cut in its frame header", cut(jpegBytes(640, 320), 25), PictureKind::kJpeg, 0, 0,
       false},
      {"BMP bottom-up", bmpBytes(20, 10, 24, 10 * 60), PictureKind::kBmp, 20, 10, true},
      {"BMP top-down, one byte short", bmpBytes(20, -10, 24, 10 * 60 - 1), PictureKind::kBmp, 20,
       10, false},
      {"BMP rows padded to words", bmpBytes(3, 2, 8, 8), PictureKind::kBmp, 3, 2, true},
      {"BMP core header", bmpBytes(30, 20, 24, 20 * 92, true), PictureKind::kBmp, 30, 20, true},
      {"BMP of negative width", bmpBytes(-20, 10, 24, 600), PictureKind::kBmp, 0, 10, false},
      {"BMP bomb", bmpBytes(30'000, 30'000, 24, 0), PictureKind::kBmp, 30'000, 30'000, false},
      {"text", Bytes{'h', 'e', 'l', 'l', 'o'}, PictureKind::kUnknown, 0, 0, false},
      {"nothing", Bytes{}, PictureKind::kUnknown, 0, 0, false},
  };
  for (const auto& c : cases) {
    // An exact copy, so that the sanitizers see any read past the end.
    const auto copy = std::make_unique<unsigned char[]>(c.bytes.size());
    std::copy(c.bytes.begin(), c.bytes.end(), copy.get());
    const PictureHeader h =
        readPictureHeader(c.bytes.empty() ? nullptr : copy.get(), c.bytes.size());
    EXPECT_EQ(h.kind, c.kind) << c.name;
    EXPECT_EQ(h.width, c.width) << c.name;
    EXPECT_EQ(h.height, c.height) << c.name;
    EXPECT_EQ(h.complete, c.complete) << c.name;
  }
}

TEST(PictureScale, PowerOfTwoSidesNearestOnALogScale) {
  const struct {
    long long side;
    int largest, expected;
  } cases[] = {{16, 2048, 16},     {22, 2048, 16},      {23, 2048, 32},     {700, 2048, 512},
               {1000, 2048, 1024}, {16384, 2048, 2048}, {8192, 1024, 1024}, {3000, 1500, 1024},
               {1, 2048, 1},       {0, 2048, 1},        {-5, 2048, 1},      {100, 0, 1}};
  for (const auto& c : cases) {
    EXPECT_EQ(powerOfTwoSide(c.side, c.largest), c.expected) << c.side << " within " << c.largest;
  }
}

// Scales `pixels` (width x height, `pixelBytes` a pixel, colours at `at`, rows of `rowBytes`).
std::vector<Rgb> scaled(const Bytes& pixels, int width, int height, int pixelBytes,
                        std::array<int, 3> at, int rowBytes, int toWidth, int toHeight) {
  PictureView view{pixels.data(), width, height, rowBytes, pixelBytes, at[0], at[1], at[2]};
  Bytes rgba(static_cast<std::size_t>(toWidth) * toHeight * 4, 0xAB);
  if (!scalePicture(view, toWidth, toHeight, rgba.data())) return {};
  std::vector<Rgb> out;
  for (std::size_t i = 0; i < rgba.size(); i += 4) {
    EXPECT_EQ(rgba[i + 3], 255) << "alpha of pixel " << i / 4;
    out.push_back({rgba[i], rgba[i + 1], rgba[i + 2]});
  }
  return out;
}

TEST(PictureScale, EachPixelIsTheMeanOfTheAreaItCovers) {
  const std::array<int, 3> rgb{0, 1, 2};
  const struct {
    const char* name;
    std::vector<Rgb> result, expected;
  } cases[] = {
      {"same size", scaled({1, 2, 3, 4, 5, 6}, 2, 1, 3, rgb, 6, 2, 1), {{1, 2, 3}, {4, 5, 6}}},
      {"halved each way: 2 x 2 blocks",
       scaled({0,   0,   0,   40,  80,  120, 10, 10, 10, 50, 90, 130,  // row 0
               100, 0,   0,   100, 0,   0,   0,  0,  0,  0,  0,  0,    // row 1
               255, 255, 255, 255, 255, 255, 1,  1,  1,  2,  2,  2,    // row 2
               255, 255, 255, 255, 255, 255, 3,  3,  3,  4,  4,  4},   // row 3
              4, 4, 3, rgb, 12, 2, 2),
       {{60, 20, 30}, {15, 25, 35}, {255, 255, 255}, {3, 3, 3}}},
      {"three to two: the middle pixel split",
       scaled({30, 0, 0, 90, 0, 0, 150, 0, 0}, 3, 1, 3, rgb, 9, 2, 1),
       {{50, 0, 0}, {130, 0, 0}}},
      {"doubled: each pixel repeated",
       scaled({10, 20, 30, 40, 50, 60}, 2, 1, 3, rgb, 6, 4, 2),
       {{10, 20, 30},
        {10, 20, 30},
        {40, 50, 60},
        {40, 50, 60},
        {10, 20, 30},
        {10, 20, 30},
        {40, 50, 60},
        {40, 50, 60}}},
      {"blue-green-red pixels with alpha, rows padded",
       scaled({1, 2, 3, 99, 4,  5,  6,  99, 77, 77,  // row 0, two bytes of padding
               7, 8, 9, 99, 10, 11, 12, 99, 77, 77},
              2, 2, 4, {2, 1, 0}, 10, 1, 1),
       {{8, 7, 6}}},
      {"a target side of 0", scaled({1, 2, 3}, 1, 1, 3, rgb, 3, 0, 1), {}},
      {"a target side beyond the largest", scaled({1, 2, 3}, 1, 1, 3, rgb, 3, 4096, 1), {}},
  };
  for (const auto& c : cases) EXPECT_EQ(c.result, c.expected) << c.name;
}

// ---- Whole files ----

class PlanetMapFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/krateon-maps.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
  }
  void TearDown() override { std::system(("rm -rf '" + folder + "'").c_str()); }

  std::string path(const char* name) const { return folder + "/" + name; }

  std::string folder;
};

enum class Saver { kPng, kPalettePng, kJpeg, kBmp };

// Four quadrants: green top left, magenta top right, blue bottom left, yellow bottom right.
constexpr Rgb kQuadrants[4] = {{0, 255, 0}, {255, 0, 255}, {0, 0, 255}, {255, 255, 0}};

Rgb quadrantColour(int x, int y, int width, int height) {
  return kQuadrants[(y < height / 2 ? 0 : 2) + (x < width / 2 ? 0 : 1)];
}

// Saves a width x height picture coloured by `colour` the way `saver` says.
void savePicture(const std::string& file, Saver saver, int width, int height,
                 const std::function<Rgb(int, int)>& colour) {
  const bool palette = saver == Saver::kPalettePng;
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(
      0, width, height, 0, palette ? SDL_PIXELFORMAT_INDEX8 : SDL_PIXELFORMAT_RGB24);
  ASSERT_NE(surface, nullptr);
  if (palette) {
    SDL_Color colours[4];
    for (int i = 0; i < 4; ++i) {
      colours[i] = {static_cast<Uint8>(kQuadrants[i][0]), static_cast<Uint8>(kQuadrants[i][1]),
                    static_cast<Uint8>(kQuadrants[i][2]), 255};
    }
    SDL_SetPaletteColors(surface->format->palette, colours, 0, 4);
  }
  for (int y = 0; y < height; ++y) {
    auto* row = static_cast<unsigned char*>(surface->pixels) + y * surface->pitch;
    for (int x = 0; x < width; ++x) {
      const Rgb c = colour(x, y);
      if (palette) {
        row[x] = static_cast<unsigned char>(
            std::find(std::begin(kQuadrants), std::end(kQuadrants), c) - std::begin(kQuadrants));
      } else {
        for (int i = 0; i < 3; ++i) row[3 * x + i] = static_cast<unsigned char>(c[i]);
      }
    }
  }
  const char* name = file.c_str();
  const int status = saver == Saver::kJpeg  ? IMG_SaveJPG(surface, name, 95)
                     : saver == Saver::kBmp ? SDL_SaveBMP(surface, name)
                                            : IMG_SavePNG(surface, name);
  SDL_FreeSurface(surface);
  ASSERT_EQ(status, 0) << file << ": " << SDL_GetError();
}

void saveQuadrants(const std::string& file, Saver saver, int width, int height) {
  savePicture(file, saver, width, height,
              [=](int x, int y) { return quadrantColour(x, y, width, height); });
}

Rgb mapPixel(const PlanetMap& map, int x, int y) {
  const unsigned char* p = map.rgba + (static_cast<std::size_t>(y) * map.width + x) * 4;
  return {p[0], p[1], p[2]};
}

// Every format the maps come in, scaled to the nearest powers of two and upright: the picture's
// top row is the map's first (the north pole). 96 x 48 becomes 128 x 64 with no blur at the
// quadrants' edges (a target pixel there covers three quarters of one source pixel).
TEST_F(PlanetMapFiles, FilesDecodeUprightAndScaled) {
  const struct {
    const char* name;
    Saver saver;
    int width, height, largestWidth, largestHeight;
    int mapWidth, mapHeight;
    int tolerance;  // JPEG is lossy
    bool sharpEdges;
  } cases[] = {
      {"rgb.png", Saver::kPng, 96, 48, 2048, 1024, 128, 64, 0, true},
      {"palette.png", Saver::kPalettePng, 96, 48, 2048, 1024, 128, 64, 0, true},
      {"photo.jpg", Saver::kJpeg, 96, 48, 2048, 1024, 128, 64, 12, false},
      {"windows.bmp", Saver::kBmp, 96, 48, 2048, 1024, 128, 64, 0, true},
      {"tall.bmp", Saver::kBmp, 50, 300, 2048, 1024, 64, 256, 0, false},
      {"large.png", Saver::kPng, 4096, 2048, 2048, 1024, 2048, 1024, 0, true},
      {"within a small texture.png", Saver::kPng, 4096, 2048, 64, 32, 64, 32, 0, true},
  };
  for (const auto& c : cases) {
    const std::string file = path(c.name);
    saveQuadrants(file, c.saver, c.width, c.height);
    PlanetMap map;
    const char* reason = nullptr;
    ASSERT_TRUE(readPlanetMap(file.c_str(), c.largestWidth, c.largestHeight, map, reason))
        << c.name << ": " << reason;
    ASSERT_EQ(map.width, c.mapWidth) << c.name;
    ASSERT_EQ(map.height, c.mapHeight) << c.name;
    const int w = map.width, h = map.height;
    std::vector<std::array<int, 2>> probes = {
        {w / 4, h / 4}, {3 * w / 4, h / 4}, {w / 4, 3 * h / 4}, {3 * w / 4, 3 * h / 4}};
    if (c.sharpEdges) {
      probes.insert(probes.end(), {{w / 2 - 1, 0}, {w / 2, 0}, {0, h / 2 - 1}, {0, h / 2}});
    }
    for (const auto& [x, y] : probes) {
      const Rgb expected = quadrantColour(x, y, w, h);
      const Rgb got = mapPixel(map, x, y);
      for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(got[i], expected[i], c.tolerance) << c.name << " at " << x << ", " << y;
      }
    }
    EXPECT_EQ(map.rgba[3], 255) << c.name;
  }
}

void writeBytes(const std::string& file, const Bytes& bytes) {
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

Bytes readBytes(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Noise, so that the compressed data is large and a cut falls inside it.
Rgb noise(int x, int y) {
  const unsigned v = static_cast<unsigned>(x * 7919 + y * 104729) * 2654435761u;
  return {static_cast<int>(v >> 24), static_cast<int>(v >> 16 & 255),
          static_cast<int>(v >> 8 & 255)};
}

// The hostile files: each is refused with its reason, and nothing else is printed, not even by
// libpng, which complains of a damaged file on standard error by itself.
TEST_F(PlanetMapFiles, BadFilesAreRefusedWithTheirReasonAlone) {
  savePicture(path("noise.png"), Saver::kPng, 64, 64, noise);
  savePicture(path("noise.jpg"), Saver::kJpeg, 64, 64, noise);
  const Bytes png = readBytes(path("noise.png"));
  const Bytes jpeg = readBytes(path("noise.jpg"));
  ASSERT_GT(png.size(), 1000u);
  Bytes damaged = png;  // one byte of the compressed data changed: its checksum fails
  const auto idat = std::search(damaged.begin(), damaged.end(), "IDAT", "IDAT" + 4);
  ASSERT_NE(idat, damaged.end());
  idat[40] ^= 0x55;
  mkfifo(path("pipe.png").c_str(), 0600);
  writeBytes(path("empty.png"), {});
  writeBytes(path("text.png"), {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e', '\n'});
  writeBytes(path("cut.png"), cut(png, png.size() / 2));
  writeBytes(path("cut.jpg"), cut(jpeg, jpeg.size() / 2));
  writeBytes(path("damaged.png"), damaged);
  writeBytes(path("bomb.png"), pngBytes(100'000, 100'000));
  writeBytes(path("bomb.jpg"), jpegBytes(65'535, 65'535));
  writeBytes(path("bomb.bmp"), bmpBytes(30'000, 30'000, 24, 0));
  savePicture(path("dot.png"), Saver::kPng, 1, 1, noise);
  savePicture(path("strip.png"), Saver::kPng, 20'000, 10, noise);
  mkdir(path("folder.png").c_str(), 0700);

  const struct {
    const char* name;
    std::string reason;
  } cases[] = {
      {"missing.png", "cannot be opened: No such file or directory"},
      {"folder.png", "is not a regular file"},
      {"pipe.png", "is not a regular file"},
      {"empty.png", "is empty"},
      {"text.png", "is not a PNG, JPEG or BMP picture"},
      {"cut.png", "is cut short: the PNG picture ends early"},
      {"cut.jpg", "is cut short: the JPG picture ends early"},
      {"damaged.png", "cannot be decoded: "},
      {"bomb.png", "claims 100000 x 100000 pixels, more than the 268435456 a planet map may have"},
      {"bomb.jpg", "claims 65535 x 65535 pixels, more than the 268435456 a planet map may have"},
      {"bomb.bmp", "claims 30000 x 30000 pixels, more than the 268435456 a planet map may have"},
      {"dot.png", "has 1 x 1 pixels, too few for a planet map (16 on each side at least)"},
      {"strip.png", "has 20000 x 10 pixels, too few for a planet map (16 on each side at least)"},
  };
  for (const auto& c : cases) {
    PlanetMap map;
    const char* reason = nullptr;
    ::testing::internal::CaptureStderr();
    const bool read = readPlanetMap(path(c.name).c_str(), 2048, 1024, map, reason);
    const std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(read) << c.name;
    ASSERT_NE(reason, nullptr) << c.name;
    EXPECT_EQ(std::string(reason).substr(0, c.reason.size()), c.reason) << c.name;
    EXPECT_EQ(printed, "") << c.name;
    EXPECT_EQ(map.rgba, nullptr) << c.name;
  }
}

}  // namespace
