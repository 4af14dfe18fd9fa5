// The user's planet maps in the running scene: a bad file told on stderr in one line and
// skipped, the rest shown by the cycle in order with their own messages and keys, the map's
// colours read back from the planet, none of the built-in planets' extras, and the time spent
// reading them kept out of the animation.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/command_line.h"
#include "app/own_window.h"
#include "app/startup.h"
#include "app/window_host.h"
#include "core/frame_clock.h"
#include "core/settings.h"
#include "sim/impact.h"
#include "support/scene_driver.h"

namespace {

using testsupport::frameAfter;
using testsupport::frameAt;
using testsupport::messageText;
using testsupport::pressKey;

std::string folder;

// A width x height 24-bit BMP, the left half one colour and the right half another.
void saveHalves(const std::string& file, int width, int height, SDL_Color left, SDL_Color right) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, width, height, 0, SDL_PIXELFORMAT_RGB24);
  ASSERT_NE(s, nullptr);
  for (int y = 0; y < height; ++y) {
    auto* row = static_cast<Uint8*>(s->pixels) + y * s->pitch;
    for (int x = 0; x < width; ++x) {
      const SDL_Color c = x < width / 2 ? left : right;
      row[3 * x] = c.r;
      row[3 * x + 1] = c.g;
      row[3 * x + 2] = c.b;
    }
  }
  ASSERT_EQ(SDL_SaveBMP(s, file.c_str()), 0) << SDL_GetError();
  SDL_FreeSurface(s);
}

class UserMaps : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/krateon-user-maps.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
    const SDL_Color green{0, 255, 0, 255}, magenta{255, 0, 255, 255}, pale{180, 200, 220, 255};
    saveHalves(folder + "/halves.bmp", 64, 32, green, magenta);
    saveHalves(folder + "/pale.bmp", 16, 16, pale, pale);
    std::ofstream(folder + "/notes.png") << "not a picture\n";
  }
  static void TearDownTestSuite() { std::system(("rm -rf '" + folder + "'").c_str()); }

  // The program started with --image for each name (files of the folder), as given.
  void start(std::initializer_list<const char*> names) {
    static std::string paths[kMaxImageFiles];
    programOptions.imageFileCount = 0;
    for (const char* name : names) {
      paths[programOptions.imageFileCount] = folder + "/" + name;
      programOptions.imageFiles[programOptions.imageFileCount] =
          paths[programOptions.imageFileCount].c_str();
      ++programOptions.imageFileCount;
    }
    ::testing::internal::CaptureStderr();
    testsupport::startScene(320, 240);
    printed = ::testing::internal::GetCapturedStderr();
  }
  void TearDown() override { programOptions.imageFileCount = 0; }

  std::string printed;
};

// The named map at the index of each key; a digit without a map changes nothing; the cycle
// wraps after the last map; a reset goes back to the first.
TEST_F(UserMaps, TheCycleRunsThroughTheUsableMapsInOrder) {
  start({"halves.bmp", "notes.png", "pale.bmp"});
  EXPECT_EQ(printed, "krateon: " + folder + "/notes.png: is not a PNG, JPEG or BMP picture\n");
  EXPECT_EQ(sceneSettings.planetImage, 0) << "the start value 3 lies beyond the two maps";
  const struct {
    unsigned char key;
    int planet;
    const char* message;
  } keys[] = {{'i', 1, "Image 1/1: pale.bmp"}, {'i', 0, "Image 0/1: halves.bmp"},
              {'1', 1, "Image 1/1: pale.bmp"}, {'2', 1, "Image 1/1: pale.bmp"},
              {'9', 1, "Image 1/1: pale.bmp"}, {'0', 0, "Image 0/1: halves.bmp"},
              {'I', 1, "Image 1/1: pale.bmp"}, {'r', 0, "Reset"}};
  for (const auto& k : keys) {
    pressKey(k.key);
    EXPECT_EQ(sceneSettings.planetImage, k.planet) << "key " << k.key;
    EXPECT_EQ(messageText(), k.message) << "key " << k.key;
  }
  for (const int next : {1, 0, 1}) {
    impactClock = 8.99f;
    frameAfter(16);
    EXPECT_EQ(sceneSettings.planetImage, next);
  }
}

struct DiscColours {
  int green = 0, magenta = 0, pale = 0, other = 0;
};

// The pixels within 30 of the middle of the 320 x 240 window (the planet's disc is 35 in radius).
DiscColours discColours() {
  const testsupport::Frame frame = testsupport::readFrame();
  DiscColours counts;
  for (int y = 90; y <= 150; ++y) {
    for (int x = 130; x <= 190; ++x) {
      if ((x - 160) * (x - 160) + (y - 120) * (y - 120) > 900) continue;
      const testsupport::Rgb p = frame.at(x, y);
      const bool strong[3] = {p.r > 200, p.g > 200, p.b > 200};
      const bool weak[3] = {p.r < 40, p.g < 40, p.b < 40};
      if (strong[1] && weak[0] && weak[2]) {
        ++counts.green;
      } else if (strong[0] && strong[2] && weak[1]) {
        ++counts.magenta;
      } else if (std::abs(p.r - 180) < 6 && std::abs(p.g - 200) < 6 && std::abs(p.b - 220) < 6) {
        ++counts.pale;
      } else {
        ++counts.other;
      }
    }
  }
  return counts;
}

// Unlit, in full light and with the stars off, the planet shows the map's own colours: both
// halves of the green and magenta map as it turns, the pale grey-blue one, nothing else (the
// Earth's clouds would add white at map 3, the Cloud Layer's colour cycling would tint map 1).
TEST_F(UserMaps, ThePlanetShowsTheMapsOwnColours) {
  start({"halves.bmp", "pale.bmp", "halves.bmp", "halves.bmp"});
  EXPECT_EQ(printed, "");
  testsupport::pressKeys("uvs");  // no stars, manual camera (the planet in the middle), unlit
  frameAt(20'000);                // past the intro
  DiscColours halves;
  for (const char* key : {"0", "3"}) {
    testsupport::pressKeys(key);
    for (int turn = 0; turn < 3; ++turn) {
      testsupport::runFrames(30, 100);  // 60 degrees further round
      impactClock = -2.5f;              // the planet fully bright, no meteor
      frameAfter(16);
      const DiscColours c = discColours();
      halves.green += c.green;
      halves.magenta += c.magenta;
      // Only the seam between the halves, which the texture filter blends, a pixel or two wide.
      EXPECT_LT(c.other, 150) << "map " << key << ", turn " << turn;
      EXPECT_EQ(c.pale, 0) << "map " << key << ", turn " << turn;
    }
  }
  EXPECT_GT(halves.green, 2000);
  EXPECT_GT(halves.magenta, 2000);
  pressKey('1');
  impactClock = -2.5f;
  frameAfter(16);
  const DiscColours c = discColours();
  EXPECT_EQ(c.green + c.magenta + c.other, 0);
  EXPECT_GT(c.pale, 2500);
}

int slowElapsedMs() {
  static int ms = 0;
  return ms += 2000;
}

// Reading the maps took two seconds of the window's clock: the first frame after it is the
// animation's first 16 ms. Without maps start-up keeps counting as it always has.
TEST_F(UserMaps, ReadingTheMapsIsNotAnimationTime) {
  static WindowHost slowHost = ownWindowHost;
  slowHost.elapsedMs = slowElapsedMs;
  for (const bool maps : {true, false}) {
    if (maps) {
      start({"halves.bmp"});
    } else {
      start({});
    }
    useWindowHost(slowHost);
    loadAllTextures();
    frameAt(2016);
    EXPECT_NEAR(now, maps ? 0.016 : 2.016, 1e-9) << (maps ? "with maps" : "without");
    EXPECT_NEAR(fadeLevel, maps ? 0.016 / 3 : 2.016 / 3, 1e-6);
  }
}

}  // namespace
