// The user's planet maps: the file read whole, its header checked against the limits, the
// picture decoded by SDL_image and scaled by the box filter; then the texture.
#include "image/planet_map.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

#include "image/picture_header.h"
#include "image/picture_scale.h"
#include "image/regular_file.h"
#include "image/texture_upload.h"

namespace {

constexpr int kReasonBytes = 200;

unsigned char mapRgba[kLargestMapWidth * kLargestMapHeight * 4];  // the last map read
char reasonText[kReasonBytes];

struct FileBytes {
  std::unique_ptr<unsigned char[]> data;
  std::size_t size = 0;
};

// Formats the reason for refusing a file into reasonText and returns it.
const char* because(const char* format, ...) __attribute__((format(printf, 1, 2)));
const char* because(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(reasonText, sizeof reasonText, format, arguments);
  va_end(arguments);
  return reasonText;
}

// The whole file in memory, or why not. A file that shrinks while it is read keeps what was
// read, and a part that was not there is found missing by the header's checks.
const char* readWholeFile(const char* fileName, FileBytes& bytes) {
  bool notRegular = false;
  std::FILE* file = openRegularFile(fileName, notRegular);
  if (file == nullptr) {
    if (notRegular) return "is not a regular file";
    return because("cannot be opened: %s", std::strerror(errno));
  }
  struct stat info {};
  const char* problem = nullptr;
  if (fstat(fileno(file), &info) != 0) {
    problem = because("cannot be read: %s", std::strerror(errno));
  } else if (info.st_size == 0) {
    problem = "is empty";
  } else if (info.st_size > kMaxMapFileBytes) {
    problem = "is larger than 1 GiB";
  } else {
    bytes.data = std::make_unique_for_overwrite<unsigned char[]>(info.st_size);
    bytes.size = std::fread(bytes.data.get(), 1, static_cast<std::size_t>(info.st_size), file);
    if (std::ferror(file)) problem = because("cannot be read: %s", std::strerror(errno));
    if (bytes.size == 0 && problem == nullptr) problem = "is empty";
  }
  std::fclose(file);
  return problem;
}

// The kind's name for the user, and the type SDL_image's decoders go by.
const char* kindName(PictureKind kind) {
  return kind == PictureKind::kPng ? "PNG" : kind == PictureKind::kJpeg ? "JPEG" : "BMP";
}

const char* decoderType(PictureKind kind) {
  return kind == PictureKind::kJpeg ? "JPG" : kindName(kind);
}

// The limits a header must keep before anything is decoded: a size, not too many pixels (a
// decompression bomb claims billions in a few bytes), not too few, and the whole file there.
const char* checkHeader(const PictureHeader& header) {
  if (header.kind == PictureKind::kUnknown) return "is not a PNG, JPEG or BMP picture";
  const char* kind = kindName(header.kind);
  if (header.width <= 0 || header.height <= 0) {
    return because("is a damaged %s picture: its header gives no size", kind);
  }
  if (header.width > kMaxMapPixels / header.height) {
    return because("claims %lld x %lld pixels, more than the %lld a planet map may have",
                   header.width, header.height, kMaxMapPixels);
  }
  if (header.width < kMinMapSide || header.height < kMinMapSide) {
    return because("has %lld x %lld pixels, too few for a planet map (%d on each side at least)",
                   header.width, header.height, kMinMapSide);
  }
  if (!header.complete) return because("is cut short: the %s picture ends early", kind);
  return nullptr;
}

// The decoders' libraries report damage on standard error by themselves (libpng does); while
// they run it goes nowhere, so that the one line about a bad file is the caller's.
int silenceStandardError() {
  std::fflush(stderr);
  const int saved = dup(STDERR_FILENO);
  const int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (saved >= 0 && nowhere >= 0) dup2(nowhere, STDERR_FILENO);
  if (nowhere >= 0) close(nowhere);
  return saved;
}

void restoreStandardError(int saved) {
  std::fflush(stderr);
  if (saved < 0) return;
  dup2(saved, STDERR_FILENO);
  close(saved);
}

SDL_Surface* decode(const FileBytes& bytes, PictureKind kind) {
  SDL_RWops* stream = SDL_RWFromConstMem(bytes.data.get(), static_cast<int>(bytes.size));
  if (stream == nullptr) return nullptr;
  const int saved = silenceStandardError();
  SDL_Surface* surface = IMG_LoadTyped_RW(stream, 1, decoderType(kind));
  restoreStandardError(saved);
  return surface;
}

// A view of the surface's pixels when they are 8-bit colour channels in 3 or 4 bytes (what the
// decoders give for most files); false for anything else, which is converted first.
bool viewOf(const SDL_Surface* surface, PictureView& view) {
  const SDL_PixelFormat* f = surface->format;
  const int bytes = f->BytesPerPixel;
  if (f->palette != nullptr || (bytes != 3 && bytes != 4)) return false;
  if (f->Rloss != 0 || f->Gloss != 0 || f->Bloss != 0) return false;
  if (f->Rshift % 8 != 0 || f->Gshift % 8 != 0 || f->Bshift % 8 != 0) return false;
  // A channel's shift counts bits from the least significant end of the pixel's value.
  const auto byteOf = [bytes](int shift) {
    return SDL_BYTEORDER == SDL_LIL_ENDIAN ? shift / 8 : bytes - 1 - shift / 8;
  };
  view.pixels = static_cast<const unsigned char*>(surface->pixels);
  view.width = surface->w;
  view.height = surface->h;
  view.rowBytes = surface->pitch;
  view.pixelBytes = bytes;
  view.redAt = byteOf(f->Rshift);
  view.greenAt = byteOf(f->Gshift);
  view.blueAt = byteOf(f->Bshift);
  return true;
}

// The decoded picture in a form the box filter reads, converting what it cannot.
SDL_Surface* readableSurface(SDL_Surface* surface, PictureView& view) {
  if (viewOf(surface, view)) return surface;
  SDL_Surface* converted = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_RGBA32, 0);
  SDL_FreeSurface(surface);
  if (converted == nullptr || !viewOf(converted, view)) {
    SDL_FreeSurface(converted);
    return nullptr;
  }
  return converted;
}

const char* scaleSurface(SDL_Surface* surface, int largestWidth, int largestHeight,
                         PlanetMap& map) {
  PictureView view;
  surface = readableSurface(surface, view);
  if (surface == nullptr) return because("cannot be converted: %s", SDL_GetError());
  map.width = powerOfTwoSide(view.width, std::min(largestWidth, kLargestMapWidth));
  map.height = powerOfTwoSide(view.height, std::min(largestHeight, kLargestMapHeight));
  SDL_LockSurface(surface);
  const bool scaled = scalePicture(view, map.width, map.height, mapRgba);
  SDL_UnlockSurface(surface);
  SDL_FreeSurface(surface);
  if (!scaled) return "cannot be scaled";
  map.rgba = mapRgba;
  return nullptr;
}

}  // namespace

bool readPlanetMap(const char* fileName, int largestWidth, int largestHeight, PlanetMap& map,
                   const char*& reason) {
  map = PlanetMap{};
  FileBytes bytes;
  reason = readWholeFile(fileName, bytes);
  if (reason != nullptr) return false;
  const PictureHeader header = readPictureHeader(bytes.data.get(), bytes.size);
  reason = checkHeader(header);
  if (reason != nullptr) return false;
  SDL_Surface* surface = decode(bytes, header.kind);
  bytes = FileBytes{};  // the file's bytes are not needed any more
  if (surface == nullptr) {
    reason = because("cannot be decoded: %s", IMG_GetError());
    return false;
  }
  if (static_cast<long long>(surface->w) * surface->h > kMaxMapPixels) {
    SDL_FreeSurface(surface);
    reason = "decodes to more pixels than its header claims";
    return false;
  }
  reason = scaleSurface(surface, largestWidth, largestHeight, map);
  return reason == nullptr;
}

GLuint loadPlanetMapTexture(const char* fileName, const char*& reason) {
  GLint largestTexture = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largestTexture);
  PlanetMap map;
  if (!readPlanetMap(fileName, std::min<int>(kLargestMapWidth, largestTexture),
                     std::min<int>(kLargestMapHeight, largestTexture), map, reason)) {
    return 0;
  }
  return createRgbaTexture(map.rgba, map.width, map.height, 1, GL_LINEAR_MIPMAP_NEAREST);
}
