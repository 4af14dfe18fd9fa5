// Placeholder until the impact cycle lands.
#include "sim/impact.h"

float impactClock = -7.0f;
float brightness = 0;

void drawImpactScene() {}
