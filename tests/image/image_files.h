// Helpers for the image tests: 24-bit BMP files written by the tests themselves, a scratch
// working directory, and reading textures back from GL.
#pragma once

#include <GL/gl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace imagetest {

struct Rgb8 {
  unsigned char r, g, b;
};

inline void putLittleEndian(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t v,
                            int count) {
  for (int i = 0; i < count; ++i) bytes[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

// The bytes of an n x n, 24-bit, bottom-up BMP file with a complete 54-byte header.
// pixel(storedRow, column) gives the colour of each pixel in file order.
template <class PixelFunction>
std::vector<unsigned char> makeBmp(int n, PixelFunction pixel) {
  const std::size_t dataBytes = 3u * n * n;
  std::vector<unsigned char> bytes(54 + dataBytes, 0);
  bytes[0] = 'B';
  bytes[1] = 'M';
  putLittleEndian(bytes, 2, static_cast<std::uint32_t>(bytes.size()), 4);
  putLittleEndian(bytes, 10, 54, 4);
  putLittleEndian(bytes, 14, 40, 4);
  putLittleEndian(bytes, 18, n, 4);
  putLittleEndian(bytes, 22, n, 4);
  putLittleEndian(bytes, 26, 1, 2);
  putLittleEndian(bytes, 28, 24, 2);
  putLittleEndian(bytes, 34, static_cast<std::uint32_t>(dataBytes), 4);
  std::size_t at = 54;
  for (int row = 0; row < n; ++row) {
    for (int column = 0; column < n; ++column) {
      const Rgb8 c = pixel(row, column);
      bytes[at++] = c.b;
      bytes[at++] = c.g;
      bytes[at++] = c.r;
    }
  }
  return bytes;
}

// A busy pattern that differs from one `seed` to the next in every channel.
inline std::vector<unsigned char> makePatternBmp(int n, int seed) {
  return makeBmp(n, [seed](int row, int column) {
    return Rgb8{static_cast<unsigned char>(row * 7 + seed * 31),
                static_cast<unsigned char>(column * 3 + seed * 17),
                static_cast<unsigned char>((row ^ column) + seed * 5)};
  });
}

inline void writeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<unsigned char> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A fresh temporary directory that is the working directory while this object lives;
// the previous working directory comes back and the directory is removed afterwards.
class ScratchDirectory {
 public:
  ScratchDirectory() : previous_(std::filesystem::current_path()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "krateon-image-XXXXXX");
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
    std::filesystem::current_path(path_);
  }
  ~ScratchDirectory() {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

// Level `level` of a texture as RGBA bytes, rows packed; leaves the texture bound.
inline std::vector<unsigned char> readTexture(GLuint name, int side, int level = 0) {
  std::vector<unsigned char> rgba(static_cast<std::size_t>(side) * side * 4, 0);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  return rgba;
}

inline GLint boundTexture() {
  GLint name = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
  return name;
}

inline GLint textureParameter(GLuint name, GLenum parameter) {
  GLint value = 0;
  glBindTexture(GL_TEXTURE_2D, name);
  glGetTexParameteriv(GL_TEXTURE_2D, parameter, &value);
  return value;
}

// Every texture name in use (bound at least once) among the first few thousand.
inline std::vector<GLuint> textureNamesInUse() {
  std::vector<GLuint> names;
  for (GLuint name = 1; name < 4096; ++name) {
    if (glIsTexture(name)) names.push_back(name);
  }
  return names;
}

}  // namespace imagetest
