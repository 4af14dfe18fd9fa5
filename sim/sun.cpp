// Placeholder until the animated sun lands.
#include "sim/sun.h"

unsigned char sunImage[kSunTextureSize * kSunTextureSize * 4];

void updateSunTexture() {}
void drawSunBillboard() {}
