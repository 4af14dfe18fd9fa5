// Keyboard and mouse through the program's handlers: every key with its effect and its exact
// message, limits and cycles, capitals, the reset, stray keys, the window key and the buttons.
#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "app/input.h"
#include "core/frame_clock.h"
#include "core/settings.h"
#include "sim/impact.h"
#include "support/scene_driver.h"

namespace {

using testsupport::messageText;
using testsupport::pressKey;

#define READ(expression) [] { return static_cast<double>(expression); }

// Each row starts from a reset, so the rows also show that the reset restores every default.
struct KeyRow {
  int key;              // an ASCII key, or minus a special key
  int presses;          // from the defaults
  const char* message;  // after the last press; "Reset" for keys that show none
  double (*read)();     // what the key changes
  double expected;
};

const SceneSettings& s = sceneSettings;

const KeyRow kKeys[] = {
    {27, 1, "Reset", READ(exitFadeStart), 20.0},
    {' ', 1, "Reset", READ(s.clearEachFrame), 0},
    {' ', 2, "Reset", READ(s.clearEachFrame), 1},
    {'-', 1, "Rotate Speed: 0.90\n", READ(s.rotateSpeed), 0.9},
    {'=', 1, "Rotate Speed: 1.11\n", READ(s.rotateSpeed), 1.111111},
    {'_', 1, "Movement Speed: 0.90\n", READ(s.movementSpeed), 0.9},
    {'+', 1, "Movement Speed: 1.11\n", READ(s.movementSpeed), 1.111111},
    {'(', 1, "Light Rotate Speed: 0.90\n", READ(s.lightRotateSpeed), 0.9},
    {')', 1, "Light Rotate Speed: 1.11\n", READ(s.lightRotateSpeed), 1.111111},
    {'{', 1, "CameraZ: 0.30\n", READ(s.cameraZ), 0.30},
    {'}', 1, "CameraZ: 0.40\n", READ(s.cameraZ), 0.40},
    {'[', 1, "Object Size: 0.95\n", READ(s.objectSize), 0.95},
    {']', 1, "Object Size: 1.06\n", READ(s.objectSize), 1.055555},
    {',', 1, "FOV:  71 Degrees\n", READ(s.fieldOfView), 71},
    {'.', 1, "FOV:  69 Degrees\n", READ(s.fieldOfView), 69},
    {',', 200, "FOV: 179 Degrees\n", READ(s.fieldOfView), 179},
    {'.', 200, "FOV:   1 Degrees\n", READ(s.fieldOfView), 1},
    {'?', 1, "Reset", READ(helpShown), 1},
    {'/', 1, "Reset", READ(helpShown), 1},
    {'c', 1, "Frame/Second Clock On", READ(s.fpsClockOn), 1},
    {'c', 2, "Frame/Second Clock Off", READ(s.fpsClockOn), 0},
    {'l', 6, "Letterbox: 6", READ(s.letterbox), 6},
    {'l', 7, "Letterbox: 5", READ(s.letterbox), 5},
    {'l', 12, "Letterbox: 0", READ(s.letterbox), 0},
    {'l', 13, "Letterbox: 1", READ(s.letterbox), 1},
    {'p', 1, "Pause Motion", READ(paused), 1},
    {'p', 2, "Continue Motion", READ(paused), 0},
    {'s', 1, "SpotLights Off", READ(s.spotlightsOn), 0},
    {'s', 2, "SpotLights On", READ(s.spotlightsOn), 1},
    {'u', 1, "Universe Off", READ(s.universeOn), 0},
    {'u', 2, "Universe On", READ(s.universeOn), 1},
    {'v', 1, "Camera 2: Manual Mouse/Arrow Key Control", READ(s.cameraMode), 1},
    {'v', 2, "Camera 1: Auto", READ(s.cameraMode), 0},
    {'w', 1, "PolyMode 2/3: Lines", READ(s.polyMode), 1},
    {'w', 2, "PolyMode 3/3: Points", READ(s.polyMode), 2},
    {'w', 3, "PolyMode 1/3: Polygons", READ(s.polyMode), 0},
    {'0', 1, "Image 0/9: Moon", READ(s.planetImage), 0},
    {'1', 1, "Image 1/9: Cloud Layer", READ(s.planetImage), 1},
    {'2', 1, "Image 2/9: Venus", READ(s.planetImage), 2},
    {'3', 1, "Image 3/9: Earth w/ Cloud Layer", READ(s.planetImage), 3},
    {'4', 1, "Image 4/9: Mars", READ(s.planetImage), 4},
    {'5', 1, "Image 5/9: Jupiter", READ(s.planetImage), 5},
    {'6', 1, "Image 6/9: Saturn", READ(s.planetImage), 6},
    {'7', 1, "Image 7/9: Neptune", READ(s.planetImage), 7},
    {'8', 1, "Image 8/9: Neptune2", READ(s.planetImage), 8},
    {'9', 1, "Image 9/9: Pluto", READ(s.planetImage), 9},
    {'i', 1, "Image 4/9: Mars", READ(s.planetImage), 4},
    {'i', 7, "Image 0/9: Moon", READ(s.planetImage), 0},
    {'<', 1, "Tesselation: 29\n", READ(s.tessellation), 29},
    {'>', 1, "Tesselation: 31\n", READ(s.tessellation), 31},
    {'<', 40, "Tesselation: 3\n", READ(s.tessellation), 3},
    {'>', 20, "Tesselation: 40\n", READ(s.tessellation), 40},
    {'o', 1, "Option 0/1: Impact Sound Off", READ(s.impactSoundOn), 0},
    {'o', 2, "Option 1/1: Impact Sound On", READ(s.impactSoundOn), 1},
    {'n', 1, "N: 1", READ(readoutMode), 1},
    {'n', 3, "N: 0", READ(readoutMode), 0},
    {-GLUT_KEY_PAGE_UP, 1, "Main Speed: 1.11\n", READ(s.mainSpeed), 1.111111},
    {-GLUT_KEY_PAGE_DOWN, 1, "Main Speed: 0.90\n", READ(s.mainSpeed), 0.9},
    {-GLUT_KEY_HOME, 1, "Home/End: 1.11\n", READ(s.homeEndSpeed), 1.111111},
    {-GLUT_KEY_END, 1, "Home/End: 0.90\n", READ(s.homeEndSpeed), 0.9},
    {-GLUT_KEY_UP, 1, "Reset", READ(s.fieldOfView), 70},
};

class Input : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    testsupport::startScene();
    testsupport::frameAt(20'000);
  }
  void SetUp() override {
    pressKey('r');
    helpShown = 0;  // a window flag the reset leaves alone
  }
};

TEST_F(Input, EveryKeyChangesItsSettingAndSaysSoCapitalsAlikeAndNoOtherKeyDoesAnything) {
  for (const KeyRow& row : kKeys) {
    const bool letter = row.key >= 'a' && row.key <= 'z';
    for (const int key : {row.key, letter ? row.key - 'a' + 'A' : 0}) {
      if (key == 0) continue;
      SCOPED_TRACE(testing::Message() << "key " << key << " pressed " << row.presses << "x");
      SetUp();
      for (int i = 0; i < row.presses; ++i) testsupport::press(key);
      EXPECT_EQ(messageText(), row.message);
      EXPECT_NEAR(row.read(), row.expected, 1e-6);
    }
  }
  // No other key changes a thing ('r' shows "Reset" again; 'f' has its own test).
  std::string handled;
  for (int key = 0; key < 256; ++key) {
    if (key == 'f' || key == 'F') continue;
    SetUp();
    pressKey(static_cast<unsigned char>(key));
    const bool changed = messageText() != "Reset" || helpShown || !sceneSettings.clearEachFrame ||
                         exitFadeStart != 0;
    if (changed) handled += static_cast<char>(key);
  }
  EXPECT_EQ(handled, "\x1b ()+,-./0123456789<=>?CILNOPSUVW[]_cilnopsuvw{}");
}

// Handles window events until the reshape callback has reported the width, for up to 10 s.
void processWindowEventsUntilWidth(int width) {
  for (int i = 0; i < 1000 && windowWidth != width; ++i) {
    glutMainLoopEvent();
    usleep(10'000);
  }
}

// Only the left button launches (clock 0.5); any button notes the pointer's offset, saturated.
// 'f' leaves full screen for a 512 x 512 window, with the arrow only for the auto camera.
TEST_F(Input, TheButtonsThePointerTheWindowKeyAndTheCursor) {
  const int buttons[][3] = {{GLUT_RIGHT_BUTTON, GLUT_DOWN, 30},
                            {GLUT_MIDDLE_BUTTON, GLUT_DOWN, 30},
                            {GLUT_LEFT_BUTTON, GLUT_UP, 30},
                            {GLUT_LEFT_BUTTON, GLUT_DOWN, 5}};
  for (const auto& b : buttons) {  // button, state, tenths of the clock afterwards
    impactClock = 3.0f;
    onMouseButton(b[0], b[1], 470, 330);
    EXPECT_EQ(impactClock * 10, b[2]) << "button " << b[0] << " state " << b[1];
  }
  EXPECT_TRUE(mouseOffset.x == 20 && mouseOffset.y == -20);
  onMouseMotion(INT_MIN, INT_MAX);
  EXPECT_TRUE(mouseOffset.x == INT_MIN && mouseOffset.y == INT_MAX - 350);
  pressKey('f');
  processWindowEventsUntilWidth(512);
  EXPECT_EQ(fullScreen, 0);
  EXPECT_TRUE(glutGet(GLUT_WINDOW_WIDTH) == 512 && glutGet(GLUT_WINDOW_HEIGHT) == 512);
  EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_LEFT_ARROW);
  pressKey('v');
  EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_NONE);
  testsupport::pressKeys("vF");
  EXPECT_TRUE(fullScreen == 1 && forceClear == 1);
  EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_NONE);
  glutReshapeWindow(640, 480);
  processWindowEventsUntilWidth(640);
}

}  // namespace
