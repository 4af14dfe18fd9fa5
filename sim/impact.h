// The impact cycle: one clock drives the meteor, impact, flash, glow, tremble, break
// and the next planet image, about every 14 seconds.
#pragma once

extern float impactClock;  // seconds within the cycle; -7 at program start
extern float brightness;   // planet light level of this frame, 0..1

// Once per frame with the camera transform in place; leaves the model-view matrix as found.
void drawImpactScene();
