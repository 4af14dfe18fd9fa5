// Preview for the documentation: a generated planet map on a lit sphere, read with the program's
// row order and texture layout. krateon-globe MAP.bmp OUT.bmp [SIZE] [LONGITUDE_DEG] [TILT_DEG]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "../bmp_writer.h"
#include "../image.h"

namespace {

using assetgen::Color;
using assetgen::Picture;

constexpr double kPi = 3.141592653589793;
constexpr int kHeaderWidthOffset = 18;
constexpr int kHeaderHeightOffset = 22;
constexpr double kDefaultStacks = 30.0;  // the program's default tessellation

long readLe32(const std::vector<unsigned char>& bytes, std::size_t at) {
  return static_cast<long>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                           static_cast<unsigned>(bytes[at + 3]) << 24);
}

// The texture as the program holds it: memory row 0 (t = 0) is the last row stored in the file.
struct Texture {
  int size = 0;
  std::vector<Color> texels;  // memory rows, t = 0 first
  Color at(int s, int t) const {
    s = ((s % size) + size) % size;  // the program's textures repeat
    t = ((t % size) + size) % size;
    return texels[static_cast<std::size_t>(t) * size + s];
  }
  Color sample(double s, double t) const {  // bilinear, coordinates 0..1
    const double x = s * size - 0.5;
    const double y = t * size - 0.5;
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const double fx = x - x0;
    const double fy = y - y0;
    return assetgen::mix(assetgen::mix(at(x0, y0), at(x0 + 1, y0), fx),
                         assetgen::mix(at(x0, y0 + 1), at(x0 + 1, y0 + 1), fx), fy);
  }
};

bool loadTexture(const char* path, Texture& texture) {
  std::ifstream file(path, std::ios::binary);
  const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)),
                                         std::istreambuf_iterator<char>());
  if (bytes.size() < static_cast<std::size_t>(assetgen::kBmpHeaderBytes)) return false;
  const long width = readLe32(bytes, kHeaderWidthOffset);
  const long height = readLe32(bytes, kHeaderHeightOffset);
  if (width != height || width <= 0 || width > 4096) return false;
  const std::size_t n = static_cast<std::size_t>(width);
  if (bytes.size() < assetgen::kBmpHeaderBytes + 3 * n * n) return false;
  texture.size = static_cast<int>(n);
  texture.texels.resize(n * n);
  for (std::size_t stored = 0; stored < n; ++stored) {
    const std::size_t memoryRow = n - 1 - stored;  // the first stored row lands at t = 1
    for (std::size_t x = 0; x < n; ++x) {
      const unsigned char* px = &bytes[assetgen::kBmpHeaderBytes + 3 * (stored * n + x)];
      texture.texels[memoryRow * n + x] = {px[2] / 255.0, px[1] / 255.0, px[0] / 255.0};
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: krateon-globe MAP.bmp OUT.bmp [SIZE] [LONGITUDE] [TILT]\n");
    return 2;
  }
  Texture texture;
  if (!loadTexture(argv[1], texture)) {
    std::fprintf(stderr, "krateon-globe: cannot read %s as a square 24-bit BMP\n", argv[1]);
    return 1;
  }
  const int size = argc > 3 ? std::atoi(argv[3]) : 256;
  const double centre = (argc > 4 ? std::atof(argv[4]) : 0.0) * kPi / 180.0;
  const double tilt = (argc > 5 ? std::atof(argv[5]) : 20.0) * kPi / 180.0;
  if (size < 8 || size > 2048) return 2;

  Picture view(size, size);
  const double lx = -0.45, ly = 0.45, lz = 0.77;  // light from the upper left, front
  for (int j = 0; j < size; ++j) {
    for (int i = 0; i < size; ++i) {
      const double x = (i + 0.5) / size * 2.0 - 1.0;
      const double y = 1.0 - (j + 0.5) / size * 2.0;
      const double rr = x * x + y * y;
      if (rr > 1.0) continue;
      const double z = std::sqrt(1.0 - rr);
      // Tip the north pole towards the viewer, then find the point's sphere coordinates: pole
      // axis y, longitude 0 at +z growing towards +x, as the program's sphere mesh has them.
      const double py = y * std::cos(tilt) + z * std::sin(tilt);
      const double pz = z * std::cos(tilt) - y * std::sin(tilt);
      const double longitude = std::atan2(x, pz) + centre;
      const double colatitude = std::acos(std::fmax(-1.0, std::fmin(1.0, py)));
      const double s = longitude / (2.0 * kPi);
      const double t = colatitude / kPi * (kDefaultStacks - 1.0) / kDefaultStacks;
      const double light = 0.25 + 0.75 * std::fmax(0.0, x * lx + y * ly + z * lz);
      view.at(i, j) = texture.sample(s - std::floor(s), t) * light;
    }
  }
  return assetgen::writeBmp(argv[2], view) ? 0 : 1;
}
