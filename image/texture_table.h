// The texture table: every texture of the scene in creation order, and the start-up
// routine that creates them and finishes the objects that depend on them.
#pragma once

#include <GL/gl.h>

constexpr int kTextureSlots = 20;
constexpr int kPlanetImages = 10;

extern GLuint textureTable[kTextureSlots];  // 16 used; a failed load leaves 0
extern int textureCount;                    // slots filled, failed loads included
extern int planetTextureBase;               // slot of planet image 0 (6)

extern GLuint fontTexture;
extern GLuint smokeTexture;
extern GLuint discTexture;
extern GLuint flashTexture;
extern GLuint sunTexture;
extern GLuint glowTexture;

// The ten planet image files, by planet image number.
extern const char* const kPlanetImageFiles[kPlanetImages];

// Creates all textures, builds the star field, configures the impact particles and resets
// the planet fragments. A GL context must be current. Called once at start-up.
void loadAllTextures();
