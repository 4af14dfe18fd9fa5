// Texture creation shared by the image loaders and the procedural textures: one RGBA image
// becomes a new texture object, optionally with its whole mipmap chain.
#pragma once

#include <GL/gl.h>

// Creates a texture from `rgba` (width x height texels, 4 bytes each, rows packed, row 0 at
// t = 0); both sides powers of two, as OpenGL 1.1 requires.
// Unpack alignment becomes 1 and the texture environment GL_MODULATE. Magnification is
// GL_LINEAR; minification is GL_LINEAR without mipmaps, else `mipmapMinFilter` with the chain
// built by gluBuild2DMipmaps. Wrap modes keep their GL_REPEAT defaults. The new texture is
// left bound to GL_TEXTURE_2D; returns its name.
GLuint createRgbaTexture(const unsigned char* rgba, int width, int height, int mipmap,
                         GLint mipmapMinFilter);
