// Placeholder until procedural textures land.
#include "image/procedural.h"

void computeProceduralImage(ProceduralKind, unsigned char*) {}
GLuint makeProceduralTexture(ProceduralKind, int) { return 0; }
