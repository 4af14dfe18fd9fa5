// The help screen and the numeric readouts drawn on top of the scene:
// camera angle lines, the model-view matrix grid and the viewing direction.
#pragma once

constexpr int kHelpBlock1Lines = 10;
constexpr int kHelpBlock2Lines = 20;
extern const char* const kHelpBlock1[kHelpBlock1Lines];
extern const char* const kHelpBlock2[kHelpBlock2Lines];

void drawHelpScreen();
void drawCameraAngleLines();  // "Heading %3.0f" at (10, 40), "Pitch   %3.0f" at (10, 60)
void drawMatrixReadout();
void drawDirectionReadout();
