// The user's planet maps in the running scene: the cycle through the usable maps with its keys,
// the maps' own colours on the planet, and the time spent reading them kept out of the animation.
#include <SDL2/SDL_image.h>
#include <gtest/gtest.h>

#include <array>
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
using testsupport::pressKey;

std::string folder;
std::string paths[kMaxImageFiles];

// A picture whose left half is one colour and right half another, saved as the name says.
void saveHalves(const std::string& name, int width, int height, SDL_Color left, SDL_Color right) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, width, height, 0, SDL_PIXELFORMAT_RGB24);
  SDL_Rect half{width / 2, 0, width, height};
  SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, left.r, left.g, left.b));
  SDL_FillRect(s, &half, SDL_MapRGB(s->format, right.r, right.g, right.b));
  const std::string file = folder + "/" + name;
  ASSERT_EQ(name.ends_with(".bmp") ? SDL_SaveBMP(s, file.c_str()) : IMG_SavePNG(s, file.c_str()),
            0);
  SDL_FreeSurface(s);
}

class UserMaps : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/krateon-user-maps.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
    saveHalves("halves.png", 64, 32, {0, 255, 0, 255}, {255, 0, 255, 255});  // green, magenta
    saveHalves("pale.bmp", 16, 16, {180, 200, 220, 255}, {180, 200, 220, 255});
    std::ofstream(folder + "/notes.png") << "not a picture\n";
  }
  static void TearDownTestSuite() { std::system(("rm -rf '" + folder + "'").c_str()); }
  void TearDown() override { programOptions.imageFileCount = 0; }

  // The scene started as with --image for each file of the folder, in order; what it printed.
  std::string start(std::initializer_list<const char*> names) {
    clearStartValues();
    programOptions.imageFileCount = 0;
    for (const char* name : names) {
      const std::string& path = paths[programOptions.imageFileCount] = folder + "/" + name;
      programOptions.imageFiles[programOptions.imageFileCount++] = path.c_str();
    }
    ::testing::internal::CaptureStderr();
    testsupport::startScene(320, 240);
    return ::testing::internal::GetCapturedStderr();
  }
};

// Pixels within 30 of the middle of the window (the planet's disc is 35 in radius): green,
// magenta, the pale grey-blue, and anything else.
std::array<int, 4> discColours() {
  const testsupport::Frame frame = testsupport::readFrame();
  std::array<int, 4> counts{};
  for (int y = 90; y <= 150; ++y) {
    for (int x = 130; x <= 190; ++x) {
      const testsupport::Rgb p = frame.at(x, y);
      if ((x - 160) * (x - 160) + (y - 120) * (y - 120) > 900) continue;
      const bool green = p.g > 200 && p.r < 40 && p.b < 40;
      const bool magenta = p.r > 200 && p.b > 200 && p.g < 40;
      const bool pale =
          std::abs(p.r - 180) < 6 && std::abs(p.g - 200) < 6 && std::abs(p.b - 220) < 6;
      ++counts[green ? 0 : magenta ? 1 : pale ? 2 : 3];
    }
  }
  return counts;
}

// With no usable map the built-in planets stay, from the Earth. Else the usable maps, in order,
// from the first (also when there are more than three): each key shows its map by name, a digit
// without a map changes nothing, the cycle wraps after the last map, a reset goes back to the
// first. Unlit, fully bright, without stars the planet shows both halves of the green and
// magenta map as it turns (at map 0, and at map 3, where the Earth's clouds would add white), the
// pale map untinted (at map 1, which the Cloud Layer's colour cycling would tint), nothing else.
TEST_F(UserMaps, TheCycleRunsThroughTheUsableMapsInOrderInTheirOwnColours) {
  const std::string notes =
      "krateon: " + folder + "/notes.png: is not a PNG, JPEG or BMP picture\n";
  EXPECT_EQ(start({"notes.png"}), notes);
  EXPECT_EQ(sceneSettings.planetImage, 3);
  pressKey('9');
  EXPECT_EQ(testsupport::messageText(), "Image 9/9: Pluto");
  EXPECT_EQ(start({"halves.png", "notes.png", "pale.bmp", "halves.png", "halves.png"}), notes);
  EXPECT_EQ(sceneSettings.planetImage, 0);
  testsupport::pressKeys("uvs");  // no stars, manual camera (the planet in the middle), unlit
  testsupport::frameAt(20'000);   // past the intro
  std::array<int, 4> seen{};
  for (const char* map : {"0", "3", "1"}) {
    testsupport::pressKeys(map);
    for (int turn = 0; turn < 3; ++turn) {
      testsupport::runFrames(30, 100);  // 60 degrees further round
      impactClock = -2.5f;              // the planet fully bright, no meteor
      frameAfter(16);
      const std::array<int, 4> c = discColours();
      for (int i = 0; i < 4; ++i) seen[i] += c[i];
      // Besides the map's colours only the seam between the halves, blended by the filter.
      EXPECT_LT(c[3], 150) << "map " << map << ", turn " << turn;
      EXPECT_EQ(map[0] == '1' ? c[0] + c[1] : c[2], 0) << "map " << map << ", turn " << turn;
    }
  }
  EXPECT_TRUE(seen[0] > 2000 && seen[1] > 2000 && seen[2] > 3 * 2500)
      << seen[0] << " green, " << seen[1] << " magenta, " << seen[2] << " pale";
  const struct {
    unsigned char key;
    int planet;
    const char* message;
  } keys[] = {{'i', 2, "Image 2/3: halves.png"},
              {'I', 3, "Image 3/3: halves.png"},
              {'4', 3, "Image 3/3: halves.png"},
              {'9', 3, "Image 3/3: halves.png"},
              {'i', 0, "Image 0/3: halves.png"},
              {'1', 1, "Image 1/3: pale.bmp"},
              {'r', 0, "Reset"}};
  for (const auto& k : keys) {
    pressKey(k.key);
    EXPECT_EQ(sceneSettings.planetImage, k.planet) << "key " << k.key;
    EXPECT_EQ(testsupport::messageText(), k.message) << "key " << k.key;
  }
  for (const int next : {1, 2, 3, 0}) {
    impactClock = 8.99f;
    frameAfter(16);
    EXPECT_EQ(sceneSettings.planetImage, next);
  }
}

// Reading the maps took two seconds of the window's clock: the first frame after it is the
// animation's first 16 ms. Without maps start-up counts as it always has.
TEST_F(UserMaps, ReadingTheMapsIsNotAnimationTime) {
  static WindowHost slowHost = ownWindowHost;
  slowHost.elapsedMs = [] {
    static int ms = 0;
    return ms += 2000;
  };
  for (const bool maps : {true, false}) {
    start(maps ? std::initializer_list{"halves.png"} : std::initializer_list<const char*>{});
    useWindowHost(slowHost);
    loadAllTextures();
    testsupport::frameAt(2016);
    const double animated = maps ? 0.016 : 2.016;
    EXPECT_NEAR(now, animated, 1e-9) << (maps ? "with maps" : "without");
    EXPECT_NEAR(fadeLevel, animated / 3, 1e-6) << (maps ? "with maps" : "without");
  }
}

}  // namespace
