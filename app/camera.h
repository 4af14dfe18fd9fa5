// The camera: auto drift, sway, impact shake and kick, and the manual mouse mode. Its values
// (core/camera_state.h) are what the rest of the scene reads.
#pragma once

#include "core/camera_state.h"

// Strength of the impact shake at an impactClock value: 0 before 1, falling from 2 at 1 to 0
// at 5, exactly 0 at 5, falling from almost 3 just after 5 to 0 at 9.
float shakeStrength(float clock);

// Once per frame, after setupView: updates the camera and multiplies its transform onto the
// model-view matrix.
void updateCamera();
