// The texture table: every texture of the scene in creation order, the named slots and the
// planet image files, filled slot after slot at start-up.
#include "image/texture_table.h"

#include <algorithm>

GLuint textureTable[kTextureSlots];  // texture names; 0 = not loaded
int textureCount = 0;                // 0..16 after start-up
int planetTextureBase = 0;           // 6 after start-up
int userMapBase = 0;
int userMapCount = 0;

GLuint fontTexture = 0;
GLuint smokeTexture = 0;
GLuint discTexture = 0;
GLuint flashTexture = 0;
GLuint sunTexture = 0;
GLuint glowTexture = 0;

const char* const kPlanetImageFiles[kPlanetImages] = {
    "earthCraterBW_256.bmp", "earthCloudsBW_256.bmp", "venus_256.bmp",  "earth_256.bmp",
    "mars_256.bmp",          "jupiter_256.bmp",       "saturn_256.bmp", "neptune_256.bmp",
    "neptune3_256.bmp",      "pluto_256.bmp"};

GLuint storeNextSlot(GLuint name) {
  if (textureCount < kTextureSlots) textureTable[textureCount] = name;
  ++textureCount;
  return name;
}

// A repeated start-up would otherwise write past the table and leak the old textures.
void clearTextureTable() {
  // The count goes on past the last slot, but only the slots hold names to delete.
  const int kept = std::min(textureCount, kTextureSlots);
  if (kept > 0) glDeleteTextures(kept, textureTable);
  for (GLuint& name : textureTable) name = 0;
  textureCount = 0;
  userMapBase = 0;
  userMapCount = 0;
}
