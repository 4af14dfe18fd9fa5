// The impact's values that the planet, its fragments and the camera read: the cycle's clock and
// the point the next meteor strikes. The impact cycle and its aim write them.
#pragma once

#include "core/numeric.h"

extern float impactClock;  // seconds within the cycle; -7 at program start

extern float impactHeading;  // degrees, heading of the impact point
extern float impactPitch;    // degrees, pitch of the impact point
extern Vec3f impactPoint;    // the impact point on the planet's surface, scene units
