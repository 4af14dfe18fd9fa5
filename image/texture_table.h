// The texture table: every texture of the scene in creation order, and the start-up
// routine that creates them and finishes the objects that depend on them.
#pragma once

#include <GL/gl.h>

constexpr int kTextureSlots = 20;
constexpr int kPlanetImages = 10;

extern GLuint textureTable[kTextureSlots];  // 16 used; a failed load leaves 0
extern int textureCount;                    // slots filled, failed loads included
extern int planetTextureBase;               // slot of planet image 0 (6)

extern GLuint fontTexture;   // slot 0, "font.bmp"
extern GLuint smokeTexture;  // slot 1, "smoke128.bmp"
extern GLuint discTexture;   // slot 2, computed disc: the particles' disc sprite
extern GLuint flashTexture;  // slot 3, computed ring: the impact flash
extern GLuint sunTexture;    // slot 4, the animated sun's storage
extern GLuint glowTexture;   // slot 5, computed wavy band: the planet's glow layer

// The ten planet image files, by planet image number.
extern const char* const kPlanetImageFiles[kPlanetImages];

// Creates all textures (a missing file leaves 0 in its slot and every copy), builds the star
// field, configures the impact particles and resets the planet fragments. A GL context must be
// current. Called once at start-up; a further call deletes the textures of the previous one
// and fills the table from slot 0 again.
void loadAllTextures();
