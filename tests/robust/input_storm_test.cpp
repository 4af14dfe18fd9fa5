// An input storm through the real callbacks: 100,000 random keys, special keys, buttons,
// pointer jumps and window sizes between frames on a synthetic clock. The scene must keep every
// setting in its range and every camera value finite, and ESC must still end the program.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "app/input.h"
#include "robust/robust_scene.h"

namespace {

constexpr int kStormEvents = 100'000;
constexpr int kEventsPerFrame = 50;
constexpr int kFrameMs = 16;
constexpr unsigned char kEscape = 27;

// Window sizes the storm reshapes to; the last one is the window's own.
constexpr int kSizes[][2] = {{0, 0},
                             {1, 1},
                             {8192, 8192},
                             {1, 8192},
                             {8192, 1},
                             {512, 512},
                             {kRobustWindowWidth, kRobustWindowHeight}};

class Storm {
 public:
  explicit Storm(unsigned seed) : random_(seed) {}

  // One random event through the callback that the toolkit would call for it.
  void playOneEvent() {
    const int kind = pick(100);
    if (kind < 40) {
      pressKey(static_cast<unsigned char>(pick(256)));
    } else if (kind < 60) {
      // Every key code the toolkit can report (F1-F12, 100-108 and freeglut's extra ones),
      // and some that it never reports.
      const int key = pick(8) == 0 ? pick(200'000) - 100'000 : pick(130);
      if (pick(2) == 0) {
        onSpecialKeyDown(key, coordinate(), coordinate());
      } else {
        onSpecialKeyUp(key, coordinate(), coordinate());
      }
    } else if (kind < 70) {
      onMouseButton(pick(5), pick(2) == 0 ? GLUT_DOWN : GLUT_UP, coordinate(), coordinate());
    } else if (kind < 98) {
      onMouseMotion(coordinate(), coordinate());
    } else {
      const auto& size = kSizes[pick(std::size(kSizes))];
      onReshape(size[0], size[1]);
    }
  }

 private:
  int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }
  // Pointer positions far outside any window, now and then the extremes of an int.
  int coordinate() {
    if (pick(100) == 0) return pick(2) == 0 ? INT_MIN : INT_MAX;
    return pick(200'001) - 100'000;
  }

  // ESC starts the exit fade; an 'r' right after it cancels the exit so the storm goes on.
  void pressKey(unsigned char key) {
    onKeyboard(key, coordinate(), coordinate());
    if (key == kEscape) onKeyboard('r', 0, 0);
  }

  std::mt19937 random_;
};

class InputStorm : public RobustScene {
 protected:
  // The whole storm with a frame every 50 events; returns the first broken invariant seen
  // after any frame (empty when none broke).
  static std::string playStorm() {
    Storm storm(20240611);
    for (int event = 1; event <= kStormEvents; ++event) {
      storm.playOneEvent();
      if (event % kEventsPerFrame != 0) continue;
      frameAfter(kFrameMs);
      // An exit fade left running would end the process in the middle of the storm.
      if (exitFadeStart != 0) return "an exit fade runs after ESC and r";
      std::string broken = brokenInvariant();
      if (!broken.empty()) return "after event " + std::to_string(event) + ": " + broken;
    }
    onReshape(kRobustWindowWidth, kRobustWindowHeight);
    frameAfter(kFrameMs);
    return brokenInvariant();
  }

  // The storm, a reset that must give a clean scene, then ESC: the program must end by itself
  // with status 0. A broken rule is reported on stderr with its own exit status.
  static void stormResetAndEscape() {
    auto fail = [](int status, const std::string& what) {
      std::fprintf(stderr, "%s\n", what.c_str());
      std::exit(status);
    };
    const std::string broken = playStorm();
    if (!broken.empty()) fail(3, "storm: " + broken);
    onKeyboard('r', 0, 0);
    frameAfter(kFrameMs);
    if (!brokenInvariant().empty()) fail(4, "after the reset: " + brokenInvariant());
    if (sceneSettings.fieldOfView != 70 || sceneSettings.objectSize != 1.0f) {
      fail(5, "the reset did not restore the defaults");
    }
    onKeyboard(kEscape, 0, 0);
    // The exit fade takes just under two seconds; give it three.
    for (int frame = 0; frame < 3000 / kFrameMs; ++frame) frameAfter(kFrameMs);
    fail(6, "ESC did not end the program");
  }
};

// All of it runs in the death test's child, so the storm is played once.
TEST_F(InputStorm, KeepsEverySettingInRangeAndEscapeStillEndsTheProgram) {
  EXPECT_EXIT(stormResetAndEscape(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
