// What a person meets when starting Krateon: a full-screen window that fades in, a planet among
// stars, a meteor at every click with a flash and a boom, the planet breaking with a thunderclap,
// keys that change the picture, and Escape, which fades out and ends the program.
//
// Two runs of the real program, each on its own X server: KrateonShow watches the show and the
// mouse, KrateonKeys the keys. The tests of a run share it and follow one timeline, so they run
// in the order written; times are seconds since the program was started, close to its own clock.
// While the sun is behind the viewer (about 5 to 20 s after the start, the same at every start)
// the planet's face is lit, so the checks that look at the planet happen then. The scene's clock
// keeps pace with the wall clock while the program draws at least 10 frames a second; the tests
// measure that rate and name it when a timing fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "disk_audio.h"
#include "krateon_run.h"
#include "scene_checks.h"
#include "screen_image.h"
#include "x_session.h"

namespace e2e {
namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;

// Sound starts: a 10 ms window this loud (of 32768) and four times louder than just before.
constexpr double kSoundLevel = 300;
constexpr double kSoundRise = 4;

// The flash lifts the mean brightness of the rows through the planet by far more than this (of
// 255); a pixel counts as lit up by it when it rises by kFlashPixelRise.
constexpr int kFlashBandRows = 120;
constexpr double kFlashMeanRise = 4;
constexpr int kFlashPixelRise = 40;

// Share of the broken planet's disc where the glowing core shows between the pieces.
constexpr double kLeastCoreShare = 0.03;

const Rect kMessageArea = {0, 0, 330, 34};                 // "Press ? key for Help Screen"
const Rect kFrameRateArea = {kWidth - 130, 0, 130, 34};    // "%3d Frame/Sec"
const Rect kHelpArea = {20, 40, 600, kHeight - 80};        // the help screen's two blocks
const Rect kBelowMessage = {0, 40, kWidth, kHeight - 40};  // where the sliding title goes

// A picture with the moment it was taken.
struct Moment {
  Image image;
  double at = 0;  // seconds since the window appeared
};

// Prints a measured value, so that a passing run shows its margins too.
void note(const std::string& what, double value) {
  std::cout << "    measured " << what << ": " << value << "\n";
}

std::string currentTestName() {
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  return std::string(info->test_suite_name()) + "." + info->name();
}

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

int starCount(const Image& image) {
  return isolatedPoints(image, image.bounds(), 40);
}

// Cells of a 4 x 4 grid over the screen that hold at least three star points.
int cellsWithStars(const Image& image) {
  int cells = 0;
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      const Rect cell = {column * image.width / 4, row * image.height / 4, image.width / 4,
                         image.height / 4};
      cells += isolatedPoints(image, cell, 40) >= 3;
    }
  }
  return cells;
}

// Where the second picture is clearly brighter than the first.
PixelSpread brightened(const Image& before, const Image& after) {
  Image difference = after;
  for (size_t i = 0; i < difference.rgb.size(); i += 3) {
    const int rise = (after.rgb[i] + after.rgb[i + 1] + after.rgb[i + 2] - before.rgb[i] -
                      before.rgb[i + 1] - before.rgb[i + 2]) /
                     3;
    const uint8_t mark = rise >= kFlashPixelRise ? 255 : 0;
    difference.rgb[i] = difference.rgb[i + 1] = difference.rgb[i + 2] = mark;
  }
  return spreadOf(difference, difference.bounds(), [](Rgb p) { return p.r == 255; });
}

// The band of rows through the planet, where the impact flash, a ring far wider than the planet,
// shows first. Watching only the band keeps each look short.
Rect flashBand(const Image& before) {
  const auto planet = findPlanet(before);
  const int middle = planet ? static_cast<int>(planet->y) : kHeight / 2;
  return {0, std::clamp(middle - kFlashBandRows / 2, 0, kHeight - kFlashBandRows), kWidth,
          kFlashBandRows};
}

// Polls until the band through the planet is clearly brighter than before: the impact flash.
// The moment it was seen, with the whole screen taken right after; nothing when no flash came
// before the deadline.
std::optional<Moment> waitForFlash(KrateonRun& run, const Image& before, double deadline) {
  const Rect band = flashBand(before);
  const double dark = meanBrightness(before, band);
  while (run.elapsed() < deadline) {
    const Image strip = run.session().capture(band);
    const double at = run.elapsed();
    if (meanBrightness(strip, strip.bounds()) >= dark + kFlashMeanRise) {
      return Moment{run.session().capture(), at};
    }
    sleepSeconds(0.01);  // leave the processor to the program
  }
  return std::nullopt;
}

bool inside(Rect area, int x, int y) {
  return x >= area.x && y >= area.y && x < area.x + area.width && y < area.y + area.height;
}

// Mean brightness of the picture without the message line, which shows at full strength while
// the scene fades in. (The title shows all the time, so it adds the same to every picture.)
double sceneBrightness(const Image& image) {
  double sum = 0;
  long count = 0;
  forEachPixel(image, image.bounds(), [&](int x, int y, Rgb pixel) {
    if (inside(kMessageArea, x, y)) return;
    sum += pixel.brightness();
    ++count;
  });
  return count > 0 ? sum / count : 0;
}

// The picture with the planet painted black.
Image withoutPlanet(const Image& image) {
  const auto planet = findPlanet(image);
  if (!planet) return image;
  Image copy = image;
  const double r = planet->radius * 1.1;
  forEachPixel(image, image.bounds(), [&](int x, int y, Rgb) {
    const double dx = x - planet->x, dy = y - planet->y;
    if (dx * dx + dy * dy > r * r) return;
    const size_t i = (static_cast<size_t>(y) * image.width + x) * 3;
    copy.rgb[i] = copy.rgb[i + 1] = copy.rgb[i + 2] = 0;
  });
  return copy;
}

// Share of the bounding box that the pixels fill: letters leave gaps, blocks do not.
double fillOfBox(const PixelSpread& spread) {
  return spread.count == 0
             ? 0
             : static_cast<double>(spread.count) / (spread.box.width * spread.box.height);
}

// The shared run of one test suite, with the bookkeeping every test needs.
class ProgramTest : public testing::Test {
 protected:
  // Measures how many frames a second the program draws now (it redraws the middle of the screen
  // every frame) and prints it.
  static void measurePace(KrateonRun& run) {
    framesPerSecond_ =
        run.session().changesPerSecond({kWidth / 2 - 100, kHeight / 2 - 100, 200, 200}, 1.0);
    note("frames per second", framesPerSecond_);
  }
  // For the messages of timed checks.
  static std::string pace() {
    return " (the program drew " + std::to_string(static_cast<int>(framesPerSecond_)) +
           " frames a second; below 10 its clock falls behind)";
  }

  static bool startRun(std::unique_ptr<KrateonRun>& run, std::string& error) {
    run = std::make_unique<KrateonRun>(kWidth, kHeight);
    if (!run->start({KRATEON_PROGRAM}, KRATEON_ASSET_DIR)) error = run->error();
    return error.empty();
  }

  static double framesPerSecond_;

  // Keeps the pictures of a failed test and shows what the program printed.
  static void finishTest(KrateonRun* run) {
    if (run == nullptr) return;
    if (testing::Test::HasFailure()) {
      run->keepShots(artifactFolder(), currentTestName());
      std::cout << "Pictures kept in " << artifactFolder() << "; the program printed:\n"
                << run->output() << "\n";
    } else {
      run->forgetShots();
    }
  }
};

// ---------------------------------------------------------------- the show and the mouse

double ProgramTest::framesPerSecond_ = 0;

class KrateonShow : public ProgramTest {
 protected:
  static void SetUpTestSuite() {
    if (!startRun(run_, startError_)) return;
    // The intro, before any test looks at it: the fade, the start message, the title.
    for (double at : {0.3, 1.5, 2.5, 3.7, 4.4}) {
      run_->waitUntil(at);
      intro_.push_back({run_->session().capture(), run_->elapsed()});
    }
  }
  static void TearDownTestSuite() {
    intro_.clear();
    run_.reset();
  }
  void SetUp() override { ASSERT_TRUE(startError_.empty()) << startError_; }
  void TearDown() override { finishTest(run_.get()); }

  static const Moment& intro(size_t index) {
    run_->remember("intro-" + std::to_string(index), intro_.at(index).image);
    return intro_.at(index);
  }

  static std::unique_ptr<KrateonRun> run_;
  static std::string startError_;
  static std::vector<Moment> intro_;
  // Set by the click test for the tests that follow the same impact.
  static Image beforeClick_;
  static std::optional<Disc> planetAtClick_;
  static double clickAt_;       // seconds since the window appeared
  static double clickAudioAt_;  // seconds into the sound file
};

std::unique_ptr<KrateonRun> KrateonShow::run_;
std::string KrateonShow::startError_;
std::vector<Moment> KrateonShow::intro_;
Image KrateonShow::beforeClick_;
std::optional<Disc> KrateonShow::planetAtClick_;
double KrateonShow::clickAt_ = 0;
double KrateonShow::clickAudioAt_ = 0;

TEST_F(KrateonShow, OneWindowTitledKrateonCoversTheScreen) {
  EXPECT_EQ(run_->session().findWindows("^Krateon$").size(), 1u);
  const auto geometry = run_->session().geometry(run_->window());
  ASSERT_TRUE(geometry.has_value());
  EXPECT_EQ(geometry->x, 0);
  EXPECT_EQ(geometry->y, 0);
  EXPECT_EQ(geometry->width, kWidth);
  EXPECT_EQ(geometry->height, kHeight);
  EXPECT_NE(run_->session().property(run_->window(), "_NET_WM_STATE").find("FULLSCREEN"),
            std::string::npos);
}

TEST_F(KrateonShow, PictureFadesInOverTheFirstThreeSeconds) {
  // The planet itself brightens with the impact cycle's clock, which starts when the first frame
  // is drawn: the picture at 4.4 s is surely the faded-in one.
  std::vector<double> means;
  for (size_t i = 0; i < 5; ++i) {
    means.push_back(sceneBrightness(intro(i).image));
    note("mean brightness at " + std::to_string(intro(i).at) + " s", means[i]);
  }
  const double first = means.front();
  const double faded = means.back();
  EXPECT_GT(faded, 1.5 * first + 0.3) << "mean brightness " << first << " at " << intro(0).at
                                      << " s, " << faded << " at " << intro(4).at << " s";
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_LT(means[i], faded) << "at " << intro(i).at << " s the picture was already brighter";
  }
}

TEST_F(KrateonShow, StartMessageShowsTopLeftForThreeSeconds) {
  const PixelSpread shown = spreadOf(intro(1).image, kMessageArea, isWhite);
  note("white message pixels", shown.count);
  EXPECT_GE(shown.count, 100) << "white text pixels at " << intro(1).at << " s";
  EXPECT_LE(shown.box.x, 20);
  EXPECT_GE(shown.box.width, 180) << "a line of about 27 characters";
  EXPECT_GE(shown.box.y, 2);
  EXPECT_LE(shown.box.y + shown.box.height, 30) << "glyph bottoms 25 pixels from the top";
  EXPECT_LE(fillOfBox(shown), 0.6) << "letters, not solid blocks";
  const PixelSpread gone = spreadOf(intro(4).image, kMessageArea, isWhite);
  EXPECT_LE(gone.count, 10) << "the message should have gone by " << intro(4).at << " s";
}

TEST_F(KrateonShow, TitleSlidesFromTopLeftTowardsBottomRight) {
  const Moment& early = intro(1);
  const Moment& late = intro(2);
  // Clouds on a lit planet are white too.
  const PixelSpread a = spreadOf(withoutPlanet(early.image), kBelowMessage, isWhite);
  const PixelSpread b = spreadOf(withoutPlanet(late.image), kBelowMessage, isWhite);
  for (const PixelSpread* title : {&a, &b}) {
    ASSERT_GE(title->count, 100) << "no title below the message line";
    EXPECT_GE(title->box.width, 80);
    EXPECT_LE(title->box.width, 200);
    EXPECT_GE(title->box.height, 15);
    EXPECT_LE(title->box.height, 60);
    EXPECT_LE(fillOfBox(*title), 0.6) << "letters, not solid blocks";
    // It slides along the diagonal: left edge / width = bottom edge / height.
    const double bottom = title->box.y + title->box.height;
    EXPECT_NEAR(title->box.x, bottom / kHeight * kWidth, 45);
  }
  const double seconds = late.at - early.at;
  const double dx = b.box.x - a.box.x;
  const double dy = (b.box.y + b.box.height) - (a.box.y + a.box.height);
  note("title pixels per second right", dx / seconds);
  note("title pixels per second down", dy / seconds);
  EXPECT_NEAR(dx / seconds, kWidth / 8.0, kWidth / 8.0 * 0.4) << "pixels per second to the right";
  EXPECT_NEAR(dy / seconds, kHeight / 8.0, kHeight / 8.0 * 0.4) << "pixels per second down";
}

TEST_F(KrateonShow, PlanetIsTexturedAndNearTheMiddle) {
  run_->waitUntil(4.8);
  measurePace(*run_);
  run_->waitUntil(6.0);
  const Image image = run_->shot("planet");
  const auto planet = findPlanet(image);
  ASSERT_TRUE(planet.has_value()) << "no planet found";
  SCOPED_TRACE(planet->describe());
  EXPECT_GE(planet->radius, 45);
  EXPECT_LE(planet->radius, 170);
  // The camera sways by up to a quarter of the screen; the planet stays in the middle half.
  EXPECT_LE(std::abs(planet->x - kWidth / 2.0), kWidth / 4.0);
  EXPECT_LE(std::abs(planet->y - kHeight / 2.0), kHeight / 4.0);
  const int colours = distinctColours(image, planet->x, planet->y, planet->radius * 0.85, 30);
  const double contrast = textureContrast(image, *planet);
  note("planet radius", planet->radius);
  note("planet colours", colours);
  note("planet texture contrast", contrast);
  EXPECT_GE(colours, 12) << "a textured planet has many colours";
  EXPECT_GE(contrast, 0.1) << "a textured planet is not smooth";
}

TEST_F(KrateonShow, StarsCoverTheBackground) {
  const Image image = run_->shot("stars");
  note("star points", starCount(image));
  note("grid cells with stars", cellsWithStars(image));
  EXPECT_GE(starCount(image), 300);
  EXPECT_GE(cellsWithStars(image), 13) << "of the 16 cells of a 4 x 4 grid";
}

TEST_F(KrateonShow, ClickStrikesThePlanetWithFlashFireSparksAndBoom) {
  run_->waitUntil(6.3);
  beforeClick_ = run_->shot("before-click");
  planetAtClick_ = findPlanet(beforeClick_);
  ASSERT_TRUE(planetAtClick_.has_value()) << "no planet to strike";
  const Disc planet = *planetAtClick_;
  SCOPED_TRACE("before the click: " + planet.describe());

  clickAudioAt_ = run_->audioSeconds();
  ASSERT_TRUE(run_->session().click(kWidth / 2, kHeight / 2));
  clickAt_ = run_->elapsed();

  // The meteor needs half a second; then a wide pale ring flares up around the struck point.
  const std::optional<Moment> flash = waitForFlash(*run_, beforeClick_, clickAt_ + 1.0);
  EXPECT_TRUE(flash.has_value()) << "no flash within a second of the click" << pace();
  if (flash) {
    run_->remember("flash", flash->image);
    note("seconds from the click to the flash", flash->at - clickAt_);
    EXPECT_LE(flash->at - clickAt_, 0.7) << "seconds from the click to the flash" << pace();
    EXPECT_GE(flash->at - clickAt_, 0.3) << "the meteor takes half a second to arrive" << pace();
    // The ring is centred on the struck point, on the planet's face. (The camera jumps at the
    // impact, so the planet is not where it was before the click.)
    const PixelSpread ring = brightened(beforeClick_, flash->image);
    const Disc middle = {ring.centerX, ring.centerY, 0.4 * planet.radius};
    const double onPlanet = litFraction(flash->image, middle, 1.0, 40);
    note("flash centre from the planet centre before the click, in radii",
         std::hypot(ring.centerX - planet.x, ring.centerY - planet.y) / planet.radius);
    note("lit share around the flash centre", onPlanet);
    EXPECT_GE(onPlanet, 0.8) << "the flash is centred on the planet, at (" << ring.centerX << ", "
                             << ring.centerY << ")";
  }

  // Once the flash has passed: fire and sparks at the struck point, which faced the viewer, so
  // near the middle of the planet.
  run_->waitUntil(clickAt_ + 1.6);
  const Image fire = run_->shot("fire");
  const Disc struck = findPlanet(fire).value_or(planet);
  SCOPED_TRACE("after the impact: " + struck.describe());
  const PixelSpread hot = spreadInDisc(fire, struck, 1.3, isHot);
  note("fire pixels", hot.count);
  note("fire centre from the planet centre, in radii",
       std::hypot(hot.centerX - struck.x, hot.centerY - struck.y) / struck.radius);
  const int dotsBefore = sparkDots(beforeClick_, planet, 0.9);
  const int dotsAfter = sparkDots(fire, struck, 0.9);
  note("sharp dots on the planet before", dotsBefore);
  note("sharp dots on the planet after", dotsAfter);
  EXPECT_GE(hot.count, 30) << "fire-coloured pixels over the planet";
  if (hot.count > 0) {
    EXPECT_LE(std::hypot(hot.centerX - struck.x, hot.centerY - struck.y), 0.8 * struck.radius)
        << "fire centred at (" << hot.centerX << ", " << hot.centerY << ")";
  }
  EXPECT_GE(dotsAfter, dotsBefore + 15) << "sparks";

  const AudioTrack sound = run_->audio();
  const auto starts =
      soundStarts(sound, clickAudioAt_, clickAudioAt_ + 1.0, kSoundLevel, kSoundRise);
  ASSERT_FALSE(starts.empty()) << "no boom in the sound file (" << sound.seconds() << " s long)";
  note("seconds from the click to the boom", starts.front() - clickAudioAt_);
  EXPECT_LE(starts.front() - clickAudioAt_, 0.7) << "seconds from the click to the boom" << pace();
  EXPECT_GE(starts.front() - clickAudioAt_, 0.3) << "the boom comes with the impact" << pace();
}

TEST_F(KrateonShow, PlanetBreaksWithThunderAroundAGlowingCore) {
  ASSERT_TRUE(planetAtClick_.has_value()) << "needs the click of the test before";
  run_->remember("before-click", beforeClick_);
  EXPECT_LE(spreadInDisc(beforeClick_, *planetAtClick_, 1.0, isEmber).count, 100)
      << "the whole planet shows no core";

  // The planet breaks 4.4 s after the click. Its pieces drift and turn apart at a speed drawn
  // anew at every break, so the core shows between them sooner or later: look until the pieces
  // begin to fade.
  run_->waitUntil(clickAt_ + 4.0);
  Moment broken;
  std::optional<Disc> pieces;
  double coreShare = 0;
  do {
    sleepSeconds(0.1);
    broken = {run_->session().capture(), run_->elapsed()};
    pieces = findPlanet(broken.image);
    if (!pieces) continue;
    const double area = 3.14159 * pieces->radius * pieces->radius;
    coreShare = spreadInDisc(broken.image, *pieces, 1.0, isEmber).count / area;
  } while (coreShare < kLeastCoreShare && run_->elapsed() < clickAt_ + 6.6);
  run_->remember("fragments", broken.image);
  ASSERT_TRUE(pieces.has_value()) << "nothing left of the planet";
  SCOPED_TRACE("fragments: " + pieces->describe());
  note("seconds from the click to the core showing", broken.at - clickAt_);
  note("core share of the disc", coreShare);
  EXPECT_GE(coreShare, kLeastCoreShare) << "the glowing core between the fragments" << pace();
  const int colours = distinctColours(broken.image, pieces->x, pieces->y, pieces->radius, 30);
  note("colours of the pieces", colours);
  EXPECT_GE(colours, 12) << "the pieces keep the planet's texture";

  // The scene's clock follows the wall clock only while frames take under 0.1 s, so a loaded
  // machine may stretch the 4.4 s a little.
  const AudioTrack sound = run_->audio();
  const auto starts =
      soundStarts(sound, clickAudioAt_ + 2.0, clickAudioAt_ + 5.5, kSoundLevel, kSoundRise);
  ASSERT_FALSE(starts.empty()) << "no thunder in the sound file";
  note("seconds from the click to the thunder", starts.front() - clickAudioAt_);
  EXPECT_GE(starts.front() - clickAudioAt_, 3.9)
      << "seconds from the click to the thunder" << pace();
  EXPECT_LE(starts.front() - clickAudioAt_, 5.2)
      << "seconds from the click to the thunder" << pace();
}

TEST_F(KrateonShow, OptionKeySilencesTheNextImpact) {
  ASSERT_GT(clickAt_, 0) << "needs the click of the tests before";
  run_->waitUntil(clickAt_ + 6.0);
  ASSERT_TRUE(run_->session().key({"o"}));
  run_->waitUntil(clickAt_ + 6.5);
  run_->shot("before-silent-click");
  const double audioAt = run_->audioSeconds();
  ASSERT_TRUE(run_->session().click(kWidth / 2, kHeight / 2));
  const double clickAt = run_->elapsed();

  // The click brings the broken planet back whole at once; the meteor strikes half a second later.
  sleepSeconds(0.15);
  const Image whole = run_->shot("whole-again");
  const std::optional<Moment> flash = waitForFlash(*run_, whole, clickAt + 1.0);
  EXPECT_TRUE(flash.has_value()) << "the meteor still strikes";
  if (flash) {
    run_->remember("silent-flash", flash->image);
    note("seconds from the silent click to the flash", flash->at - clickAt);
  }

  run_->waitUntil(clickAt + 5.3);  // past the impact and the break
  const AudioTrack sound = run_->audio();
  EXPECT_GE(sound.seconds(), audioAt + 5.0) << "the sound device kept running";
  const auto starts = soundStarts(sound, audioAt, audioAt + 5.2, kSoundLevel, kSoundRise);
  EXPECT_TRUE(starts.empty()) << "a sound started " << starts.front() - audioAt
                              << " s after the click";
}

TEST_F(KrateonShow, EscapeFadesOutAndEndsWithStatusZero) {
  ASSERT_TRUE(run_->process().running());
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

// ---------------------------------------------------------------- the keys

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
  run_->waitUntil(5.0);
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
  const double again = lit(pressAndWait({"w"}, "polygons-again", [&](const Image& i) {
                             return lit(i) > 0.8 * solid;
                           }).image);
  EXPECT_GT(again, 0.8 * solid);
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
