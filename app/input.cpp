// Keyboard and mouse commands: each key changes one setting and confirms it with a message;
// the left button launches a meteor at the point of the planet that faces the camera.
#include "app/input.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdlib>

#include "app/reset.h"
#include "app/user_maps.h"
#include "app/window_host.h"
#include "core/frame_clock.h"
#include "core/numeric.h"
#include "core/phase_bank.h"
#include "core/settings.h"
#include "image/texture_table.h"
#include "sim/fragments.h"
#include "sim/impact.h"
#include "sim/planet.h"
#include "text/text_display.h"

namespace {

constexpr unsigned char kEscapeKey = 27;
constexpr double kFaster = 1.111111;  // speed factors, one key press
constexpr double kSlower = 0.9;
constexpr double kLarger = 1.055555;  // object size, one key press
constexpr double kSmaller = 0.95;
constexpr double kCameraZStep = 0.05;  // scene units per key press
constexpr int kMinFieldOfView = 1;     // degrees
constexpr int kMaxFieldOfView = 179;
constexpr int kMinTessellation = 3;
constexpr int kMaxTessellation = 40;
constexpr int kLetterboxStepMax = 6;  // the cycle runs -5..6, the size is its magnitude
constexpr int kLetterboxStepMin = -5;
constexpr int kReadoutModes = 3;      // none, matrix, direction
constexpr int kPolyModes = 3;         // polygons, lines, points
constexpr float kLaunchClock = 0.5f;  // impact clock of a launched meteor; it strikes at 1
constexpr int kAimAtCamera = 1;

// A key that multiplies one of the unbounded speed or size settings.
struct ScalingKey {
  int key;
  float SceneSettings::*setting;
  double factor;
  const char* format;  // message with the new value
};

constexpr ScalingKey kScalingKeys[] = {
    {'-', &SceneSettings::rotateSpeed, kSlower, "Rotate Speed: %4.2f\n"},
    {'=', &SceneSettings::rotateSpeed, kFaster, "Rotate Speed: %4.2f\n"},
    {'_', &SceneSettings::movementSpeed, kSlower, "Movement Speed: %4.2f\n"},
    {'+', &SceneSettings::movementSpeed, kFaster, "Movement Speed: %4.2f\n"},
    {'(', &SceneSettings::lightRotateSpeed, kSlower, "Light Rotate Speed: %4.2f\n"},
    {')', &SceneSettings::lightRotateSpeed, kFaster, "Light Rotate Speed: %4.2f\n"},
    {'[', &SceneSettings::objectSize, kSmaller, "Object Size: %4.2f\n"},
    {']', &SceneSettings::objectSize, kLarger, "Object Size: %4.2f\n"},
};

constexpr ScalingKey kScalingSpecialKeys[] = {
    {GLUT_KEY_PAGE_UP, &SceneSettings::mainSpeed, kFaster, "Main Speed: %4.2f\n"},
    {GLUT_KEY_PAGE_DOWN, &SceneSettings::mainSpeed, kSlower, "Main Speed: %4.2f\n"},
    {GLUT_KEY_HOME, &SceneSettings::homeEndSpeed, kFaster, "Home/End: %4.2f\n"},
    {GLUT_KEY_END, &SceneSettings::homeEndSpeed, kSlower, "Home/End: %4.2f\n"},
};

const char* const kImageLines[kPlanetImages] = {
    "Image 0/9: Moon",     "Image 1/9: Cloud Layer",
    "Image 2/9: Venus",    "Image 3/9: Earth w/ Cloud Layer",
    "Image 4/9: Mars",     "Image 5/9: Jupiter",
    "Image 6/9: Saturn",   "Image 7/9: Neptune",
    "Image 8/9: Neptune2", "Image 9/9: Pluto",
};

const char* const kPolyModeLines[kPolyModes] = {"PolyMode 1/3: Polygons", "PolyMode 2/3: Lines",
                                                "PolyMode 3/3: Points"};

unsigned char lowerCase(unsigned char key) {
  return key >= 'A' && key <= 'Z' ? static_cast<unsigned char>(key - 'A' + 'a') : key;
}

// Looks the key up in a scaling table; multiplies and shows the new value when found. The
// product stays a normal, finite float however often the key is pressed, so the phase bank never
// sees an infinity, and a factor driven to its smallest can always be driven back up (below
// the normal range a press would round back to the same value).
template <std::size_t N>
bool applyScalingKey(const ScalingKey (&table)[N], int key) {
  for (const ScalingKey& entry : table) {
    if (entry.key != key) continue;
    float& setting = sceneSettings.*entry.setting;
    setting = scaledWithinFloat(setting, entry.factor);
    textDisplay.showMessageReal(entry.format, setting);
    return true;
  }
  return false;
}

void startExitFade() {
  exitFadeStart = now;
  sceneSettings.clearEachFrame = 1;
  helpShown = 0;
}

void toggleHelp() {
  helpShown = !helpShown;
  // Wipe the list at once, or it would stay until the next frame's clear.
  if (!helpShown && sceneSettings.clearEachFrame) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }
}

void adjustFieldOfView(int step) {
  int& fov = sceneSettings.fieldOfView;
  fov = std::clamp(fov + step, kMinFieldOfView, kMaxFieldOfView);
  textDisplay.showMessageReal("FOV: %3.0f Degrees\n", fov);
}

void adjustCameraZ(double step) {
  sceneSettings.cameraZ = static_cast<float>(sceneSettings.cameraZ + step);
  textDisplay.showMessageReal("CameraZ: %4.2f\n", sceneSettings.cameraZ);
}

void toggleFrameRateLine() {
  sceneSettings.fpsClockOn = !sceneSettings.fpsClockOn;
  textDisplay.showMessage(sceneSettings.fpsClockOn ? "Frame/Second Clock On"
                                                   : "Frame/Second Clock Off");
}

void toggleFullScreen() {
  fullScreen = !fullScreen;
  if (fullScreen) {
    hostFullScreen();
    forceClear = 1;
  } else {
    hostReshapeWindow(kWindowedSize, kWindowedSize);
  }
  applyCursorRule();
}

// Sizes 1, 2, ... 6, 5, ... 0, 1, ...: the step runs -5..6 and the size is its magnitude.
// After a reset put the size back to 0, the cycle continues from there.
void cycleLetterbox() {
  int& size = sceneSettings.letterbox;
  if (std::abs(letterboxStep) != size) letterboxStep = size;
  letterboxStep = letterboxStep >= kLetterboxStepMax ? kLetterboxStepMin : letterboxStep + 1;
  size = std::abs(letterboxStep);
  forceClear = 1;
  textDisplay.showMessageInt("Letterbox: %d", size);
}

void togglePause() {
  paused = !paused;
  textDisplay.showMessage(paused ? "Pause Motion" : "Continue Motion");
}

void resetFromKey() {
  resetScene();
  seedPhaseBank(kPhasesUsed);
  textDisplay.showMessage("Reset");
  forceClear = 1;
}

void toggleSpotlights() {
  sceneSettings.spotlightsOn = !sceneSettings.spotlightsOn;
  textDisplay.showMessage(sceneSettings.spotlightsOn ? "SpotLights On" : "SpotLights Off");
}

void toggleUniverse() {
  sceneSettings.universeOn = !sceneSettings.universeOn;
  textDisplay.showMessage(sceneSettings.universeOn ? "Universe On" : "Universe Off");
}

void toggleCameraMode() {
  int& mode = sceneSettings.cameraMode;
  mode = mode == 0 ? 1 : 0;
  textDisplay.showMessage(mode == 0 ? "Camera 1: Auto"
                                    : "Camera 2: Manual Mouse/Arrow Key Control");
  applyCursorRule();
}

void cyclePolyMode() {
  int& mode = sceneSettings.polyMode;
  mode = mode >= 0 && mode < kPolyModes - 1 ? mode + 1 : 0;
  textDisplay.showMessage(kPolyModeLines[mode]);
}

void showPlanetImage(int image) {
  sceneSettings.planetImage = image;
  textDisplay.showMessage(userMapCount > 0 ? userMapLine(image) : kImageLines[image]);
}

void adjustTessellation(int step) {
  int& tessellation = sceneSettings.tessellation;
  tessellation = std::clamp(tessellation + step, kMinTessellation, kMaxTessellation);
  textDisplay.showMessageInt("Tesselation: %d\n", tessellation);
}

void toggleImpactSound() {
  int& sound = sceneSettings.impactSoundOn;
  sound = sound >= 1 ? 0 : 1;
  textDisplay.showMessage(sound == 0 ? "Option 0/1: Impact Sound Off"
                                     : "Option 1/1: Impact Sound On");
}

void cycleReadout() {
  readoutMode = readoutMode >= 0 && readoutMode < kReadoutModes - 1 ? readoutMode + 1 : 0;
  textDisplay.showMessageInt("N: %d", readoutMode);
  planetFragments(0);
}

// The keys of the main table; the option keys follow in handleOptionKey.
void handleCommandKey(unsigned char key) {
  if (applyScalingKey(kScalingKeys, key)) return;
  switch (lowerCase(key)) {
    case kEscapeKey:
      startExitFade();
      break;
    case ' ':
      sceneSettings.clearEachFrame = !sceneSettings.clearEachFrame;
      break;
    case '{':
      adjustCameraZ(-kCameraZStep);
      break;
    case '}':
      adjustCameraZ(kCameraZStep);
      break;
    case ',':
      adjustFieldOfView(1);
      break;
    case '.':
      adjustFieldOfView(-1);
      break;
    case '?':
    case '/':
      toggleHelp();
      break;
    case 'c':
      toggleFrameRateLine();
      break;
    case 'f':
      toggleFullScreen();
      break;
    case 'l':
      cycleLetterbox();
      break;
    case 'p':
      togglePause();
      break;
    case 'r':
      resetFromKey();
      break;
    case 's':
      toggleSpotlights();
      break;
    case 'u':
      toggleUniverse();
      break;
    case 'v':
      toggleCameraMode();
      break;
    case 'w':
      cyclePolyMode();
      break;
    default:
      break;
  }
}

// Pointer position relative to the pointer home, saturated so no position can overflow.
int offsetFromHome(int position, int home) {
  const long long offset = static_cast<long long>(position) - home;
  return static_cast<int>(std::clamp<long long>(offset, INT_MIN, INT_MAX));
}

void notePointer(int x, int y) {
  mouseOffset.x = offsetFromHome(x, kPointerHomeX);
  mouseOffset.y = offsetFromHome(y, kPointerHomeY);
  mouseMoved = 1;
}

}  // namespace

PointerOffset mouseOffset;
int mouseMoved = 0;

void applyCursorRule() {
  const bool arrow = !fullScreen && sceneSettings.cameraMode == 0;
  hostSetCursor(arrow ? GLUT_CURSOR_LEFT_ARROW : GLUT_CURSOR_NONE);
}

void onKeyboard(unsigned char key, int, int) {
  forceClear = 0;  // any later key cancels a clear an earlier key asked for
  handleCommandKey(key);
  handleOptionKey(key);
}

void handleOptionKey(unsigned char key) {
  const unsigned char option = lowerCase(key);
  if (option >= '0' && option <= '9') {
    // A digit beyond the user's maps has no planet to show.
    if (option - '0' < planetsInCycle()) showPlanetImage(option - '0');
    return;
  }
  switch (option) {
    case 'i': {
      const int image = sceneSettings.planetImage;
      showPlanetImage(image >= 0 && image < planetsInCycle() - 1 ? image + 1 : 0);
      break;
    }
    case '<':
      adjustTessellation(-1);
      break;
    case '>':
      adjustTessellation(1);
      break;
    case 'o':
      toggleImpactSound();
      break;
    case 'n':
      cycleReadout();
      break;
    default:
      break;
  }
}

void onSpecialKeyDown(int key, int, int) {
  applyScalingKey(kScalingSpecialKeys, key);
}

void onSpecialKeyUp(int, int, int) {}

void onMouseButton(int button, int state, int x, int y) {
  if (button != GLUT_LEFT_BUTTON) return;
  if (state == GLUT_DOWN) {
    impactClock = kLaunchClock;
    aimImpact(kAimAtCamera);
  }
  notePointer(x, y);
}

void onMouseMotion(int x, int y) {
  notePointer(x, y);
}
