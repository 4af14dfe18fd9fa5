// Writing pictures as 24-bit uncompressed Windows BMP files (bottom-up, pixel data at byte 54).
// The program's loader reads such files from byte 54 without looking at the headers.
#pragma once

#include <string>
#include <vector>

#include "image.h"

namespace assetgen {

constexpr int kBmpHeaderBytes = 54;  // 14-byte file header + 40-byte information header

// The complete file: headers with a positive height, then the picture's rows from the bottom
// row up, each pixel blue, green, red, rows padded to a multiple of 4 bytes.
std::vector<unsigned char> encodeBmp(const Picture& picture);

// Encodes and writes the file; false when it cannot be written.
bool writeBmp(const std::string& path, const Picture& picture);

}  // namespace assetgen
