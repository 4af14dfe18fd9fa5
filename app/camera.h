// The camera: auto drift, sway, impact shake and kick, the manual mouse mode,
// and the aim of the next meteor impact on the planet's surface.
#pragma once

#include "sim/numeric.h"

extern double cameraHeading;  // degrees, rotation of the scene about y; not wrapped
extern double cameraPitch;    // degrees, rotation of the scene about x; not limited
extern Vec3d cameraOffset;    // camera position; the scene is translated by its negation
extern Vec3f cameraJolt;      // kick added in the auto mode; set at an impact, decays

extern float impactHeading;  // degrees, heading of the impact point
extern float impactPitch;    // degrees, pitch of the impact point
extern Vec3f impactPoint;    // the impact point on the planet's surface, scene units

// Strength of the impact shake at an impactClock value: 0 before 1, falling from 2 at 1 to 0
// at 5, exactly 0 at 5, falling from almost 3 just after 5 to 0 at 9.
float shakeStrength(float clock);

// Once per frame, after setupView: updates the camera and multiplies its transform onto the
// model-view matrix.
void updateCamera();

// Mode 0 aims at random, mode 1 at the point facing the camera, any other mode only
// recomputes impactPoint from the current angles and objectSize. Model-view must be current;
// the matrix is left as it was found.
void aimImpact(int mode);
