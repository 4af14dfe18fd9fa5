// Scene settings: every keyboard-adjustable value, the global flags, and the values a reset
// gives. All values are 0 from program start until the first reset gives them their defaults.
#pragma once

class SceneSettings {
 public:
  virtual ~SceneSettings() = default;

  int fieldOfView = 0;         // degrees, 1..179, default 70
  int letterbox = 0;           // 0..6, bars of letterbox * 5 % of the height each
  int tessellation = 0;        // 3..40, default 30: slices and stacks of the planet
  int universeOn = 0;          // star field shown, default 1
  int clearEachFrame = 0;      // 0 = hyperspace (no clear), default 1
  int spotlightsOn = 0;        // planet lit, default 1
  int polyMode = 0;            // 0 polygons, 1 lines, 2 points
  int cameraMode = 0;          // 0 auto, 1 manual
  int impactSoundOn = 0;       // default 1
  int planetImage = 0;         // 0..9, default 3
  int fpsClockOn = 0;          // frames-per-second line, default 0
  float rotateSpeed = 0;       // > 0, phase slots 1-3
  float movementSpeed = 0;     // > 0, phase slots 4-6
  float cameraZ = 0;           // eye distance, default 0.35
  float objectSize = 0;        // > 0, planet radius 0.07 * objectSize
  float mainSpeed = 0;         // > 0, phase slots 7-49
  float homeEndSpeed = 0;      // > 0, shown only
  float lightRotateSpeed = 0;  // > 0, phase slots 50-59
};

extern SceneSettings sceneSettings;

extern int paused;            // freezes the auto camera and phase slots 1-9
extern int readoutMode;       // 0 none, 1 matrix readout, 2 direction readout
extern int fullScreen;        // 1 at start; not reset
extern int helpShown;         // help screen on; not reset
extern int forceClear;        // one clear on the next frame; not reset
extern double exitFadeStart;  // `now` at ESC, seconds; 0 = not exiting
extern int letterboxStep;     // -5..6, position in the letterbox cycle; not reset
extern int firstResetDone;    // set at the end of every reset

// The values a reset gives beyond the built-in defaults: those the user started with (the
// command line sets them before start-up), so that a reset returns to them.
constexpr int kMaxStartValues = 18;  // one per field of SceneSettings

// Makes `value` what `field` gets at every reset, replacing an earlier start value of the same
// field. Returns false, keeping nothing, when all kMaxStartValues slots hold other fields.
bool setStartValue(int SceneSettings::*field, int value);
bool setStartValue(float SceneSettings::*field, float value);
// Whether the user started with a value of `field`.
bool hasStartValue(int SceneSettings::*field);
// Forgets every start value: a reset gives the built-in defaults alone.
void clearStartValues();

// Gives every setting its built-in default, then the start values in the order they were set.
void restoreDefaults(SceneSettings& settings);
