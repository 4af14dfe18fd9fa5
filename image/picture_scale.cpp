// The box filter: a target pixel is the mean of the source area it covers, partly covered
// source pixels counted by their share. Works a row at a time, with no allocation.
#include "image/picture_scale.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kColours = 3;
constexpr unsigned char kOpaque = 255;

// The source pixels one target pixel covers along one axis: first..last, the first and last
// weighted by the share of them that is covered, every one between by 1. Weights are in source
// pixels; `scale` (target pixels per source pixel) turns a sum of them into a mean.
struct Span {
  int first;
  int last;
  float firstWeight;
  float lastWeight;
};

Span columnSpans[kLargestScaledSide];
Span rowSpans[kLargestScaledSide];
float rowSum[kLargestScaledSide * kColours];  // one source row, filtered across
float outputSum[kLargestScaledSide * kColours];

// Target pixel i covers source coordinates [i * step, (i + 1) * step), step = source / target.
void computeSpans(int source, int target, Span* spans) {
  const double step = static_cast<double>(source) / target;
  for (int i = 0; i < target; ++i) {
    const double begin = i * step;
    const double end = std::min((i + 1) * step, static_cast<double>(source));
    Span& span = spans[i];
    span.first = static_cast<int>(begin);
    span.last = std::max(span.first, static_cast<int>(std::ceil(end)) - 1);
    if (span.first == span.last) {
      span.firstWeight = span.lastWeight = static_cast<float>(end - begin);
    } else {
      span.firstWeight = static_cast<float>(span.first + 1 - begin);
      span.lastWeight = static_cast<float>(end - span.last);
    }
  }
}

float weightOf(const Span& span, int index) {
  if (index == span.first) return span.firstWeight;
  return index == span.last ? span.lastWeight : 1.0f;
}

// Source row `y` filtered across into rowSum: per target column, the weighted colour sums.
void filterRow(const PictureView& picture, int y, int width) {
  const unsigned char* row = picture.pixels + y * picture.rowBytes;
  for (int x = 0; x < width; ++x) {
    const Span& span = columnSpans[x];
    float sum[kColours] = {0, 0, 0};
    for (int column = span.first; column <= span.last; ++column) {
      const unsigned char* pixel = row + static_cast<std::ptrdiff_t>(column) * picture.pixelBytes;
      const float w = weightOf(span, column);
      sum[0] += w * pixel[picture.redAt];
      sum[1] += w * pixel[picture.greenAt];
      sum[2] += w * pixel[picture.blueAt];
    }
    for (int c = 0; c < kColours; ++c) rowSum[x * kColours + c] = sum[c];
  }
}

unsigned char toChannel(float value) {
  return static_cast<unsigned char>(std::clamp(std::lround(value), 0L, 255L));
}

}  // namespace

int powerOfTwoSide(long long side, int largest) {
  if (side < 1) return 1;
  int limit = 1;
  while (limit <= largest / 2) limit *= 2;
  int power = 1;
  // Up while the next power is nearer: side >= the geometric mean of power and 2 * power.
  while (power < limit && side * side >= 2LL * power * power) power *= 2;
  return power;
}

bool scalePicture(const PictureView& picture, int width, int height, unsigned char* rgba) {
  if (picture.pixels == nullptr || picture.width < 1 || picture.height < 1 || width < 1 ||
      height < 1 || width > kLargestScaledSide || height > kLargestScaledSide || rgba == nullptr) {
    return false;
  }
  computeSpans(picture.width, width, columnSpans);
  computeSpans(picture.height, height, rowSpans);
  const float scale = static_cast<float>(static_cast<double>(width) * height /
                                         (static_cast<double>(picture.width) * picture.height));
  for (int y = 0; y < height; ++y) {
    const Span& span = rowSpans[y];
    std::fill(outputSum, outputSum + width * kColours, 0.0f);
    for (int row = span.first; row <= span.last; ++row) {
      filterRow(picture, row, width);
      const float w = weightOf(span, row);
      for (int i = 0; i < width * kColours; ++i) outputSum[i] += w * rowSum[i];
    }
    unsigned char* out = rgba + static_cast<std::ptrdiff_t>(y) * width * 4;
    for (int x = 0; x < width; ++x, out += 4) {
      for (int c = 0; c < kColours; ++c) out[c] = toChannel(outputSum[x * kColours + c] * scale);
      out[3] = kOpaque;
    }
  }
  return true;
}
