// Encoding translucent pictures as RGBA PNG files with libpng's write interface.
// libpng reports errors by longjmp, so this file keeps no C++ objects alive across its calls.
#include "png_writer.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

namespace assetgen {

namespace {

constexpr int kChannels = 4;

// The picture as the rows of bytes libpng takes, red, green, blue, alpha per pixel.
std::vector<png_byte> rgbaBytes(const TranslucentPicture& picture) {
  const Picture& colour = picture.colour;
  std::vector<png_byte> bytes;
  bytes.reserve(colour.pixels.size() * kChannels);
  for (std::size_t i = 0; i < colour.pixels.size(); ++i) {
    bytes.push_back(toByte(colour.pixels[i].r));
    bytes.push_back(toByte(colour.pixels[i].g));
    bytes.push_back(toByte(colour.pixels[i].b));
    bytes.push_back(toByte(picture.opacity[i]));
  }
  return bytes;
}

// Runs libpng on an open file; false when libpng signals an error.
bool encodeInto(std::FILE* file, int width, int height, std::vector<png_bytep>& rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 9);
  png_write_info(png, info);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool writePng(const std::string& path, const TranslucentPicture& picture) {
  const Picture& colour = picture.colour;
  if (colour.width <= 0 || colour.height <= 0 || picture.opacity.size() != colour.pixels.size()) {
    return false;
  }
  std::vector<png_byte> bytes = rgbaBytes(picture);
  std::vector<png_bytep> rows(static_cast<std::size_t>(colour.height));
  for (int y = 0; y < colour.height; ++y) {
    rows[static_cast<std::size_t>(y)] =
        bytes.data() + static_cast<std::size_t>(y) * colour.width * kChannels;
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool encoded = encodeInto(file, colour.width, colour.height, rows);
  const bool closed = std::fclose(file) == 0;
  return encoded && closed;
}

}  // namespace assetgen
