// The texture table: every texture of the scene in creation order, with named slots for the
// ones the scene draws with. Start-up fills it; nothing here knows who uses which texture.
#pragma once

#include <GL/gl.h>

constexpr int kPlanetImages = 10;
constexpr int kUserMapSlots = 32;                  // the user's planet maps, after slot 15
constexpr int kTextureSlots = 16 + kUserMapSlots;  // the built-in textures fill 16

extern GLuint textureTable[kTextureSlots];  // a failed built-in load leaves 0
extern int textureCount;                    // slots filled, failed built-in loads included
extern int planetTextureBase;               // slot of planet image 0 (6)
extern int userMapBase;   // slot of the user's first planet map (16), 0 before start-up
extern int userMapCount;  // 0..kUserMapSlots maps that loaded; 0: the ten built-in planets

extern GLuint fontTexture;   // slot 0, "font.bmp"
extern GLuint smokeTexture;  // slot 1, "smoke128.bmp"
extern GLuint discTexture;   // slot 2, computed disc: the particles' disc sprite
extern GLuint flashTexture;  // slot 3, computed ring: the impact flash
extern GLuint sunTexture;    // slot 4, the animated sun's storage
extern GLuint glowTexture;   // slot 5, computed wavy band: the planet's glow layer

// The ten planet image files, by planet image number.
extern const char* const kPlanetImageFiles[kPlanetImages];

// Deletes the textures of the table and empties it, so that it fills from slot 0 again; no
// user maps are left.
void clearTextureTable();

// Stores a texture name (0 for a failed load) in the next slot and returns it; the count
// advances whether or not the load succeeded, and names beyond the last slot are not kept.
GLuint storeNextSlot(GLuint name);
