// Placeholder until the help screen lands.
#include "text/help_screen.h"

const char* const kHelpBlock1[kHelpBlock1Lines] = {};
const char* const kHelpBlock2[kHelpBlock2Lines] = {};

void drawHelpScreen() {}
void drawCameraAngleLines() {}
void drawMatrixReadout() {}
void drawDirectionReadout() {}
