// Input far outside its ranges: a storm of 100,000 random keys, special keys, buttons, pointer
// jumps and window sizes keeps every setting in its range and every value finite, and then a
// reset gives the defaults and ESC still ends the program; numbers past the ends of the arrays
// they index or scan get the safe answer and touch nothing else. Also run under ASan and UBSan.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>

#include "app/input.h"
#include "app/startup.h"
#include "backdrop/light.h"
#include "core/frame_clock.h"
#include "core/numeric.h"
#include "core/phase_bank.h"
#include "core/settings.h"
#include "fx/particles.h"
#include "image/texture_table.h"
#include "sim/planet.h"
#include "support/scene_driver.h"
#include "text/text_display.h"

namespace {

// Window sizes the storm reshapes to; the last one is the window's own.
constexpr int kSizes[][2] = {{0, 0},    {1, 1},     {8192, 8192}, {1, 8192},
                             {8192, 1}, {512, 512}, {320, 240}};

std::mt19937 stormRandom{20240611};
int pick(int count) {
  return std::uniform_int_distribution<int>(0, count - 1)(stormRandom);
}
// Pointer positions far outside any window, now and then the ends of an int.
int coordinate() {
  if (pick(100) == 0) return pick(2) == 0 ? INT_MIN : INT_MAX;
  return pick(200'001) - 100'000;
}

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

// All of it runs in a child process, which must end with status 0 through the exit fade; a broken
// rule ends it with another status and says which.
void stormResetAndEscape() {
  auto fail = [](const std::string& what) {
    std::fprintf(stderr, "%s\n", what.c_str());
    std::exit(3);
  };
  testsupport::startScene(320, 240);
  testsupport::frameAt(11'000);
  for (int event = 1; event <= 100'000; ++event) {
    playOneEvent();
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

// A particle pool told to scan past its 640 slots or before the first, phase counts past the bank.
TEST(ArrayBounds, ScansStopAtTheLastSlot) {
  const auto pool = std::make_unique<ParticleSystem>();  // capacity is taken within 0..640
  pool->configureImpactParticles();                      // bursts at one instant
  pool->capacity = 1'000'000;
  for (int slot = 0; slot < kMaxParticles; ++slot)
    ASSERT_EQ(pool->spawnParticle(kSpark, 0, 0, 0, 1, 1), slot);
  EXPECT_EQ(pool->spawnParticle(kSpark, 0, 0, 0, 1, 1), -1) << "a full pool";
  pool->updateParticles(kSpark, 1.01, 0.01f, 1);
  pool->capacity = -5;
  pool->clearParticles();
  EXPECT_EQ(pool->spawnParticle(kSpark, 0, 0, 0, 2, 1), -1) << "no slots";
  int next[2];  // a count past the 99 phase slots seeds and drifts the 99, drawing no more
  for (const int count : {kPhaseSlots, kPhaseSlots + 400}) {
    seedRandom(77);
    seedPhaseBank(count);
    driftPhaseBank(count, 0.5f, sceneSettings, 0);
    next[count > kPhaseSlots] = nextRandom();
  }
  EXPECT_EQ(next[0], next[1]) << "random draws after the phase bank";
}

// A light number outside 0..7 names no light; the table keeps 48 textures and counts every one
// stored; a planet image outside 0..9, or whose slot lies past the table, has no texture.
TEST(ArrayBounds, NumbersPastATableNameNothingInIt) {
  testsupport::ensureGlContext();
  const GLfloat ambient[4] = {0.25f, 0.25f, 0.25f, 1};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  for (const int light : {-1, 8, 1000}) setupLight(light, 0, 0, 1, 1, 1, 1, 1, 1);
  GLfloat after[4];
  glGetFloatv(GL_LIGHT_MODEL_AMBIENT, after);
  EXPECT_EQ(after[0], 0.25f) << "a light outside 0..7 changed the light model";
  for (int i = 0; i < 8; ++i) EXPECT_FALSE(glIsEnabled(GL_LIGHT0 + i)) << "light " << i;
  EXPECT_EQ(testsupport::firstGlError(), 0u);

  for (GLuint name = 101; name <= 155; ++name) storeNextSlot(name);
  EXPECT_EQ(textureCount, 55);
  EXPECT_EQ(textureTable[47], 148u);
  const int images[][3] = {{6, 0, 107}, {6, 9, 116}, {6, -1, 0},   {6, 10, 0},
                           {6, -7, 0},  {6, 14, 0},  {43, 4, 148}, {43, 5, 0}};
  for (const auto& [base, image, texture] : images) {
    planetTextureBase = base;
    EXPECT_EQ(planetTexture(image), GLuint(texture)) << "image " << image << " from slot " << base;
  }
}

// A planet image or polygon mode outside its range (a stray value from elsewhere) steps to the
// first of its cycle, with that one's message.
TEST(ArrayBounds, SettingsPastTheirRangeStepToTheFirstOfTheirCycle) {
  const struct {
    int* setting;
    int value;
    char key;
    const char* message;
  } rows[] = {{&sceneSettings.planetImage, 42, 'i', "Image 0/9: Moon"},
              {&sceneSettings.planetImage, -3, 'i', "Image 0/9: Moon"},
              {&sceneSettings.polyMode, 7, 'w', "PolyMode 1/3: Polygons"},
              {&sceneSettings.polyMode, -5, 'w', "PolyMode 1/3: Polygons"}};
  for (const auto& row : rows) {
    *row.setting = row.value;
    onKeyboard(static_cast<unsigned char>(row.key), 0, 0);
    EXPECT_EQ(std::string(textDisplay.recordedText), row.message)
        << row.key << " from " << row.value;
  }
}

}  // namespace
