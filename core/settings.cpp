// Scene settings: the single settings object, the global flags, the defaults a reset gives
// every value and the start values that the user's command line puts over them.
#include "core/settings.h"

namespace {

// One setting's value at reset, given by the user; exactly one of the two fields is set.
struct StartValue {
  int SceneSettings::*wholeField = nullptr;
  float SceneSettings::*realField = nullptr;
  int wholeValue = 0;
  float realValue = 0;
};

StartValue startValues[kMaxStartValues];
int startValueCount = 0;  // 0..kMaxStartValues, in the order first set

// The slot of this field: its earlier one, else a new one; null when none is left.
StartValue* startValueSlot(int SceneSettings::*wholeField, float SceneSettings::*realField) {
  for (int i = 0; i < startValueCount; ++i) {
    StartValue& slot = startValues[i];
    if (slot.wholeField == wholeField && slot.realField == realField) return &slot;
  }
  if (startValueCount == kMaxStartValues) return nullptr;
  StartValue& slot = startValues[startValueCount++];
  slot = StartValue{wholeField, realField};
  return &slot;
}

}  // namespace

SceneSettings sceneSettings;

int paused = 0;
int readoutMode = 0;
int fullScreen = 1;
int helpShown = 0;
int forceClear = 0;
double exitFadeStart = 0;
int letterboxStep = 0;
int firstResetDone = 0;

bool setStartValue(int SceneSettings::*field, int value) {
  StartValue* slot = startValueSlot(field, nullptr);
  if (slot == nullptr) return false;
  slot->wholeValue = value;
  return true;
}

bool setStartValue(float SceneSettings::*field, float value) {
  StartValue* slot = startValueSlot(nullptr, field);
  if (slot == nullptr) return false;
  slot->realValue = value;
  return true;
}

bool hasStartValue(int SceneSettings::*field) {
  for (int i = 0; i < startValueCount; ++i) {
    if (startValues[i].wholeField == field) return true;
  }
  return false;
}

void clearStartValues() {
  startValueCount = 0;
}

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
  for (int i = 0; i < startValueCount; ++i) {
    const StartValue& start = startValues[i];
    if (start.wholeField != nullptr) s.*start.wholeField = start.wholeValue;
    if (start.realField != nullptr) s.*start.realField = start.realValue;
  }
}
