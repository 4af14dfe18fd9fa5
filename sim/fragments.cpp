// Placeholder until the shattered planet lands.
#include "sim/fragments.h"

PlanetFragment fragments[kFragmentCount];

void planetFragments(int) {}
