// Placeholder until the texture table lands.
#include "image/texture_table.h"

GLuint textureTable[kTextureSlots];
int textureCount = 0;
int planetTextureBase = 0;
GLuint fontTexture = 0, smokeTexture = 0, discTexture = 0, flashTexture = 0, sunTexture = 0,
       glowTexture = 0;
const char* const kPlanetImageFiles[kPlanetImages] = {
    "earthCraterBW_256.bmp", "earthCloudsBW_256.bmp", "venus_256.bmp",   "earth_256.bmp",
    "mars_256.bmp",          "jupiter_256.bmp",       "saturn_256.bmp",  "neptune_256.bmp",
    "neptune3_256.bmp",      "pluto_256.bmp"};

void loadAllTextures() {}
