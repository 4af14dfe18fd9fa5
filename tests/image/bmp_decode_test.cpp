// BMP decoding on plain bytes: row order, channel order, both alpha rules and files that
// end early or hold nothing at all.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "image/bmp.h"
#include "image_files.h"

namespace {

using imagetest::makeBmp;
using imagetest::Rgb8;

std::vector<unsigned char> decode(const std::vector<unsigned char>& file, int n, int alphaValue,
                                  int threshold) {
  std::vector<unsigned char> rgba(static_cast<std::size_t>(n) * n * 4, 0xAB);
  decodeBmpImage(file.data(), file.size(), n, alphaValue, threshold, rgba.data());
  return rgba;
}

std::array<int, 4> pixelAt(const std::vector<unsigned char>& rgba, int n, int memoryRow,
                           int column) {
  const unsigned char* p = &rgba[(static_cast<std::size_t>(memoryRow) * n + column) * 4];
  return {p[0], p[1], p[2], p[3]};
}

TEST(BmpDecode, FirstStoredRowBecomesTheLastMemoryRow) {
  const int n = 256;
  const auto file = makeBmp(n, [](int row, int) { return row == 0 ? Rgb8{255, 0, 0} : Rgb8{}; });
  const auto rgba = decode(file, n, 255, 0);
  for (int column = 0; column < n; ++column) {
    ASSERT_EQ(pixelAt(rgba, n, n - 1, column), (std::array<int, 4>{255, 0, 0, 255})) << column;
    ASSERT_EQ(pixelAt(rgba, n, 0, column), (std::array<int, 4>{0, 0, 0, 255})) << column;
  }
  // Every other row is black and, with threshold 0, still opaque.
  for (int row = 0; row < n - 1; ++row) ASSERT_EQ(pixelAt(rgba, n, row, 7)[0], 0) << row;
}

TEST(BmpDecode, PixelsAreStoredBlueGreenRedLeftToRight) {
  const int n = 4;
  const auto file = makeBmp(n, [](int row, int column) {
    return Rgb8{static_cast<unsigned char>(10 * row + column), static_cast<unsigned char>(100),
                static_cast<unsigned char>(200 + column)};
  });
  EXPECT_EQ(file[54], 200);  // blue first in the file
  const auto rgba = decode(file, n, 255, 0);
  EXPECT_EQ(pixelAt(rgba, n, 3, 0), (std::array<int, 4>{0, 100, 200, 255}));
  EXPECT_EQ(pixelAt(rgba, n, 3, 3), (std::array<int, 4>{3, 100, 203, 255}));
  EXPECT_EQ(pixelAt(rgba, n, 0, 2), (std::array<int, 4>{32, 100, 202, 255}));
}

TEST(BmpDecode, AverageModeTakesAlphaFromBrightness) {
  const int n = 128;
  const auto file = makeBmp(n, [](int, int column) {
    if (column == 0) return Rgb8{30, 60, 90};
    if (column == 1) return Rgb8{0, 0, 0};
    if (column == 2) return Rgb8{255, 255, 255};
    return Rgb8{1, 1, 2};  // 4 / 3 truncates to 1
  });
  const auto rgba = decode(file, n, -1, 0);
  EXPECT_EQ(pixelAt(rgba, n, 5, 0), (std::array<int, 4>{30, 60, 90, 60}));
  EXPECT_EQ(pixelAt(rgba, n, 5, 1)[3], 0);
  EXPECT_EQ(pixelAt(rgba, n, 5, 2)[3], 255);
  EXPECT_EQ(pixelAt(rgba, n, 5, 3)[3], 1);
}

TEST(BmpDecode, ThresholdModeGivesAlphaWhereAnyChannelReachesIt) {
  const int n = 4;
  const auto file = makeBmp(n, [](int, int column) {
    const std::array<Rgb8, 4> colours{Rgb8{99, 99, 99}, Rgb8{0, 0, 100}, Rgb8{100, 0, 0},
                                      Rgb8{0, 0, 0}};
    return colours[column];
  });
  const auto rgba = decode(file, n, 200, 100);
  EXPECT_EQ(pixelAt(rgba, n, 0, 0)[3], 0);
  EXPECT_EQ(pixelAt(rgba, n, 0, 1)[3], 200);
  EXPECT_EQ(pixelAt(rgba, n, 0, 2)[3], 200);
  // Planet images: alpha 255 with threshold 0 makes even black pixels opaque.
  EXPECT_EQ(pixelAt(decode(file, n, 255, 0), n, 0, 3)[3], 255);
}

TEST(BmpDecode, MissingBytesReadAs255) {
  const int n = 128;
  auto file = makeBmp(n, [](int, int) { return Rgb8{10, 20, 200}; });
  file.resize(54 + 3 + 1);  // one whole pixel, then only the blue byte of the next
  const auto average = decode(file, n, -1, 0);
  const int lastRow = n - 1;
  EXPECT_EQ(pixelAt(average, n, lastRow, 0), (std::array<int, 4>{10, 20, 200, 76}));
  // (200 - 1 - 1) / 3 from the values read: 66.
  EXPECT_EQ(pixelAt(average, n, lastRow, 1), (std::array<int, 4>{255, 255, 200, 66}));
  // Nothing but missing bytes: -3 / 3 = -1, stored as 255.
  EXPECT_EQ(pixelAt(average, n, lastRow, 2), (std::array<int, 4>{255, 255, 255, 255}));
  EXPECT_EQ(pixelAt(average, n, 0, n - 1), (std::array<int, 4>{255, 255, 255, 255}));

  // Threshold mode compares the -1 read, not the 255 stored.
  const auto opaque = decode(file, n, 255, 0);
  EXPECT_EQ(pixelAt(opaque, n, lastRow, 1)[3], 255);  // its blue byte was read
  EXPECT_EQ(pixelAt(opaque, n, lastRow, 2)[3], 0);
  EXPECT_EQ(pixelAt(decode(file, n, 255, -1), n, lastRow, 2)[3], 255);
}

TEST(BmpDecode, EmptyOrHeaderOnlyFilesDecodeAsWhite) {
  const int n = 128;
  const std::vector<unsigned char> white(static_cast<std::size_t>(n) * n * 4, 255);
  EXPECT_EQ(decode({}, n, -1, 0), white);
  EXPECT_EQ(decode(std::vector<unsigned char>(30, 0), n, -1, 0), white);
  EXPECT_EQ(decode(std::vector<unsigned char>(54, 0), n, -1, 0), white);

  std::vector<unsigned char> rgba(static_cast<std::size_t>(n) * n * 4, 0);
  decodeBmpImage(nullptr, 0, n, -1, 0, rgba.data());
  EXPECT_EQ(rgba, white);
}

TEST(BmpDecode, NonPositiveSizeWritesNothing) {
  std::vector<unsigned char> rgba(16, 7);
  const auto file = makeBmp(2, [](int, int) { return Rgb8{1, 2, 3}; });
  decodeBmpImage(file.data(), file.size(), 0, -1, 0, rgba.data());
  decodeBmpImage(file.data(), file.size(), -5, -1, 0, rgba.data());
  EXPECT_EQ(rgba, std::vector<unsigned char>(16, 7));
}

}  // namespace
