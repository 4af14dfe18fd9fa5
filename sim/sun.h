// The animated sun: a disc with twenty turning rays computed into sunTexture,
// and the camera-facing square that shows it on the light's circle.
#pragma once

constexpr int kSunTextureSize = 128;
constexpr int kSunRayCount = 20;

// RGBA, rows of 512 bytes, row 0 first; R = G = B = A after every update.
extern unsigned char sunImage[kSunTextureSize * kSunTextureSize * 4];

// Recomputes sunImage (rays created on the first call) and uploads it into sunTexture.
void updateSunTexture();

// Draws the sun square facing the viewer for the current frame.
void drawSunBillboard();
