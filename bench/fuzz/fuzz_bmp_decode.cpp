// Fuzz target for BMP decoding: arbitrary file bytes through both image sizes and both alpha
// rules. The decoder must stay inside the bytes it is given and fill the whole image.
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "image/bmp.h"

namespace {

constexpr int kSizes[] = {128, 256};

struct AlphaRule {
  int alphaValue;
  int threshold;
};
// Sprites (brightness), planets (opaque) and a threshold that splits bright from dark.
constexpr AlphaRule kRules[] = {{-1, 0}, {255, 0}, {200, 128}};

unsigned char image[256 * 256 * 4];

// In threshold mode every alpha is either 0 or the low byte of alphaValue.
void checkThresholdAlpha(int n, int alphaValue) {
  const auto expected = static_cast<unsigned char>(alphaValue);
  for (int i = 0; i < n * n; ++i) {
    const unsigned char alpha = image[i * 4 + 3];
    if (alpha != 0 && alpha != expected) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The input's length picks the alpha rule, so one input costs two decodes, not six, and
  // the mutator's length changes walk through all three rules.
  const AlphaRule& rule = kRules[size % std::size(kRules)];
  for (int n : kSizes) {
    decodeBmpImage(data, size, n, rule.alphaValue, rule.threshold, image);
    if (rule.alphaValue >= 0) checkThresholdAlpha(n, rule.alphaValue);
    // The file's last pixel lands in memory row 0, last column; when the file is short its
    // red byte (the last one) is missing and must read as 255.
    if (size < bmpFileBytes(n) && image[(n - 1) * 4] != 255) __builtin_trap();
  }
  return 0;
}
