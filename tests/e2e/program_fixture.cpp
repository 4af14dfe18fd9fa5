// What the end-to-end tests of the running program share: the screen and its text areas, the
// measurements they make on it, and the fixture base that starts one run for a whole suite.
#include "program_fixture.h"

#include <iostream>

namespace e2e {

namespace {

constexpr int kStarChannel = 40;  // a star point is at least this bright, of 255

std::string currentTestName() {
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  return std::string(info->test_suite_name()) + "." + info->name();
}

bool inside(Rect area, int x, int y) {
  return x >= area.x && y >= area.y && x < area.x + area.width && y < area.y + area.height;
}

}  // namespace

double ProgramTest::framesPerSecond_ = 0;

void note(const std::string& what, double value) {
  std::cout << "    measured " << what << ": " << value << "\n";
}

int starCount(const Image& image) {
  return isolatedPoints(image, image.bounds(), kStarChannel);
}

int cellsWithStars(const Image& image) {
  int cells = 0;
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      const Rect cell = {column * image.width / 4, row * image.height / 4, image.width / 4,
                         image.height / 4};
      cells += isolatedPoints(image, cell, kStarChannel) >= 3;
    }
  }
  return cells;
}

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

double fillOfBox(const PixelSpread& spread) {
  return spread.count == 0
             ? 0
             : static_cast<double>(spread.count) / (spread.box.width * spread.box.height);
}

bool ProgramTest::startRun(std::unique_ptr<KrateonRun>& run, std::string& error) {
  run = std::make_unique<KrateonRun>(kWidth, kHeight);
  if (!run->start({KRATEON_PROGRAM}, KRATEON_ASSET_DIR)) error = run->error();
  return error.empty();
}

void ProgramTest::measurePace(KrateonRun& run) {
  framesPerSecond_ =
      run.session().changesPerSecond({kWidth / 2 - 100, kHeight / 2 - 100, 200, 200}, 1.0);
  note("frames per second", framesPerSecond_);
}

std::string ProgramTest::pace() {
  return " (the program drew " + std::to_string(static_cast<int>(framesPerSecond_)) +
         " frames a second; below 10 its clock falls behind)";
}

void ProgramTest::finishTest(KrateonRun* run) {
  if (run == nullptr) return;
  if (testing::Test::HasFailure()) {
    run->keepShots(artifactFolder(), currentTestName());
    std::cout << "Pictures kept in " << artifactFolder() << "; the program printed:\n"
              << run->output() << "\n";
  } else {
    run->forgetShots();
  }
}

}  // namespace e2e
