// What a PNG, JPEG or BMP file says about itself before any decoding: its kind, its size in
// pixels, and whether its data runs to the end the format marks. Plain bytes in, no allocation.
#pragma once

#include <cstddef>

enum class PictureKind { kUnknown, kPng, kJpeg, kBmp };

struct PictureHeader {
  PictureKind kind = PictureKind::kUnknown;
  long long width = 0;    // pixels, as the header states them (0 when it states none)
  long long height = 0;   // pixels; a top-down BMP's negative height counts as its size
  bool complete = false;  // PNG: every chunk whole up to IEND; JPEG: the end marker follows
                          // the first scan; BMP: the pixel data the header describes is there
};

// Reads the kind from the signature (PNG's eight bytes, JPEG's FF D8 FF, BMP's "BM") and the
// size from the PNG IHDR chunk, the first JPEG frame header or the BMP information header
// (core or Windows). Checks the structure only as far as said above; never reads outside
// bytes[0..size-1]. `bytes` may be null when size is 0. An unknown kind leaves the rest at 0.
PictureHeader readPictureHeader(const unsigned char* bytes, std::size_t size);
