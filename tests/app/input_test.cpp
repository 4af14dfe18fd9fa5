// Keyboard and mouse commands: every key of the three tables with its effect and exact message,
// the bounds and cycles, the exit fade, forced clears, the cursor rule, the mouse, and the match
// between the keys handled and the keys the help screen lists.
#include "app/input.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "app/camera.h"
#include "app/frame_step.h"
#include "app/settings.h"
#include "app/startup.h"
#include "sim/impact.h"
#include "sim/numeric.h"
#include "support/gl_context.h"
#include "text/help_screen.h"
#include "text/text_display.h"

namespace {

constexpr const char* kSentinel = "sentinel";  // recorded before each key; no message keeps it

// Everything a key may change, in one comparable value.
struct Snapshot {
  int fieldOfView, letterbox, tessellation, universeOn, clearEachFrame, spotlightsOn, polyMode,
      cameraMode, impactSoundOn, planetImage, fpsClockOn;
  float rotateSpeed, movementSpeed, cameraZ, objectSize, mainSpeed, homeEndSpeed, lightRotateSpeed;
  int paused, readoutMode, fullScreen, helpShown, forceClear, letterboxStep;
  double exitFadeStart;
  float impactClock;
  int mouseX, mouseY, mouseMoved;
  bool operator==(const Snapshot&) const = default;
};

void PrintTo(const Snapshot& s, std::ostream* out) {
  *out << "{fov " << s.fieldOfView << ", letterbox " << s.letterbox << ", tess " << s.tessellation
       << ", universe " << s.universeOn << ", clear " << s.clearEachFrame << ", spots "
       << s.spotlightsOn << ", poly " << s.polyMode << ", camera " << s.cameraMode << ", sound "
       << s.impactSoundOn << ", image " << s.planetImage << ", fps " << s.fpsClockOn << ", rotate "
       << s.rotateSpeed << ", movement " << s.movementSpeed << ", z " << s.cameraZ << ", size "
       << s.objectSize << ", main " << s.mainSpeed << ", homeEnd " << s.homeEndSpeed << ", light "
       << s.lightRotateSpeed << ", paused " << s.paused << ", readout " << s.readoutMode
       << ", full " << s.fullScreen << ", help " << s.helpShown << ", forceClear " << s.forceClear
       << ", step " << s.letterboxStep << ", exit " << s.exitFadeStart << ", clock "
       << s.impactClock << ", mouse " << s.mouseX << "," << s.mouseY << " moved " << s.mouseMoved
       << "}";
}

Snapshot snapshot() {
  const SceneSettings& s = sceneSettings;
  return Snapshot{
      s.fieldOfView,  s.letterbox,    s.tessellation,     s.universeOn,    s.clearEachFrame,
      s.spotlightsOn, s.polyMode,     s.cameraMode,       s.impactSoundOn, s.planetImage,
      s.fpsClockOn,   s.rotateSpeed,  s.movementSpeed,    s.cameraZ,       s.objectSize,
      s.mainSpeed,    s.homeEndSpeed, s.lightRotateSpeed, paused,          readoutMode,
      fullScreen,     helpShown,      forceClear,         letterboxStep,   exitFadeStart,
      impactClock,    mouseOffset.x,  mouseOffset.y,      mouseMoved};
}

// One user input: an ASCII key, a special key, pointer motion or a mouse button press.
struct Input {
  enum Kind { kAscii, kSpecial, kMotion, kButton } kind;
  int code;  // key, special key or button
  bool operator<(const Input& o) const { return kind != o.kind ? kind < o.kind : code < o.code; }
};
Input ascii(int key) {
  return {Input::kAscii, key};
}
Input special(int key) {
  return {Input::kSpecial, key};
}

void press(Input input) {
  switch (input.kind) {
    case Input::kAscii:
      onKeyboard(static_cast<unsigned char>(input.code), 0, 0);
      break;
    case Input::kSpecial:
      onSpecialKeyDown(input.code, 0, 0);
      onSpecialKeyUp(input.code, 0, 0);
      break;
    case Input::kMotion:
      onMouseMotion(460, 340);
      break;
    case Input::kButton:
      onMouseButton(input.code, GLUT_DOWN, 460, 340);
      onMouseButton(input.code, GLUT_UP, 460, 340);
      break;
  }
}

void pressKey(int key) {
  press(ascii(key));
}

// A known starting point: the defaults, no exit fade, no pending clear, a recorded sentinel.
void startFromDefaults() {
  testsupport::ensureGlContext(640, 480);
  glutDisplayFunc([] {});
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  now = 5.0;
  resetScene();
  letterboxStep = 0;
  helpShown = 0;
  fullScreen = 1;
  forceClear = 0;
  impactClock = -1.0f;
  mouseOffset = PointerOffset{};
  mouseMoved = 0;
  cameraHeading = 0;
  cameraPitch = 0;
  textDisplay.recordText = 1;
  textDisplay.messageExpiry = 0;
  textDisplay.drawText(kSentinel, 1, 1, 20);
}

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override { startFromDefaults(); }
  void TearDown() override { testsupport::firstGlError(); }
};

struct KeyCase {
  Input input;
  const char* message;                    // nullptr: no message
  std::function<void(Snapshot&)> expect;  // the change from the defaults
  std::function<void()> arrange = [] {};
};

float times(float value, double factor) {
  return static_cast<float>(value * factor);
}

// From the defaults: each key's effect on everything a key can change, and its exact message.
// The window key 'f' has its own test, since it resizes the window.
const std::vector<KeyCase>& keyCases() {
  static const std::vector<KeyCase> cases = {
      {ascii(27), nullptr,
       [](Snapshot& s) { s.exitFadeStart = 5.0, s.clearEachFrame = 1, s.helpShown = 0; },
       [] { sceneSettings.clearEachFrame = 0, helpShown = 1; }},
      {ascii(' '), nullptr, [](Snapshot& s) { s.clearEachFrame = 0; }},
      {ascii('-'), "Rotate Speed: 0.90\n", [](Snapshot& s) { s.rotateSpeed = times(1, 0.9); }},
      {ascii('='), "Rotate Speed: 1.11\n", [](Snapshot& s) { s.rotateSpeed = times(1, 1.111111); }},
      {ascii('_'), "Movement Speed: 0.90\n", [](Snapshot& s) { s.movementSpeed = times(1, 0.9); }},
      {ascii('+'), "Movement Speed: 1.11\n",
       [](Snapshot& s) { s.movementSpeed = times(1, 1.111111); }},
      {ascii('('), "Light Rotate Speed: 0.90\n",
       [](Snapshot& s) { s.lightRotateSpeed = times(1, 0.9); }},
      {ascii(')'), "Light Rotate Speed: 1.11\n",
       [](Snapshot& s) { s.lightRotateSpeed = times(1, 1.111111); }},
      {ascii('{'), "CameraZ: 0.30\n", [](Snapshot& s) { s.cameraZ = 0.35f - 0.05; }},
      {ascii('}'), "CameraZ: 0.40\n", [](Snapshot& s) { s.cameraZ = 0.35f + 0.05; }},
      {ascii('['), "Object Size: 0.95\n", [](Snapshot& s) { s.objectSize = times(1, 0.95); }},
      {ascii(']'), "Object Size: 1.06\n", [](Snapshot& s) { s.objectSize = times(1, 1.055555); }},
      {ascii(','), "FOV:  71 Degrees\n", [](Snapshot& s) { s.fieldOfView = 71; }},
      {ascii('.'), "FOV:  69 Degrees\n", [](Snapshot& s) { s.fieldOfView = 69; }},
      {ascii('?'), nullptr, [](Snapshot& s) { s.helpShown = 1; }},
      {ascii('/'), nullptr, [](Snapshot& s) { s.helpShown = 1; }},
      {ascii('c'), "Frame/Second Clock On", [](Snapshot& s) { s.fpsClockOn = 1; }},
      {ascii('l'), "Letterbox: 1",
       [](Snapshot& s) { s.letterbox = 1, s.letterboxStep = 1, s.forceClear = 1; }},
      {ascii('p'), "Pause Motion", [](Snapshot& s) { s.paused = 1; }},
      {ascii('r'), "Reset", [](Snapshot& s) { s.forceClear = 1; },
       [] {
         sceneSettings.fieldOfView = 120, sceneSettings.mainSpeed = 7, paused = 1, readoutMode = 2,
         sceneSettings.letterbox = 3;
       }},
      {ascii('s'), "SpotLights Off", [](Snapshot& s) { s.spotlightsOn = 0; }},
      {ascii('u'), "Universe Off", [](Snapshot& s) { s.universeOn = 0; }},
      {ascii('v'), "Camera 2: Manual Mouse/Arrow Key Control",
       [](Snapshot& s) { s.cameraMode = 1; }},
      {ascii('w'), "PolyMode 2/3: Lines", [](Snapshot& s) { s.polyMode = 1; }},
      {ascii('0'), "Image 0/9: Moon", [](Snapshot& s) { s.planetImage = 0; }},
      {ascii('1'), "Image 1/9: Cloud Layer", [](Snapshot& s) { s.planetImage = 1; }},
      {ascii('2'), "Image 2/9: Venus", [](Snapshot& s) { s.planetImage = 2; }},
      {ascii('3'), "Image 3/9: Earth w/ Cloud Layer", [](Snapshot& s) { s.planetImage = 3; }},
      {ascii('4'), "Image 4/9: Mars", [](Snapshot& s) { s.planetImage = 4; }},
      {ascii('5'), "Image 5/9: Jupiter", [](Snapshot& s) { s.planetImage = 5; },
       [] { sceneSettings.planetImage = 8; }},
      {ascii('6'), "Image 6/9: Saturn", [](Snapshot& s) { s.planetImage = 6; }},
      {ascii('7'), "Image 7/9: Neptune", [](Snapshot& s) { s.planetImage = 7; }},
      {ascii('8'), "Image 8/9: Neptune2", [](Snapshot& s) { s.planetImage = 8; }},
      {ascii('9'), "Image 9/9: Pluto", [](Snapshot& s) { s.planetImage = 9; }},
      {ascii('i'), "Image 4/9: Mars", [](Snapshot& s) { s.planetImage = 4; }},
      {ascii('<'), "Tesselation: 29\n", [](Snapshot& s) { s.tessellation = 29; }},
      {ascii('>'), "Tesselation: 31\n", [](Snapshot& s) { s.tessellation = 31; }},
      {ascii('o'), "Option 0/1: Impact Sound Off", [](Snapshot& s) { s.impactSoundOn = 0; }},
      {ascii('n'), "N: 1", [](Snapshot& s) { s.readoutMode = 1; }},
      {special(GLUT_KEY_PAGE_UP), "Main Speed: 1.11\n",
       [](Snapshot& s) { s.mainSpeed = times(1, 1.111111); }},
      {special(GLUT_KEY_PAGE_DOWN), "Main Speed: 0.90\n",
       [](Snapshot& s) { s.mainSpeed = times(1, 0.9); }},
      {special(GLUT_KEY_HOME), "Home/End: 1.11\n",
       [](Snapshot& s) { s.homeEndSpeed = times(1, 1.111111); }},
      {special(GLUT_KEY_END), "Home/End: 0.90\n",
       [](Snapshot& s) { s.homeEndSpeed = times(1, 0.9); }},
      {special(GLUT_KEY_UP), nullptr, [](Snapshot&) {}},
      {special(GLUT_KEY_DOWN), nullptr, [](Snapshot&) {}},
      {special(GLUT_KEY_LEFT), nullptr, [](Snapshot&) {}},
      {special(GLUT_KEY_RIGHT), nullptr, [](Snapshot&) {}},
  };
  return cases;
}

void runKeyCase(const KeyCase& c, Input input) {
  Snapshot expected = snapshot();
  c.expect(expected);
  c.arrange();
  const double before = textDisplay.messageExpiry;
  press(input);
  EXPECT_EQ(snapshot(), expected);
  if (c.message != nullptr) {
    EXPECT_STREQ(textDisplay.recordedText, c.message);
    EXPECT_EQ(textDisplay.recordedX, 10);
    EXPECT_EQ(textDisplay.recordedY, 25);
    EXPECT_DOUBLE_EQ(textDisplay.messageExpiry, now + 3.0);
  } else {
    EXPECT_STREQ(textDisplay.recordedText, kSentinel);
    EXPECT_EQ(textDisplay.messageExpiry, before);
  }
}

TEST_F(InputTest, EveryKeyOfTheTablesFromTheDefaults) {
  for (const KeyCase& c : keyCases()) {
    SCOPED_TRACE(testing::Message()
                 << (c.input.kind == Input::kAscii ? "key " : "special ") << c.input.code);
    startFromDefaults();
    runKeyCase(c, c.input);
  }
}

TEST_F(InputTest, CapitalLettersActLikeSmallOnes) {
  for (const KeyCase& c : keyCases()) {
    if (c.input.kind != Input::kAscii || c.input.code < 'a' || c.input.code > 'z') continue;
    SCOPED_TRACE(testing::Message() << "key " << static_cast<char>(c.input.code - 32));
    startFromDefaults();
    runKeyCase(c, ascii(c.input.code - 'a' + 'A'));
  }
}

TEST_F(InputTest, TogglesAndCyclesReportTheNewState) {
  const struct {
    int key;
    int presses;
    const char* message;
  } cases[] = {
      {'c', 2, "Frame/Second Clock Off"},
      {'p', 2, "Continue Motion"},
      {'s', 2, "SpotLights On"},
      {'u', 2, "Universe On"},
      {'v', 2, "Camera 1: Auto"},
      {'w', 2, "PolyMode 3/3: Points"},
      {'w', 3, "PolyMode 1/3: Polygons"},
      {'o', 2, "Option 1/1: Impact Sound On"},
      {'n', 2, "N: 2"},
      {'n', 3, "N: 0"},
      {'i', 7, "Image 0/9: Moon"},
      {'i', 8, "Image 1/9: Cloud Layer"},
  };
  for (const auto& c : cases) {
    startFromDefaults();
    for (int i = 0; i < c.presses; ++i) pressKey(c.key);
    EXPECT_STREQ(textDisplay.recordedText, c.message) << c.key << " x" << c.presses;
  }
  startFromDefaults();
  pressKey(' ');
  pressKey(' ');
  EXPECT_EQ(sceneSettings.clearEachFrame, 1);
  pressKey('?');
  pressKey('/');
  EXPECT_EQ(helpShown, 0);
}

TEST_F(InputTest, BoundedSettingsStopAtTheirLimitsAndStillReport) {
  sceneSettings.fieldOfView = 179;
  pressKey(',');
  EXPECT_EQ(sceneSettings.fieldOfView, 179);
  EXPECT_STREQ(textDisplay.recordedText, "FOV: 179 Degrees\n");
  sceneSettings.fieldOfView = 1;
  pressKey('.');
  EXPECT_EQ(sceneSettings.fieldOfView, 1);
  EXPECT_STREQ(textDisplay.recordedText, "FOV:   1 Degrees\n");
  sceneSettings.tessellation = 3;
  pressKey('<');
  EXPECT_EQ(sceneSettings.tessellation, 3);
  EXPECT_STREQ(textDisplay.recordedText, "Tesselation: 3\n");
  sceneSettings.tessellation = 40;
  pressKey('>');
  EXPECT_EQ(sceneSettings.tessellation, 40);
  EXPECT_STREQ(textDisplay.recordedText, "Tesselation: 40\n");
}

// The factors have no limits, but they stay finite and positive, and their messages fit.
TEST_F(InputTest, UnboundedFactorsStayFiniteAndTheirMessagesFit) {
  // A press that would overflow leaves the factor at its last finite value.
  sceneSettings.rotateSpeed = 3.0e38f;
  pressKey('=');
  const float largest = sceneSettings.rotateSpeed;
  EXPECT_FLOAT_EQ(largest, 3.0e38f * 1.111111f);
  pressKey('=');
  EXPECT_EQ(sceneSettings.rotateSpeed, largest);
  EXPECT_EQ(std::string(textDisplay.recordedText).rfind("Rotate Speed: 3333333", 0), 0u);
  EXPECT_LT(std::strlen(textDisplay.recordedText), 80u);
  for (int i = 0; i < 1500; ++i) onSpecialKeyDown(GLUT_KEY_PAGE_DOWN, 0, 0);
  EXPECT_GT(sceneSettings.mainSpeed, 0.0f);
  EXPECT_STREQ(textDisplay.recordedText, "Main Speed: 0.00\n");
  for (int i = 0; i < 2000; ++i) onSpecialKeyDown(GLUT_KEY_PAGE_UP, 0, 0);
  EXPECT_TRUE(std::isfinite(sceneSettings.mainSpeed));
  EXPECT_GT(sceneSettings.mainSpeed, FLT_MAX / 1.111111f);  // one press short of overflow
}

TEST_F(InputTest, LetterboxCyclesUpToSixAndBackInTwelvePresses) {
  const int sizes[] = {1, 2, 3, 4, 5, 6, 5, 4, 3, 2, 1, 0, 1};
  for (int expected : sizes) {
    pressKey('l');
    EXPECT_EQ(sceneSettings.letterbox, expected);
    EXPECT_EQ(textDisplay.recordedText, "Letterbox: " + std::to_string(expected));
  }
}

TEST_F(InputTest, LetterboxStartsAgainFromZeroAfterAReset) {
  for (int i = 0; i < 8; ++i) pressKey('l');  // 1..6, then 5, 4 on the way down
  ASSERT_EQ(sceneSettings.letterbox, 4);
  pressKey('r');
  EXPECT_EQ(sceneSettings.letterbox, 0);
  pressKey('l');
  EXPECT_EQ(sceneSettings.letterbox, 1);
  pressKey('l');
  EXPECT_EQ(sceneSettings.letterbox, 2);
}

TEST_F(InputTest, ResetDuringTheExitFadeCancelsIt) {
  now = 20.0;
  pressKey(27);
  EXPECT_EQ(exitFadeStart, 20.0);
  fadeLevel = 0.5f;  // a frame or two into the fade
  now = 21.0;
  pressKey('r');
  EXPECT_EQ(exitFadeStart, 0.0);
  EXPECT_EQ(fadeLevel, 1.0f);
  EXPECT_STREQ(textDisplay.recordedText, "Reset");
}

TEST_F(InputTest, SecondEscapeRestartsTheFade) {
  now = 20.0;
  pressKey(27);
  now = 21.5;
  pressKey(27);
  EXPECT_EQ(exitFadeStart, 21.5);
}

TEST_F(InputTest, AnyLaterAsciiKeyCancelsAPendingClearButSpecialKeysDoNot) {
  pressKey('l');
  ASSERT_EQ(forceClear, 1);
  onSpecialKeyDown(GLUT_KEY_HOME, 0, 0);
  EXPECT_EQ(forceClear, 1);
  pressKey('x');  // not a command at all
  EXPECT_EQ(forceClear, 0);
  EXPECT_STREQ(textDisplay.recordedText, "Home/End: 1.11\n");
}

TEST_F(InputTest, HidingTheHelpClearsAtOnceUnlessInHyperspace) {
  const auto fillRed = [] {
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 0, 1);
  };
  pressKey('?');
  fillRed();
  pressKey('?');
  EXPECT_EQ(testsupport::readPixel(300, 5).r, 0);

  pressKey(' ');  // hyperspace: nothing is cleared
  pressKey('?');
  fillRed();
  pressKey('?');
  EXPECT_EQ(testsupport::readPixel(300, 5).r, 255);
}

void processWindowEvents() {
  for (int i = 0; i < 20; ++i) glutMainLoopEvent();
}

TEST_F(InputTest, FullScreenKeyAndTheCursorRule) {
  sceneSettings.cameraMode = 1;
  glutSetCursor(GLUT_CURSOR_NONE);
  pressKey('f');  // to a window, manual camera: the cursor stays hidden
  EXPECT_EQ(fullScreen, 0);
  EXPECT_EQ(forceClear, 0);
  EXPECT_STREQ(textDisplay.recordedText, kSentinel);
  EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_NONE);
  processWindowEvents();
  EXPECT_EQ(glutGet(GLUT_WINDOW_WIDTH), 512);
  EXPECT_EQ(glutGet(GLUT_WINDOW_HEIGHT), 512);

  pressKey('v');  // auto camera in a window: the arrow shows
  EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_LEFT_ARROW);
  pressKey('v');
  EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_NONE);
  pressKey('v');
  pressKey('F');  // back to full screen: hidden, and one forced clear
  EXPECT_EQ(fullScreen, 1);
  EXPECT_EQ(forceClear, 1);
  EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_NONE);
  pressKey('f');  // to a window with the auto camera: the arrow at once
  EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_LEFT_ARROW);
  pressKey('v');  // manual camera in full screen or not: hidden
  EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_NONE);
  glutReshapeWindow(640, 480);
  processWindowEvents();
}

TEST_F(InputTest, OnlyTheLeftButtonDoesAnything) {
  impactClock = 3.0f;
  const Snapshot before = snapshot();
  for (int button : {GLUT_RIGHT_BUTTON, GLUT_MIDDLE_BUTTON}) {
    onMouseButton(button, GLUT_DOWN, 10, 20);
    onMouseButton(button, GLUT_UP, 10, 20);
  }
  EXPECT_EQ(snapshot(), before);

  onMouseButton(GLUT_LEFT_BUTTON, GLUT_UP, 10, 20);  // a release launches nothing
  EXPECT_EQ(impactClock, 3.0f);
  EXPECT_EQ(mouseOffset.x, 10 - 450);
  EXPECT_EQ(mouseOffset.y, 20 - 350);
  EXPECT_EQ(mouseMoved, 1);
}

struct Aim {
  float heading, pitch, x, y, z;
  bool operator==(const Aim&) const = default;
};

Aim currentAim() {
  return {impactHeading, impactPitch, impactPoint.x, impactPoint.y, impactPoint.z};
}

void setAim(const Aim& aim) {
  impactHeading = aim.heading;
  impactPitch = aim.pitch;
  impactPoint = Vec3f{aim.x, aim.y, aim.z};
}

// The press aims exactly as the camera's aim at the viewer does (where that point lies on the
// planet is the camera's own business), and restarts the cycle with a meteor on its way.
TEST_F(InputTest, LeftPressLaunchesAMeteorAimedAtTheViewer) {
  impactClock = 3.0f;
  cameraHeading = 90;
  cameraPitch = 10;
  const Aim unaimed{123, 45, 9, 9, 9};
  setAim(unaimed);
  aimImpact(1);
  const Aim atViewer = currentAim();
  setAim(unaimed);
  seedRandom(777);
  const int firstDraw = nextRandom();
  seedRandom(777);

  onMouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, 470, 330);
  EXPECT_EQ(impactClock, 0.5f);
  EXPECT_EQ(currentAim(), atViewer);
  EXPECT_EQ(nextRandom(), firstDraw);  // no random aim was drawn
  EXPECT_EQ(mouseOffset.x, 20);
  EXPECT_EQ(mouseOffset.y, -20);
  EXPECT_EQ(mouseMoved, 1);
}

TEST_F(InputTest, MotionMovesThePointerOffset) {
  onMouseMotion(451, 349);
  EXPECT_EQ(mouseOffset.x, 1);
  EXPECT_EQ(mouseOffset.y, -1);
  EXPECT_EQ(mouseMoved, 1);
  onMouseMotion(-2147483647 - 1, 2147483647);  // x saturates instead of overflowing
  EXPECT_EQ(mouseOffset.x, -2147483647 - 1);
  EXPECT_EQ(mouseOffset.y, 2147483647 - 350);
}

TEST_F(InputTest, KeyStormKeepsEverySettingInRange) {
  unsigned state = 12345;
  for (int i = 0; i < 20000; ++i) {
    state = state * 1103515245u + 12345u;
    const auto key = static_cast<unsigned char>(state >> 16);
    if (key == 'f' || key == 'F') continue;  // resizes the window
    pressKey(key);
    if (state & 0x100) onSpecialKeyDown(GLUT_KEY_PAGE_UP + static_cast<int>(state % 4), 0, 0);
  }
  const SceneSettings& s = sceneSettings;
  EXPECT_TRUE(s.fieldOfView >= 1 && s.fieldOfView <= 179);
  EXPECT_TRUE(s.letterbox >= 0 && s.letterbox <= 6);
  EXPECT_TRUE(letterboxStep >= -5 && letterboxStep <= 6);
  EXPECT_TRUE(s.tessellation >= 3 && s.tessellation <= 40);
  EXPECT_TRUE(s.polyMode >= 0 && s.polyMode <= 2);
  EXPECT_TRUE(s.planetImage >= 0 && s.planetImage <= 9);
  EXPECT_TRUE(readoutMode >= 0 && readoutMode <= 2);
  for (float f : {s.rotateSpeed, s.movementSpeed, s.objectSize, s.mainSpeed, s.homeEndSpeed,
                  s.lightRotateSpeed}) {
    EXPECT_TRUE(f > 0 && f <= FLT_MAX) << f;
  }
  EXPECT_LT(std::strlen(textDisplay.recordedText), 80u);
}

// ---- The help screen and the handlers agree ----

// The inputs each help line documents, with the label by which it names them.
struct HelpEntry {
  int block, line;  // 1 or 2, counted from 1
  const char* label;
  std::vector<Input> inputs;
};

std::vector<Input> asciiRange(const char* keys) {
  std::vector<Input> inputs;
  for (const char* k = keys; *k != '\0'; ++k) inputs.push_back(ascii(*k));
  return inputs;
}

const std::vector<HelpEntry>& helpEntries() {
  static const std::vector<HelpEntry> entries = {
      {1, 2, "0-9", asciiRange("0123456789")},
      {1, 3, "<PageUp/Down>", {special(GLUT_KEY_PAGE_UP), special(GLUT_KEY_PAGE_DOWN)}},
      {1, 4, "[]", asciiRange("[]")},
      {1, 5, "shift  <>", asciiRange("<>")},
      {1, 6, "  i  ", asciiRange("iI")},
      {1, 7, "  o  ", asciiRange("oO")},
      {1, 8, "  v  ", asciiRange("vV")},
      {1, 9, "<MouseX/Y>", {Input{Input::kMotion, 0}}},
      {1, 10, "<Button>", {Input{Input::kButton, GLUT_LEFT_BUTTON}}},
      {2, 2, "unshifted <>", asciiRange(",.")},  // the same keys without shift
      {2, 3, "-=", asciiRange("-=")},
      {2, 4, "_+", asciiRange("_+")},
      {2, 5, "{}", asciiRange("{}")},
      {2, 6, "()", asciiRange("()")},
      {2, 7, "  c  ", asciiRange("cC")},
      {2, 8, "  f  ", asciiRange("fF")},
      {2, 9, "  l  ", asciiRange("lL")},
      {2, 10, "  p  ", asciiRange("pP")},
      {2, 11, "  r  ", asciiRange("rR")},
      {2, 12, "  s  ", asciiRange("sS")},
      {2, 13, "  u  ", asciiRange("uU")},
      {2, 14, "  w  ", asciiRange("wW")},
      {2, 15, "<SPACE>", asciiRange(" ")},
      {2, 16, "<ESC>", {ascii(27)}},
      {2, 20, "<?>", asciiRange("?/")},  // '/' is the same key without shift
  };
  return entries;
}

// Help lines that name no key: the two headings, the rule and the two credit lines.
const std::set<std::pair<int, int>> kLinesWithoutKeys = {{1, 1}, {2, 1}, {2, 17}, {2, 18}, {2, 19}};

// Inputs that work but that the help screen does not list: the readout key and Home/End.
const std::set<Input> kUnlistedInputs = {ascii('n'), ascii('N'), special(GLUT_KEY_HOME),
                                         special(GLUT_KEY_END)};

const char* helpLine(int block, int line) {
  return block == 1 ? kHelpBlock1[line - 1] : kHelpBlock2[line - 1];
}

// An input is handled when it changes any setting, flag, the pointer state or the message.
bool isHandled(Input input) {
  startFromDefaults();
  const Snapshot before = snapshot();
  press(input);
  const bool handled = !(snapshot() == before) || std::strcmp(textDisplay.recordedText, kSentinel);
  fullScreen = 1;  // undo the window key without touching the real window
  return handled;
}

std::set<Input> handledInputs() {
  std::set<Input> handled;
  for (int key = 0; key < 256; ++key) {
    if (isHandled(ascii(key))) handled.insert(ascii(key));
  }
  for (int key = GLUT_KEY_F1; key <= GLUT_KEY_INSERT; ++key) {
    if (isHandled(special(key))) handled.insert(special(key));
  }
  for (int button : {GLUT_LEFT_BUTTON, GLUT_MIDDLE_BUTTON, GLUT_RIGHT_BUTTON}) {
    if (isHandled(Input{Input::kButton, button})) {
      handled.insert(Input{Input::kButton, button});
    }
  }
  if (isHandled(Input{Input::kMotion, 0})) handled.insert(Input{Input::kMotion, 0});
  return handled;
}

TEST_F(InputTest, EveryHandledKeyHasAHelpLineAndEveryHelpLineAHandler) {
  std::set<std::pair<int, int>> covered = kLinesWithoutKeys;
  std::set<Input> documented;
  for (const HelpEntry& entry : helpEntries()) {
    EXPECT_NE(std::strstr(helpLine(entry.block, entry.line), entry.label), nullptr)
        << "block " << entry.block << " line " << entry.line << " lacks " << entry.label;
    covered.insert({entry.block, entry.line});
    documented.insert(entry.inputs.begin(), entry.inputs.end());
  }
  EXPECT_EQ(covered.size(), static_cast<size_t>(kHelpBlock1Lines + kHelpBlock2Lines));

  const std::set<Input> handled = handledInputs();
  for (const Input& input : documented) {
    EXPECT_TRUE(handled.count(input))
        << "listed but not handled: " << input.kind << "/" << input.code;
  }
  for (const Input& input : handled) {
    EXPECT_TRUE(documented.count(input) || kUnlistedInputs.count(input))
        << "handled but not listed: " << input.kind << "/" << input.code;
  }
  for (const Input& input : kUnlistedInputs) EXPECT_TRUE(handled.count(input));
}

}  // namespace
