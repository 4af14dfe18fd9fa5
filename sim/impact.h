// The impact cycle: one clock drives the meteor, impact, flash, glow, tremble, break
// and the next planet image, about every 14 seconds; and the aim of the next impact.
#pragma once

#include "sim/impact_state.h"

extern float brightness;  // planet light level of this frame, 0..1

// Once per frame with the camera transform in place; leaves the model-view matrix as found.
void drawImpactScene();

// Mode 0 aims at random, mode 1 at the point facing the camera, any other mode only
// recomputes impactPoint from the current angles and objectSize. Model-view must be current;
// the matrix is left as it was found.
void aimImpact(int mode);
