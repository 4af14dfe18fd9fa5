// Krateon's show as a person meets it: one full-screen window that fades in with the sliding
// title and the start message, a textured planet among stars, a click that sends a meteor (flash,
// fire, sparks, boom), the planet shattering with a thunderclap around its glowing core, the key
// that silences the next impact, and Escape, which fades out and ends the program with status 0.
//
// One run of the real program on its own X server; the tests share it and follow one timeline,
// so they run in the order written. Times are seconds since the program was started, close to
// its own clock. While the sun is behind the viewer (about 5 to 20 s after the start, the same at
// every start) the planet's face is lit, so the checks that look at the planet happen then. The
// scene's clock keeps pace with the wall clock while the program draws at least 10 frames a
// second; the tests measure that rate and name it when a timing fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "disk_audio.h"
#include "krateon_run.h"
#include "program_fixture.h"
#include "scene_checks.h"
#include "screen_image.h"
#include "x_session.h"

namespace e2e {
namespace {

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
  // have faded to half.
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
  } while (coreShare < kLeastCoreShare && run_->elapsed() < clickAt_ + 7.2);
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

}  // namespace
}  // namespace e2e
