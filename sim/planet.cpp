// Placeholder until planet drawing lands.
#include "sim/planet.h"

void drawSphere(double, int, int, double, double, double, double) {}
void drawSpherePatch(float, int, int, float, float, float, float, float, float) {}
void drawPlanet(float) {}
void drawMoon(float) {}
