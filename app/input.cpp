// Placeholder until the full key table lands: ESC starts the exit fade.
#include "app/input.h"

#include "app/frame_step.h"
#include "app/settings.h"

PointerOffset mouseOffset;
int mouseMoved = 0;

void onKeyboard(unsigned char key, int, int) {
  if (key == 27) {
    exitFadeStart = now;
    sceneSettings.clearEachFrame = 1;
    helpShown = 0;
  }
}
void handleOptionKey(unsigned char) {}
void onSpecialKeyDown(int, int, int) {}
void onSpecialKeyUp(int, int, int) {}
void onMouseButton(int, int, int, int) {}
void onMouseMotion(int, int) {}
