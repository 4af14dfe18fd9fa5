// What the end-to-end tests of the running program share: the screen and its text areas, the
// measurements they make on it, and the fixture base that starts one run for a whole suite.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "krateon_run.h"
#include "scene_checks.h"
#include "screen_image.h"
#include "x_session.h"

namespace e2e {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;

inline const Rect kMessageArea = {0, 0, 330, 34};                 // "Press ? key for Help Screen"
inline const Rect kFrameRateArea = {kWidth - 130, 0, 130, 34};    // "%3d Frame/Sec"
inline const Rect kHelpArea = {20, 40, 600, kHeight - 80};        // the help screen's two blocks
inline const Rect kBelowMessage = {0, 40, kWidth, kHeight - 40};  // where the title slides

// A picture with the moment it was taken.
struct Moment {
  Image image;
  double at = 0;  // seconds since the program was started
};

// Prints a measured value, so that a passing run shows its margins too.
void note(const std::string& what, double value);

// Polls the screen until the condition holds or the timeout passes; the last picture.
template <class Pred>
Moment waitForPicture(KrateonRun& run, double timeoutSeconds, Pred holds) {
  const Clock::time_point start = Clock::now();
  Moment moment;
  do {
    moment = {run.session().capture(), run.elapsed()};
    if (holds(moment.image)) break;
    sleepSeconds(0.05);
  } while (secondsSince(start) < timeoutSeconds);
  return moment;
}

// Star points on the whole screen, and the cells of a 4 x 4 grid that hold three or more.
int starCount(const Image& image);
int cellsWithStars(const Image& image);

// Mean brightness of the picture without the message line, which shows at full strength while
// the scene fades in. (The title shows all the time, so it adds the same to every picture.)
double sceneBrightness(const Image& image);

// The picture with the planet painted black.
Image withoutPlanet(const Image& image);

// Share of the bounding box that the pixels fill: letters leave gaps, blocks do not.
double fillOfBox(const PixelSpread& spread);

// The base of a suite that shares one run of the program, started from the build tree.
class ProgramTest : public testing::Test {
 protected:
  static bool startRun(std::unique_ptr<KrateonRun>& run, std::string& error);
  // Measures how many frames a second the program draws now (it redraws the middle of the
  // screen every frame) and prints it.
  static void measurePace(KrateonRun& run);
  // For the messages of timed checks.
  static std::string pace();
  // Keeps the pictures of a failed test and shows what the program printed.
  static void finishTest(KrateonRun* run);

  static double framesPerSecond_;
};

}  // namespace e2e
