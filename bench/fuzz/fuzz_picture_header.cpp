// Fuzz target for the user's planet maps before any library decodes them: the header reader on
// arbitrary file bytes, and the box filter on a picture and target sizes taken from the input.
// Both must stay inside the bytes they are given; a header states no negative size.
#include <cstddef>
#include <cstdint>

#include "image/picture_header.h"
#include "image/picture_scale.h"

namespace {

constexpr std::size_t kSizeBytes = 5;  // source width, height, target width, height, pixel bytes
unsigned char scaled[128 * 128 * 4];

void scaleFromInput(const std::uint8_t* data, std::size_t size) {
  if (size < kSizeBytes) return;
  PictureView view;
  view.width = 1 + data[0] % 64;
  view.height = 1 + data[1] % 64;
  view.pixelBytes = 3 + data[4] % 2;
  view.blueAt = view.pixelBytes - 1;  // the last byte of the pixel
  view.rowBytes = static_cast<std::ptrdiff_t>(view.width) * view.pixelBytes;
  const std::size_t needed = static_cast<std::size_t>(view.rowBytes) * view.height;
  if (size - kSizeBytes < needed) return;
  view.pixels = data + kSizeBytes;
  const int width = 1 + data[2] % 128;
  const int height = 1 + data[3] % 128;
  if (!scalePicture(view, width, height, scaled)) __builtin_trap();
  for (int i = 0; i < width * height; ++i) {
    if (scaled[i * 4 + 3] != 255) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const PictureHeader header = readPictureHeader(data, size);
  if (header.width < 0 || header.height < 0) __builtin_trap();
  if (header.kind == PictureKind::kUnknown && (header.width != 0 || header.complete)) {
    __builtin_trap();
  }
  scaleFromInput(data, size);
  return 0;
}
