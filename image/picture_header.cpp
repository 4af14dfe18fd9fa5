// Picture headers: the kind of a PNG, JPEG or BMP file from its signature, its size from the
// header, and a walk over its structure that tells a whole file from one cut short.
#include "image/picture_header.h"

#include <cstring>

namespace {

constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t kPngChunkOverhead = 12;  // length, type and checksum around the data
constexpr std::size_t kPngIhdrLength = 13;
constexpr unsigned long long kPngLargestChunk = 0x7FFFFFFFULL;

constexpr unsigned char kJpegMarker = 0xFF;
constexpr unsigned char kJpegStartOfImage = 0xD8;
constexpr unsigned char kJpegEndOfImage = 0xD9;
constexpr unsigned char kJpegStartOfScan = 0xDA;
constexpr std::size_t kJpegFrameHeaderLength = 7;  // up to and including the width

constexpr std::size_t kBmpDataOffsetAt = 10;
constexpr std::size_t kBmpInfoSizeAt = 14;
constexpr std::size_t kBmpCoreInfoSize = 12;  // the old header with 16-bit sizes
constexpr std::size_t kBmpWindowsInfoSize = 40;
constexpr unsigned kBmpUncompressed = 0;
constexpr unsigned kBmpBitFields = 3;
constexpr unsigned kBmpAlphaBitFields = 6;

// Big- and little-endian unsigned numbers of `count` bytes at `at`; the caller checks the bounds.
unsigned long long bigEndian(const unsigned char* bytes, std::size_t at, int count) {
  unsigned long long value = 0;
  for (int i = 0; i < count; ++i) value = value << 8 | bytes[at + i];
  return value;
}

unsigned long long littleEndian(const unsigned char* bytes, std::size_t at, int count) {
  unsigned long long value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[at + i];
  return value;
}

long long signed32(unsigned long long value) {
  return value >= 0x80000000ULL ? static_cast<long long>(value) - 0x100000000LL
                                : static_cast<long long>(value);
}

// IHDR must come first; the file is whole when every chunk up to IEND is.
void readPng(const unsigned char* bytes, std::size_t size, PictureHeader& header) {
  const std::size_t ihdr = sizeof kPngSignature;
  if (size >= ihdr + 8 + 8 && bigEndian(bytes, ihdr, 4) == kPngIhdrLength &&
      std::memcmp(bytes + ihdr + 4, "IHDR", 4) == 0) {
    header.width = static_cast<long long>(bigEndian(bytes, ihdr + 8, 4));
    header.height = static_cast<long long>(bigEndian(bytes, ihdr + 12, 4));
  }
  for (std::size_t at = ihdr; size - at >= kPngChunkOverhead;) {
    const unsigned long long length = bigEndian(bytes, at, 4);
    if (length > kPngLargestChunk || length > size - at - kPngChunkOverhead) return;
    if (std::memcmp(bytes + at + 4, "IEND", 4) == 0) {
      header.complete = true;
      return;
    }
    at += kPngChunkOverhead + static_cast<std::size_t>(length);
  }
}

bool isJpegFrameHeader(unsigned char marker) {
  // C4 (Huffman tables), C8 (reserved) and CC (arithmetic conditioning) share the range.
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool hasNoLength(unsigned char marker) {
  return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8);  // TEM, restarts, start of image
}

// Whether the end marker follows `from`. Inside entropy-coded data a 0xFF is always followed by
// a 0 or a restart marker, so FF D9 there can only be the end.
bool endMarkerFollows(const unsigned char* bytes, std::size_t size, std::size_t from) {
  for (std::size_t at = from; at + 1 < size; ++at) {
    if (bytes[at] == kJpegMarker && bytes[at + 1] == kJpegEndOfImage) return true;
  }
  return false;
}

// Marker segments from the start of the image to the first scan, skipped by their lengths (so
// that a thumbnail inside an APP segment is never mistaken for the picture); the first frame
// header gives the size.
void readJpeg(const unsigned char* bytes, std::size_t size, PictureHeader& header) {
  bool framed = false;
  std::size_t at = 2;
  while (at < size && bytes[at] == kJpegMarker) {
    while (at < size && bytes[at] == kJpegMarker) ++at;  // fill bytes may pad a marker
    if (at >= size) return;
    const unsigned char marker = bytes[at++];
    if (hasNoLength(marker)) continue;
    if (marker == kJpegEndOfImage || size - at < 2) return;
    const std::size_t length = static_cast<std::size_t>(bigEndian(bytes, at, 2));
    if (length < 2 || length > size - at) return;
    if (isJpegFrameHeader(marker) && !framed && length >= kJpegFrameHeaderLength) {
      header.height = static_cast<long long>(bigEndian(bytes, at + 3, 2));
      header.width = static_cast<long long>(bigEndian(bytes, at + 5, 2));
      framed = true;
    }
    if (marker == kJpegStartOfScan) {
      header.complete = framed && endMarkerFollows(bytes, size, at + length);
      return;
    }
    at += length;
  }
}

// The pixel data of an uncompressed BMP is rows of whole 32-bit words; a compressed one is
// taken as whole when it has any data at all (its decoder tells a short one).
bool bmpDataPresent(std::size_t size, unsigned long long dataOffset, long long width,
                    long long height, unsigned bitsPerPixel, unsigned compression) {
  if (dataOffset >= size) return false;
  const bool uncompressed = compression == kBmpUncompressed || compression == kBmpBitFields ||
                            compression == kBmpAlphaBitFields;
  if (!uncompressed) return true;
  const unsigned long long rowBytes =
      (static_cast<unsigned long long>(width) * bitsPerPixel + 31) / 32 * 4;
  const unsigned long long available = size - dataOffset;
  const auto rows = static_cast<unsigned long long>(height);
  return rows == 0 || rowBytes <= available / rows;
}

void readBmp(const unsigned char* bytes, std::size_t size, PictureHeader& header) {
  if (size < kBmpInfoSizeAt + 4) return;
  const unsigned long long infoSize = littleEndian(bytes, kBmpInfoSizeAt, 4);
  unsigned bitsPerPixel = 0;
  unsigned compression = kBmpUncompressed;
  if (infoSize == kBmpCoreInfoSize && size >= kBmpInfoSizeAt + kBmpCoreInfoSize) {
    header.width = static_cast<long long>(littleEndian(bytes, 18, 2));
    header.height = static_cast<long long>(littleEndian(bytes, 20, 2));
    bitsPerPixel = static_cast<unsigned>(littleEndian(bytes, 24, 2));
  } else if (infoSize >= kBmpWindowsInfoSize && size >= kBmpInfoSizeAt + kBmpWindowsInfoSize) {
    header.width = signed32(littleEndian(bytes, 18, 4));
    header.height = signed32(littleEndian(bytes, 22, 4));
    bitsPerPixel = static_cast<unsigned>(littleEndian(bytes, 28, 2));
    compression = static_cast<unsigned>(littleEndian(bytes, 30, 4));
  } else {
    return;
  }
  if (header.height < 0) header.height = -header.height;  // stored top-down
  if (header.width <= 0) {
    header.width = 0;
    return;
  }
  header.complete = bmpDataPresent(size, littleEndian(bytes, kBmpDataOffsetAt, 4), header.width,
                                   header.height, bitsPerPixel, compression);
}

}  // namespace

PictureHeader readPictureHeader(const unsigned char* bytes, std::size_t size) {
  PictureHeader header;
  if (bytes == nullptr) return header;
  if (size >= sizeof kPngSignature &&
      std::memcmp(bytes, kPngSignature, sizeof kPngSignature) == 0) {
    header.kind = PictureKind::kPng;
    readPng(bytes, size, header);
  } else if (size >= 3 && bytes[0] == kJpegMarker && bytes[1] == kJpegStartOfImage &&
             bytes[2] == kJpegMarker) {
    header.kind = PictureKind::kJpeg;
    readJpeg(bytes, size, header);
  } else if (size >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
    header.kind = PictureKind::kBmp;
    readBmp(bytes, size, header);
  }
  return header;
}
