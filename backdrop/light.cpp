// Placeholder until the light lands.
#include "backdrop/light.h"

void setupLight(int, float, float, float, float, float, float, float, float) {}
