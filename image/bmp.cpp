// Placeholder until image loading lands.
#include "image/bmp.h"

void decodeBmpImage(const unsigned char*, std::size_t, int, int, int, unsigned char*) {}
GLuint loadBmpTexture128(const char*, int, int, int) { return 0; }
GLuint loadBmpTexture256(const char*, int, int, int) { return 0; }
