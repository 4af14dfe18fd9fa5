// Screenshots as plain RGB pixels and the measurements the end-to-end tests make on them:
// brightness, colour classes, the largest lit blob (the planet), and PNG files for inspection.
#include "screen_image.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <queue>
#include <set>

namespace e2e {

namespace {

constexpr size_t kStoredBlockBytes = 65535;  // the largest uncompressed deflate block

uint32_t crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> entries{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      entries[n] = c;
    }
    return entries;
  }();
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

uint32_t adler32(const std::vector<uint8_t>& data) {
  uint32_t a = 1, b = 0;
  for (uint8_t byte : data) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

void putBigEndian(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void writeChunk(std::ofstream& file, const char* type, const std::vector<uint8_t>& payload) {
  std::vector<uint8_t> chunk;
  putBigEndian(chunk, static_cast<uint32_t>(payload.size()));
  chunk.insert(chunk.end(), type, type + 4);
  chunk.insert(chunk.end(), payload.begin(), payload.end());
  putBigEndian(chunk, crc32(chunk.data() + 4, chunk.size() - 4));
  file.write(reinterpret_cast<const char*>(chunk.data()),
             static_cast<std::streamsize>(chunk.size()));
}

// A zlib stream of stored (uncompressed) deflate blocks: valid and simple.
std::vector<uint8_t> zlibStored(const std::vector<uint8_t>& raw) {
  std::vector<uint8_t> out = {0x78, 0x01};
  size_t offset = 0;
  do {
    const size_t length = std::min(kStoredBlockBytes, raw.size() - offset);
    const bool last = offset + length == raw.size();
    out.push_back(last ? 1 : 0);
    out.push_back(static_cast<uint8_t>(length & 0xFF));
    out.push_back(static_cast<uint8_t>(length >> 8));
    out.push_back(static_cast<uint8_t>(~length & 0xFF));
    out.push_back(static_cast<uint8_t>((~length >> 8) & 0xFF));
    out.insert(out.end(), raw.begin() + static_cast<long>(offset),
               raw.begin() + static_cast<long>(offset + length));
    offset += length;
  } while (offset < raw.size());
  putBigEndian(out, adler32(raw));
  return out;
}

}  // namespace

int Rgb::maxChannel() const {
  return std::max({r, g, b});
}

int Rgb::minChannel() const {
  return std::min({r, g, b});
}

Rgb Image::at(int x, int y) const {
  const size_t i = (static_cast<size_t>(y) * width + x) * 3;
  return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

bool Image::savePng(const std::string& path) const {
  if (empty()) return false;
  std::ofstream file(path, std::ios::binary);
  if (!file) return false;
  static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  file.write(reinterpret_cast<const char*>(signature), 8);
  std::vector<uint8_t> header;
  putBigEndian(header, static_cast<uint32_t>(width));
  putBigEndian(header, static_cast<uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
  writeChunk(file, "IHDR", header);
  std::vector<uint8_t> raw;
  raw.reserve(static_cast<size_t>(height) * (width * 3 + 1));
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // filter type None
    const auto row = rgb.begin() + static_cast<long>(static_cast<size_t>(y) * width * 3);
    raw.insert(raw.end(), row, row + width * 3);
  }
  writeChunk(file, "IDAT", zlibStored(raw));
  writeChunk(file, "IEND", {});
  return static_cast<bool>(file);
}

double meanBrightness(const Image& image, Rect area) {
  double sum = 0;
  long count = 0;
  forEachPixel(image, area, [&](int, int, Rgb pixel) {
    sum += (pixel.r + pixel.g + pixel.b) / 3.0;
    ++count;
  });
  return count > 0 ? sum / count : 0;
}

double Blob::equivalentRadius() const {
  return std::sqrt(areaPixels() / 3.14159265358979);
}

std::vector<Blob> litBlobs(const Image& image, int minChannel, int cellSize) {
  const int columns = image.width / cellSize;
  const int rows = image.height / cellSize;
  std::vector<uint8_t> lit(static_cast<size_t>(columns) * rows, 0);
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      int count = 0;
      forEachPixel(image, {column * cellSize, row * cellSize, cellSize, cellSize},
                   [&](int, int, Rgb pixel) { count += pixel.maxChannel() >= minChannel; });
      lit[static_cast<size_t>(row) * columns + column] = 2 * count >= cellSize * cellSize;
    }
  }

  std::vector<Blob> blobs;
  std::vector<uint8_t> seen(lit.size(), 0);
  for (size_t startCell = 0; startCell < lit.size(); ++startCell) {
    if (!lit[startCell] || seen[startCell]) continue;
    Blob blob;
    blob.cellSize = cellSize;
    int left = columns, top = rows, right = -1, bottom = -1;
    double sumX = 0, sumY = 0;
    std::queue<size_t> pending;
    pending.push(startCell);
    seen[startCell] = 1;
    while (!pending.empty()) {
      const size_t cell = pending.front();
      pending.pop();
      const int column = static_cast<int>(cell % columns);
      const int row = static_cast<int>(cell / columns);
      ++blob.cells;
      sumX += column;
      sumY += row;
      left = std::min(left, column);
      right = std::max(right, column);
      top = std::min(top, row);
      bottom = std::max(bottom, row);
      const int neighbours[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
      for (const auto& step : neighbours) {
        const int c = column + step[0];
        const int r = row + step[1];
        if (c < 0 || r < 0 || c >= columns || r >= rows) continue;
        const size_t next = static_cast<size_t>(r) * columns + c;
        if (lit[next] && !seen[next]) {
          seen[next] = 1;
          pending.push(next);
        }
      }
    }
    blob.centerX = (sumX / blob.cells + 0.5) * cellSize;
    blob.centerY = (sumY / blob.cells + 0.5) * cellSize;
    blob.box = {left * cellSize, top * cellSize, (right - left + 1) * cellSize,
                (bottom - top + 1) * cellSize};
    blobs.push_back(blob);
  }
  std::sort(blobs.begin(), blobs.end(),
            [](const Blob& a, const Blob& b) { return a.cells > b.cells; });
  return blobs;
}

int distinctColours(const Image& image, double centerX, double centerY, double radius,
                    int minChannel) {
  std::set<int> colours;
  const Rect area = {static_cast<int>(centerX - radius), static_cast<int>(centerY - radius),
                     static_cast<int>(2 * radius) + 1, static_cast<int>(2 * radius) + 1};
  forEachPixel(image, area, [&](int x, int y, Rgb pixel) {
    const double dx = x - centerX, dy = y - centerY;
    if (dx * dx + dy * dy > radius * radius || pixel.maxChannel() < minChannel) return;
    colours.insert(((pixel.r >> 5) << 6) | ((pixel.g >> 5) << 3) | (pixel.b >> 5));
  });
  return static_cast<int>(colours.size());
}

int isolatedPoints(const Image& image, Rect area, int minChannel, int maxNeighbours) {
  // Summed-area table of the lit mask, one row and column of zeros in front.
  const int w = image.width, h = image.height;
  std::vector<int> sums(static_cast<size_t>(w + 1) * (h + 1), 0);
  for (int y = 0; y < h; ++y) {
    int rowSum = 0;
    for (int x = 0; x < w; ++x) {
      rowSum += image.at(x, y).maxChannel() >= minChannel;
      sums[static_cast<size_t>(y + 1) * (w + 1) + x + 1] =
          sums[static_cast<size_t>(y) * (w + 1) + x + 1] + rowSum;
    }
  }
  auto litIn = [&](int x0, int y0, int x1, int y1) {  // inclusive corners, clipped
    x0 = std::max(x0, 0), y0 = std::max(y0, 0), x1 = std::min(x1, w - 1), y1 = std::min(y1, h - 1);
    auto at = [&](int x, int y) { return sums[static_cast<size_t>(y) * (w + 1) + x]; };
    return at(x1 + 1, y1 + 1) - at(x0, y1 + 1) - at(x1 + 1, y0) + at(x0, y0);
  };
  int count = 0;
  forEachPixel(image, area, [&](int x, int y, Rgb pixel) {
    if (pixel.maxChannel() < minChannel) return;
    count += litIn(x - 3, y - 3, x + 3, y + 3) - 1 <= maxNeighbours;
  });
  return count;
}

int sharpDots(const Image& image, Rect area, int rise,
              const std::function<bool(int, int)>& counts) {
  int count = 0;
  forEachPixel(image, area, [&](int x, int y, Rgb pixel) {
    if (x < 2 || y < 2 || x >= image.width - 2 || y >= image.height - 2) return;
    if (!counts(x, y)) return;
    int ring = 0;
    for (int d = -2; d <= 2; ++d) {
      ring += image.at(x + d, y - 2).brightness() + image.at(x + d, y + 2).brightness();
    }
    for (int d = -1; d <= 1; ++d) {
      ring += image.at(x - 2, y + d).brightness() + image.at(x + 2, y + d).brightness();
    }
    count += pixel.brightness() >= ring / 16 + rise;
  });
  return count;
}

}  // namespace e2e
