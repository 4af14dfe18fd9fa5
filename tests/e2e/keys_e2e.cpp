// Krateon's keys as a person meets them: w draws lines, then points, while p holds the camera
// still; c shows the frame rate at the top right; ? the help screen; u hides the stars; l adds
// black bars; f gives a 512 x 512 window and full screen again; r during the closing fade cancels
// it, and Escape then ends the program with status 0.
//
// One run of the real program on its own X server; the tests share it and run in the order
// written. Times are seconds since the program was started.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "krateon_run.h"
#include "program_fixture.h"
#include "scene_checks.h"
#include "screen_image.h"
#include "x_session.h"

namespace e2e {
namespace {

class KrateonKeys : public ProgramTest {
 protected:
  static void SetUpTestSuite() { startRun(run_, startError_); }
  static void TearDownTestSuite() { run_.reset(); }
  void SetUp() override { ASSERT_TRUE(startError_.empty()) << startError_; }
  void TearDown() override { finishTest(run_.get()); }

  // Presses the keys and waits for the picture to show the change.
  template <class Pred>
  static Moment pressAndWait(const std::vector<std::string>& keys, const std::string& name,
                             Pred holds) {
    EXPECT_TRUE(run_->session().key(keys));
    Moment moment = waitForPicture(*run_, 3.0, holds);
    run_->remember(name, moment.image);
    return moment;
  }

  static std::unique_ptr<KrateonRun> run_;
  static std::string startError_;
};

std::unique_ptr<KrateonRun> KrateonKeys::run_;
std::string KrateonKeys::startError_;

TEST_F(KrateonKeys, WKeyDrawsLinesThenPointsThenPolygonsAgain) {
  run_->waitUntil(3.8);
  measurePace(*run_);
  // P holds the camera, so the planet stays where it is while the drawing mode changes.
  run_->waitUntil(5.0);
  ASSERT_TRUE(run_->session().key({"p"}));
  sleepSeconds(0.3);
  const Image filled = run_->shot("polygons");
  const auto planet = findPlanet(filled);
  ASSERT_TRUE(planet.has_value());
  SCOPED_TRACE(planet->describe());
  auto lit = [&](const Image& image) { return litFraction(image, *planet, 0.8, 30); };
  const double solid = lit(filled);
  ASSERT_GE(solid, 0.3) << "the planet should be mostly lit now";

  const double lines =
      lit(pressAndWait({"w"}, "lines", [&](const Image& i) { return lit(i) < 0.7 * solid; }).image);
  note("lit share of the planet, polygons", solid);
  note("lit share of the planet, lines", lines);
  EXPECT_LT(lines, 0.7 * solid) << "lines leave gaps";
  EXPECT_GT(lines, 0.03) << "but are drawn";
  const double points = lit(
      pressAndWait({"w"}, "points", [&](const Image& i) { return lit(i) < 0.5 * lines; }).image);
  note("lit share of the planet, points", points);
  EXPECT_LT(points, 0.5 * lines) << "points leave more";
  EXPECT_GT(points, 0.001) << "but are drawn";
  const Moment polygons =
      pressAndWait({"w"}, "polygons-again", [&](const Image& i) { return lit(i) > 0.8 * solid; });
  EXPECT_GT(lit(polygons.image), 0.8 * solid);
  const auto held = findPlanet(polygons.image);
  ASSERT_TRUE(held.has_value());
  EXPECT_NEAR(held->x, planet->x, 6) << "the paused camera holds still";
  EXPECT_NEAR(held->y, planet->y, 6) << "the paused camera holds still";
  ASSERT_TRUE(run_->session().key({"p"}));
}

TEST_F(KrateonKeys, CKeyShowsAndHidesTheFrameRateTopRight) {
  run_->waitUntil(9.5);  // after the first impact's flash
  const int before = spreadOf(run_->shot("no-rate"), kFrameRateArea, isWhite).count;
  EXPECT_LE(before, 5);
  const Moment shown = pressAndWait({"c"}, "rate", [](const Image& i) {
    return spreadOf(i, kFrameRateArea, isWhite).count >= 40;
  });
  const PixelSpread rate = spreadOf(shown.image, kFrameRateArea, isWhite);
  note("white frame-rate pixels", rate.count);
  EXPECT_GE(rate.count, 40) << "the frame rate line";
  EXPECT_LE(rate.box.y + rate.box.height, 30);
  const Moment hidden = pressAndWait({"c"}, "rate-off", [](const Image& i) {
    return spreadOf(i, kFrameRateArea, isWhite).count <= 5;
  });
  EXPECT_LE(spreadOf(hidden.image, kFrameRateArea, isWhite).count, 5);
}

TEST_F(KrateonKeys, QuestionMarkShowsAndHidesTheHelpScreen) {
  const int rowsBefore = spreadOf(run_->shot("no-help"), kHelpArea, isWhite).rows;
  const Moment help = pressAndWait({"question"}, "help", [&](const Image& i) {
    return spreadOf(i, kHelpArea, isWhite).rows >= rowsBefore + 250;
  });
  const PixelSpread text = spreadOf(help.image, kHelpArea, isWhite);
  note("rows with help text", text.rows - rowsBefore);
  EXPECT_GE(text.rows, rowsBefore + 250) << "thirty lines of text";
  EXPECT_GE(text.count, 4000);
  EXPECT_LE(text.box.x, 40) << "the lines start at the left";
  const Moment hidden = pressAndWait({"question"}, "help-off", [&](const Image& i) {
    return spreadOf(i, kHelpArea, isWhite).rows <= rowsBefore + 40;
  });
  EXPECT_LE(spreadOf(hidden.image, kHelpArea, isWhite).rows, rowsBefore + 40);
}

TEST_F(KrateonKeys, UKeyHidesAndShowsTheStars) {
  const int stars = starCount(run_->shot("stars"));
  note("star points", stars);
  ASSERT_GE(stars, 300);
  const Moment hidden =
      pressAndWait({"u"}, "no-stars", [&](const Image& i) { return starCount(i) < stars / 10; });
  note("star points with the stars off", starCount(hidden.image));
  EXPECT_LT(starCount(hidden.image), stars / 10);
  const Moment back = pressAndWait({"u"}, "stars-again",
                                   [&](const Image& i) { return starCount(i) > stars * 7 / 10; });
  EXPECT_GT(starCount(back.image), stars * 7 / 10);
}

TEST_F(KrateonKeys, LKeyAddsBlackBarsTopAndBottom) {
  // Three presses: bars of 15 % of the height. The message stays in the top-left corner, and a
  // 2-pixel star at the edge of the picture may reach one row into a bar.
  const int bar = kHeight * 15 / 100 - 2;
  const Rect top = {kMessageArea.width, 0, kWidth - kMessageArea.width, bar};
  const Rect bottom = {0, kHeight - bar, kWidth, bar};
  auto litIn = [](const Image& image, Rect area) {
    return spreadOf(image, area, [](Rgb p) { return p.maxChannel() >= 24; }).count;
  };
  const Image open = run_->shot("no-bars");
  ASSERT_GE(isolatedPoints(open, bottom, 40), 10) << "stars where the bar will be";
  const Moment bars = pressAndWait({"l", "l", "l"}, "bars", [&](const Image& i) {
    return litIn(i, top) + litIn(i, bottom) == 0;
  });
  EXPECT_EQ(litIn(bars.image, top), 0);
  EXPECT_EQ(litIn(bars.image, bottom), 0);
  EXPECT_GE(starCount(bars.image), 100) << "the middle still shows the scene";
  // Nine more presses go up to 6 and back down to 0.
  const Moment none =
      pressAndWait({"l", "l", "l", "l", "l", "l", "l", "l", "l"}, "bars-gone",
                   [&](const Image& i) { return isolatedPoints(i, bottom, 40) >= 5; });
  EXPECT_GE(isolatedPoints(none.image, bottom, 40), 5);
}

TEST_F(KrateonKeys, FKeySwitchesToA512WindowAndBack) {
  XSession& session = run_->session();
  const unsigned long window = run_->window();
  auto sizeIs = [&](int width, int height) {
    const Clock::time_point start = Clock::now();
    while (secondsSince(start) < 5.0) {
      const auto geometry = session.geometry(window);
      if (geometry && geometry->width == width && geometry->height == height) return true;
      sleepSeconds(0.1);
    }
    return false;
  };
  ASSERT_TRUE(session.key({"f"}));
  EXPECT_TRUE(sizeIs(512, 512)) << "a 512 x 512 window";
  EXPECT_EQ(session.property(window, "_NET_WM_STATE").find("FULLSCREEN"), std::string::npos);
  run_->shot("window");
  ASSERT_TRUE(session.key({"f"}));
  EXPECT_TRUE(sizeIs(kWidth, kHeight)) << "full screen again";
  const auto geometry = session.geometry(window);
  ASSERT_TRUE(geometry.has_value());
  EXPECT_EQ(geometry->x, 0);
  EXPECT_EQ(geometry->y, 0);
  EXPECT_NE(session.property(window, "_NET_WM_STATE").find("FULLSCREEN"), std::string::npos);
  session.activate(window);  // the keyboard stays with the program for the tests after
}

TEST_F(KrateonKeys, RKeyDuringTheExitFadeCancelsIt) {
  ASSERT_TRUE(run_->session().key({"Escape"}));
  sleepSeconds(0.6);
  ASSERT_TRUE(run_->session().key({"r"}));
  sleepSeconds(2.6);  // past the end the fade would have had
  ASSERT_TRUE(run_->process().running()) << "R should have cancelled the exit";
  const Image after = run_->shot("after-reset");
  EXPECT_GE(starCount(after), 300) << "the scene is still drawn";

  const Clock::time_point pressed = Clock::now();  // the key goes out right after this
  ASSERT_TRUE(run_->session().key({"Escape"}));
  const auto status = run_->process().waitForExit(4.0);
  const double took = secondsSince(pressed);
  note("seconds from Escape to the end", took);
  ASSERT_TRUE(status.has_value()) << "still running 4 s after Escape";
  EXPECT_EQ(*status, 0);
  EXPECT_GE(took, 1.9) << pace();
  EXPECT_LE(took, 2.6) << pace();
}

}  // namespace
}  // namespace e2e
