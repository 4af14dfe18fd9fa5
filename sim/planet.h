// Planet body rendering: the sphere meshes, the body with its glow and cloud layers,
// the tremble and colour cycling, and the moon.
#pragma once

#include <GL/gl.h>

// Radii per unit of objectSize, in scene units.
constexpr double kPlanetRadius = 0.07;  // the body, its fragments and the impact point
constexpr double kGlowRadius = 0.071;
constexpr double kCloudRadius = 0.072;  // the Earth's clouds and their fragments
constexpr double kCoreRadius = 0.068;   // the glowing core of the shattered planet
constexpr double kMoonRadius = 0.015;

constexpr int kCraterImage = 0;            // planet image of the moon and the meteor
constexpr int kCloudImage = 1;             // colour-cycled image; also the clouds and the core
constexpr int kEarthImage = 3;             // the one image with a cloud layer and a moon
constexpr double kCloudDrift = -0.0125;    // texture widths per second, clouds against surface
constexpr float kCloudBrightness = 0.75f;  // the clouds' grey, times the planet's brightness

// A closed textured sphere about the current origin as stacks - 1 quad strips, pole axis y.
// u = column * uScale / slices + uOffset, v = ring * vScale / stacks + vOffset; outside faces
// counter-clockwise. Fewer than 1 slice or 2 stacks draws nothing.
void drawSphere(double radius, int slices, int stacks, double uScale, double vScale, double uOffset,
                double vOffset);

// The part of that sphere inside a rectangle of its parameter space (for fragments): u in
// fractions of slices + 1 columns, v in fractions of stacks rows. An empty rectangle still
// draws one column and one row; rows past the south pole wrap onto the far side.
void drawSpherePatch(float radius, int slices, int stacks, float uOffset, float vOffset,
                     float uStart, float vStart, float uEnd, float vEnd);

// Body, glow layer (1 < impactClock < 5) and cloud layer (built-in image 3) at the given
// brightness.
void drawPlanet(float brightness);

// The moon of the Earth image, circling at 15 degrees per second.
void drawMoon(float brightness);

// The planets of the cycle, by the number in planetImage: the user's maps when any loaded,
// else the ten built-in images.
int planetsInCycle();

// Puts a planetImage outside the cycle (a start value beyond the user's maps) on planet 0.
void keepPlanetInCycle();

// The built-in image the planet shows, or -1 while the user's maps are shown: the Earth's
// clouds and moon and the Cloud Layer's colours belong to those images alone.
int builtInPlanetShown();

// Shared with the shattered planet:
// The texture of a built-in planet image (the meteor, moon, clouds and core use them whatever
// the cycle shows), 0 when the number is out of range or the image not loaded.
GLuint planetTexture(int image);

// The texture of planet `planet` of the cycle, 0 when out of range or not loaded.
GLuint planetBodyTexture(int planet);

// The body colour at a brightness with an alpha: colour-cycled for built-in image 1, grey
// otherwise.
void setBodyColour(float brightness, float alpha);

// Turns the current matrix by the planet's spin, 20 degrees per second of the scene clock.
void applyPlanetSpin();

// The texture u offset of the drifting clouds at the current scene clock, within [0, 1).
double cloudDriftOffset();
