// The camera's values that the scene and the readouts read: its angles, the eye's offset and
// the kick of the last impact. The camera's own code moves them once a frame.
#pragma once

#include "core/numeric.h"

extern double cameraHeading;  // degrees, rotation of the scene about y; not wrapped
extern double cameraPitch;    // degrees, rotation of the scene about x; not limited
extern Vec3d cameraOffset;    // camera position; the scene is translated by its negation
extern Vec3f cameraJolt;      // kick added in the auto mode; set at an impact, decays
