// Test support for the performance tests: the scene started as the program starts it and a
// scripted stretch of use (a click, keys, the help screen) driven by a synthetic clock.
#pragma once

#include <GL/freeglut.h>
#include <unistd.h>

#include <filesystem>

#include "app/frame_step.h"
#include "app/input.h"
#include "app/startup.h"
#include "sim/numeric.h"
#include "support/gl_context.h"

namespace perftest {

constexpr int kFrameMs = 16;  // a 60 Hz display

// What the user does at a moment of the script, in milliseconds from its start.
struct ScriptedInput {
  int atMs;
  int key;      // an ASCII key for onKeyboard, 0 = none
  int special;  // a special key for onSpecialKeyDown/Up, 0 = none
  bool click;   // a left-button press and release at the pointer home
};

// A whole cycle from a click: the meteor, the impact with its particles, the break into
// fragments, the wrap to the next planet, the help screen, messages, the readouts, every drawing
// mode, hyperspace, letterbox bars, lights and stars off and on, the manual camera and a reset.
constexpr ScriptedInput kCycleScript[] = {
    {0, 0, 0, true},        {200, 'c', 0, false},
    {1200, '?', 0, false},  {2200, '?', 0, false},
    {2600, '=', 0, false},  {3000, '>', 0, false},
    {3400, '<', 0, false},  {3800, 'n', 0, false},
    {4300, 'n', 0, false},  {4800, 'n', 0, false},
    {5600, 'w', 0, false},  {6000, 'w', 0, false},
    {6400, 'w', 0, false},  {6500, ' ', 0, false},
    {6800, ' ', 0, false},  {6800, 'l', 0, false},
    {7200, 'l', 0, false},  {7600, 's', 0, false},
    {8000, 's', 0, false},  {8200, 'u', 0, false},
    {8400, 'u', 0, false},  {10000, 'i', 0, false},
    {10600, '3', 0, false}, {11000, 'v', 0, false},
    {11500, 'v', 0, false}, {12000, 0, GLUT_KEY_PAGE_UP, false},
    {12400, 'o', 0, false}, {12600, 'o', 0, false},
    {13000, 'c', 0, false}, {13400, 'r', 0, false},
};
constexpr int kCycleScriptMs = 14000;

// The program's start in a window of the given size: seed 22, the scene initialised in the
// generated asset folder (when it exists), the window size as the toolkit reports it.
inline void startScene(int width, int height) {
  testsupport::ensureGlContext(width, height);
  if (std::filesystem::is_directory(KRATEON_ASSET_DIR)) {
    std::filesystem::current_path(KRATEON_ASSET_DIR);
  }
  elapsedMs = 0;
  seedRandom(kInitialSeed);
  initScene();
  windowWidth = width;
  windowHeight = height;
}

// One redraw at the given toolkit time, as onDisplay runs it.
inline void frameAt(int toolkitMs) {
  elapsedMs = toolkitMs;
  frameStep();
  glutSwapBuffers();
}

inline void deliver(const ScriptedInput& input) {
  if (input.click) {
    onMouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, kPointerHomeX, kPointerHomeY);
    onMouseButton(GLUT_LEFT_BUTTON, GLUT_UP, kPointerHomeX, kPointerHomeY);
  }
  if (input.key != 0) onKeyboard(static_cast<unsigned char>(input.key), 0, 0);
  if (input.special != 0) {
    onSpecialKeyDown(input.special, 0, 0);
    onSpecialKeyUp(input.special, 0, 0);
  }
}

// Plays the cycle script from toolkit time `startMs`, one frame every kFrameMs, with a pointer
// motion now and then; `afterFrame()` runs after each frame is drawn, before its swap. Returns
// the toolkit time after the last frame.
template <typename AfterFrame>
int playCycleScript(int startMs, AfterFrame afterFrame) {
  size_t next = 0;
  constexpr size_t inputs = sizeof kCycleScript / sizeof kCycleScript[0];
  for (int t = 0; t < kCycleScriptMs; t += kFrameMs) {
    while (next < inputs && kCycleScript[next].atMs <= t) deliver(kCycleScript[next++]);
    if (t % 500 == 0) onMouseMotion(kPointerHomeX + t % 37, kPointerHomeY - t % 23);
    elapsedMs = startMs + t;
    frameStep();
    afterFrame();
    glutSwapBuffers();
  }
  return startMs + kCycleScriptMs;
}

inline int playCycleScript(int startMs) {
  return playCycleScript(startMs, [] {});
}

}  // namespace perftest
