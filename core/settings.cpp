// Scene settings: the single settings object, the global flags and the defaults a reset
// gives every value.
#include "core/settings.h"

SceneSettings sceneSettings;

int paused = 0;
int readoutMode = 0;
int fullScreen = 1;
int helpShown = 0;
int forceClear = 0;
double exitFadeStart = 0;
int letterboxStep = 0;
int firstResetDone = 0;

void restoreDefaults(SceneSettings& s) {
  s.fieldOfView = 70;
  s.letterbox = 0;
  s.tessellation = 30;
  s.universeOn = 1;
  s.clearEachFrame = 1;
  s.spotlightsOn = 1;
  s.polyMode = 0;
  s.cameraMode = 0;
  s.impactSoundOn = 1;
  s.planetImage = 3;
  s.fpsClockOn = 0;
  s.rotateSpeed = 1.0f;
  s.movementSpeed = 1.0f;
  s.cameraZ = 0.35f;
  s.objectSize = 1.0f;
  s.mainSpeed = 1.0f;
  s.homeEndSpeed = 1.0f;
  s.lightRotateSpeed = 1.0f;
}
