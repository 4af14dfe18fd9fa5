// Procedural textures computed at start-up: a radial disc, a ring and a wavy soft band.
// Every texel is grey with opacity equal to its brightness.
#pragma once

#include <GL/gl.h>

enum ProceduralKind { kDisc, kRing, kWavyBand };
constexpr int kProceduralSize = 128;

// Fills `rgba` (128 * 128 * 4 bytes, row 0 = the t = 0 edge, column 0 = the s = 0 edge) with
// the kind's image; R = G = B = A in every texel.
// kDisc: 254 at the centre (64, 64), falling linearly to 0 at distance 64.
// kRing: 0 at the centre, rising to 255 at distance 58, back to 0 at distance 65.25.
// kWavyBand: a horizontal band in rows 47..64, eased up over about 16 rows with an edge that
// wavers along x, cut off sharply above row 64.
void computeProceduralImage(ProceduralKind kind, unsigned char* rgba);

// Computes the image and turns it into a new texture, left bound to GL_TEXTURE_2D; returns its
// name. Filters GL_LINEAR, or with mipmap != 0 a mipmap chain minified GL_NEAREST_MIPMAP_NEAREST.
GLuint makeProceduralTexture(ProceduralKind kind, int mipmap);
