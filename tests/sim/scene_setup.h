// Shared by the scene tests: the test window with the state initScene leaves behind, and
// small solid-colour textures in place of the image files, so colours on screen are known.
#pragma once

#include <GL/gl.h>

#include "app/startup.h"
#include "image/texture_table.h"
#include "support/gl_context.h"

namespace scenetest {

constexpr int kWindowWidth = 640;
constexpr int kWindowHeight = 480;

// The test window and, once per process, initScene (textures from the working directory,
// star field, settings reset, sound in its test driver).
inline void prepareScene() {
  testsupport::ensureGlContext(kWindowWidth, kWindowHeight);
  static bool initialised = false;
  if (!initialised) {
    initScene();
    initialised = true;
  }
}

// A 4 x 4 texture of one colour, without mipmaps.
inline GLuint makeSolidTexture(unsigned char r, unsigned char g, unsigned char b) {
  unsigned char pixels[4 * 4 * 3];
  for (int i = 0; i < 16; ++i) {
    pixels[i * 3] = r;
    pixels[i * 3 + 1] = g;
    pixels[i * 3 + 2] = b;
  }
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 4, 4, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
  glBindTexture(GL_TEXTURE_2D, 0);
  return name;
}

// Every planet image gets the given body colour, except the cloud image (white: the core and
// the clouds then show their vertex colours); glow and flash are white.
inline void installSolidTextures(unsigned char r, unsigned char g, unsigned char b) {
  for (int image = 0; image < kPlanetImages; ++image) {
    GLuint& slot = textureTable[planetTextureBase + image];
    if (slot != 0) glDeleteTextures(1, &slot);
    slot = image == 1 ? makeSolidTexture(255, 255, 255) : makeSolidTexture(r, g, b);
  }
  if (glowTexture != 0) glDeleteTextures(1, &glowTexture);
  glowTexture = makeSolidTexture(255, 255, 255);
  if (flashTexture != 0) glDeleteTextures(1, &flashTexture);
  flashTexture = makeSolidTexture(255, 255, 255);
}

}  // namespace scenetest
