// An input storm through the program's handlers: 100,000 random keys, special keys, buttons,
// pointer jumps and window sizes, a frame every 50 events. Every setting stays in its range and
// every value finite, and afterwards a reset gives the defaults and ESC still ends the program.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "app/input.h"
#include "app/startup.h"
#include "core/frame_clock.h"
#include "core/settings.h"
#include "support/scene_driver.h"

namespace {

// Window sizes the storm reshapes to; the last one is the window's own.
constexpr int kSizes[][2] = {{0, 0},    {1, 1},     {8192, 8192}, {1, 8192},
                             {8192, 1}, {512, 512}, {320, 240}};

class Storm {
 public:
  // One random event through the callback the toolkit would call for it.
  void playOneEvent() {
    const int kind = pick(100);
    if (kind < 40) {
      const auto key = static_cast<unsigned char>(pick(256));
      onKeyboard(key, coordinate(), coordinate());
      if (key == 27) onKeyboard('r', 0, 0);  // cancels the exit, so the storm goes on
    } else if (kind < 60) {
      // Every code the toolkit reports, and some it never does.
      const int key = pick(8) == 0 ? pick(200'000) - 100'000 : pick(130);
      (pick(2) == 0 ? onSpecialKeyDown : onSpecialKeyUp)(key, coordinate(), coordinate());
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
  // Pointer positions far outside any window, now and then the ends of an int.
  int coordinate() {
    if (pick(100) == 0) return pick(2) == 0 ? INT_MIN : INT_MAX;
    return pick(200'001) - 100'000;
  }
  std::mt19937 random_{20240611};
};

// All of it runs in a child process, which must end with status 0 through the exit fade; a broken
// rule ends it with another status and says which.
void stormResetAndEscape() {
  auto fail = [](const std::string& what) {
    std::fprintf(stderr, "%s\n", what.c_str());
    std::exit(3);
  };
  testsupport::startScene(320, 240);
  testsupport::frameAt(11'000);
  Storm storm;
  for (int event = 1; event <= 100'000; ++event) {
    storm.playOneEvent();
    if (event % 50 != 0) continue;
    testsupport::frameAfter(16);
    if (exitFadeStart != 0) fail("an exit fade runs after ESC and r");
    const std::string fault = testsupport::sceneFault();
    if (!fault.empty()) fail("after event " + std::to_string(event) + ": " + fault);
  }
  onReshape(320, 240);
  testsupport::pressKey('r');
  testsupport::frameAfter(16);
  if (!testsupport::sceneFault().empty()) fail("after the reset: " + testsupport::sceneFault());
  testsupport::pressKey(27);
  testsupport::runFrames(3000 / 16);  // the fade takes two seconds
  fail("ESC did not end the program");
}

TEST(InputStorm, KeepsEverySettingInRangeAndEscapeStillEndsTheProgram) {
  EXPECT_EXIT(stormResetAndEscape(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
