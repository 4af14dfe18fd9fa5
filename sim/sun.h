// The animated sun: a disc with twenty turning rays computed into sunTexture,
// and the camera-facing square that shows it on the light's circle.
#pragma once

constexpr int kSunTextureSize = 128;
constexpr int kSunRayCount = 20;

struct SunRay {
  float angle;      // radians, kept within [0, 2 pi)
  float step;       // radians added at every update, -0.05..0.05
  float intensity;  // brightness factor, 0.5..1
};

// RGBA, rows of 512 bytes, row 0 first; R = G = B = A after every update.
extern unsigned char sunImage[kSunTextureSize * kSunTextureSize * 4];

// The rays, created from the random generator by the first update (angle, step, intensity per
// ray, ray by ray) and then turned by every update; a scene reset leaves them alone.
extern SunRay sunRays[kSunRayCount];
extern bool sunRaysCreated;  // false until the first update has created the rays

// Recomputes sunImage: the disc (240 out to radius 15, then 15 less every two pixels, 0 from
// radius 32), then every ray turned by its step and drawn through the centre. Uploads the
// image into sunTexture and leaves it bound; when sunTexture is 0 nothing is uploaded.
// Needs a current GL context.
void updateSunTexture();

// Draws the sun square facing the viewer at angle 0.2 * phases[0] + 5 on the circle of radius
// 1 around the camera's pivot, yellow scaled by fadeLevel, half-width 0.125 * objectSize.
// Restores the GL state it changes.
void drawSunBillboard();
