// Planet body rendering: the sphere meshes, the body with its glow and cloud layers,
// the tremble and colour cycling, and the moon.
#pragma once

// A closed textured sphere about the current origin as stacks - 1 quad strips, pole axis y.
void drawSphere(double radius, int slices, int stacks, double uScale, double vScale,
                double uOffset, double vOffset);

// The part of that sphere inside a rectangle of its parameter space (for fragments).
void drawSpherePatch(float radius, int slices, int stacks, float uOffset, float vOffset,
                     float uStart, float vStart, float uEnd, float vEnd);

// Body, glow layer (1 < impactClock < 5) and cloud layer (image 3) at the given brightness.
void drawPlanet(float brightness);

// The moon of the Earth image, circling at 15 degrees per second.
void drawMoon(float brightness);
