// Placeholder until the star field lands.
#include "backdrop/star_field.h"

StarField starField;

void StarField::buildStarField(int, float, float, int) {}
void StarField::drawStarField() {}
void StarField::releaseStarField() {}
