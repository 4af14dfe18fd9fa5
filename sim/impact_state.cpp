// The impact's values: the cycle's clock, which starts 7 s before the first cycle, and the
// impact point with its angles.
#include "sim/impact_state.h"

float impactClock = -7.0f;
float impactHeading = 0;
float impactPitch = 0;
Vec3f impactPoint;
