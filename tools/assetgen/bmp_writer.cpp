// Encoding pictures as 24-bit BMP files with the classic BITMAPINFOHEADER.
// Stored bottom-up, as every image viewer expects for a positive height.
#include "bmp_writer.h"

#include <cstdint>
#include <fstream>

namespace assetgen {

namespace {

constexpr int kInfoHeaderBytes = 40;
constexpr int kPixelsPerMetre = 2835;  // 72 dots per inch, the usual neutral value

void putU16(std::vector<unsigned char>& out, std::uint16_t value) {
  out.push_back(static_cast<unsigned char>(value & 0xFF));
  out.push_back(static_cast<unsigned char>(value >> 8));
}

void putU32(std::vector<unsigned char>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    out.push_back(static_cast<unsigned char>((value >> shift) & 0xFF));
  }
}

}  // namespace

std::vector<unsigned char> encodeBmp(const Picture& picture) {
  const std::uint32_t rowBytes = (static_cast<std::uint32_t>(picture.width) * 3 + 3) & ~3u;
  const std::uint32_t dataBytes = rowBytes * static_cast<std::uint32_t>(picture.height);
  std::vector<unsigned char> out;
  out.reserve(kBmpHeaderBytes + dataBytes);

  out.push_back('B');
  out.push_back('M');
  putU32(out, kBmpHeaderBytes + dataBytes);  // file size
  putU32(out, 0);                            // two reserved 16-bit fields
  putU32(out, kBmpHeaderBytes);              // offset of the pixel data

  putU32(out, kInfoHeaderBytes);
  putU32(out, static_cast<std::uint32_t>(picture.width));
  putU32(out, static_cast<std::uint32_t>(picture.height));  // positive: bottom row first
  putU16(out, 1);                                           // colour planes
  putU16(out, 24);                                          // bits per pixel
  putU32(out, 0);                                           // BI_RGB, uncompressed
  putU32(out, dataBytes);
  putU32(out, kPixelsPerMetre);
  putU32(out, kPixelsPerMetre);
  putU32(out, 0);  // palette colours
  putU32(out, 0);  // important colours

  for (int y = picture.height - 1; y >= 0; --y) {
    for (int x = 0; x < picture.width; ++x) {
      const Color& c = picture.at(x, y);
      out.push_back(toByte(c.b));
      out.push_back(toByte(c.g));
      out.push_back(toByte(c.r));
    }
    for (std::uint32_t pad = static_cast<std::uint32_t>(picture.width) * 3; pad < rowBytes; ++pad) {
      out.push_back(0);
    }
  }
  return out;
}

bool writeBmp(const std::string& path, const Picture& picture) {
  const std::vector<unsigned char> bytes = encodeBmp(picture);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

}  // namespace assetgen
