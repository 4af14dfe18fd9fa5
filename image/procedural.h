// Procedural textures computed at start-up: a radial disc, a ring and a wavy soft band.
// Every texel is grey with opacity equal to its brightness.
#pragma once

#include <GL/gl.h>

enum ProceduralKind { kDisc, kRing, kWavyBand };
constexpr int kProceduralSize = 128;

// Fills `rgba` (128 * 128 * 4 bytes, row 0 = the t = 0 edge) with the kind's image.
void computeProceduralImage(ProceduralKind kind, unsigned char* rgba);

// Computes the image and turns it into a new texture, left bound; returns its name.
GLuint makeProceduralTexture(ProceduralKind kind, int mipmap);
