// The texture table: every texture of the scene in creation order, and the start-up
// routine that creates them and finishes the objects that depend on them.
#include "image/texture_table.h"

#include "backdrop/star_field.h"
#include "fx/particles.h"
#include "image/bmp.h"
#include "image/procedural.h"
#include "sim/fragments.h"
#include "sim/sun.h"
#include "text/text_display.h"

constexpr int kStarCount = 2000;
constexpr float kStarOuterRadius = 1.0f;
constexpr float kStarInnerRadius = 0.25f;

GLuint textureTable[kTextureSlots];  // texture names; 0 = not loaded
int textureCount = 0;                // 0..16 after start-up
int planetTextureBase = 0;           // 6 after start-up

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

namespace {

// Stores a name in the next slot; the count advances whether or not the load succeeded.
GLuint storeNextSlot(GLuint name) {
  if (textureCount < kTextureSlots) textureTable[textureCount] = name;
  ++textureCount;
  return name;
}

// A repeated start-up would otherwise write past the table and leak the old textures.
void clearTable() {
  if (textureCount > 0) glDeleteTextures(textureCount, textureTable);
  for (GLuint& name : textureTable) name = 0;
  textureCount = 0;
}

}  // namespace

void loadAllTextures() {
  clearTable();

  // Sprites from files: alpha from brightness, no mipmaps.
  fontTexture = storeNextSlot(loadBmpTexture128("font.bmp", -1, 0, 0));
  textDisplay.fontTexture = fontTexture;
  smokeTexture = storeNextSlot(loadBmpTexture128("smoke128.bmp", -1, 0, 0));
  particleSystem.spriteTexture = smokeTexture;

  // Computed images. The sun's disc is only storage: its first animated frame replaces it.
  discTexture = storeNextSlot(makeProceduralTexture(kDisc, 0));
  particleSystem.discSpriteTexture = discTexture;
  flashTexture = storeNextSlot(makeProceduralTexture(kRing, 0));
  sunTexture = storeNextSlot(makeProceduralTexture(kDisc, 0));
  updateSunTexture();
  glowTexture = storeNextSlot(makeProceduralTexture(kWavyBand, 0));
  planetTextureBase = textureCount;

  // Planet images: opaque (every channel is >= 0), mipmapped for the small distant planet.
  for (const char* fileName : kPlanetImageFiles)
    storeNextSlot(loadBmpTexture256(fileName, 255, 0, 1));

  starField.buildStarField(kStarCount, kStarOuterRadius, kStarInnerRadius, kStarShell);
  particleSystem.configureImpactParticles();
  planetFragments(0);
}
