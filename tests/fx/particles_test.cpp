// The particle pool: slots, throttling, the order of its random draws and the update; then the
// pixels a particle makes over its life (premultiplied additive blend, alpha cut, the sprite of
// each kind, spark point sizes). How a burst looks in the scene is for the reference frames.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "fx/particles.h"
#include "sim/numeric.h"
#include "support/gl_context.h"

namespace {

class Particles : public ::testing::Test {
 protected:
  void SetUp() override { pool->configureImpactParticles(); }
  int spawn(int kind, double now, float lifeDivisor = 1) {
    return pool->spawnParticle(kind, 0, 0, 0, now, lifeDivisor);
  }
  std::unique_ptr<ParticleSystem> pool = std::make_unique<ParticleSystem>();
};

// The scene's burst comes at one instant: the whole pool fills at one `now`, lowest slot first.
TEST_F(Particles, SlotsFillLowestFirstAndOnlyTheConstructorsValuesThrottle) {
  for (int slot = 0; slot < kMaxParticles; ++slot) {
    const bool brief = slot == 3 || slot == 200 || slot == 639;
    ASSERT_EQ(spawn(kSpark, 1.0, brief ? 1e6f : 1), slot);
  }
  EXPECT_EQ(spawn(kFire, 1.05), -1) << "full";
  EXPECT_EQ(pool->lastSpawnTime[kFire], 0.0) << "a refused spawn keeps the spawn time";
  pool->updateParticles(kSpark, 1.1, 0.05f, 1.0f);
  std::vector<int> burst;
  for (int i = 0; i < 5; ++i) burst.push_back(spawn(kFire, 1.1));
  EXPECT_EQ(burst, (std::vector<int>{3, 200, 639, -1, -1}));
  pool->clearParticles();
  EXPECT_EQ(pool->lastSpawnTime[kFire], 1.1) << "clearing keeps the spawn times";
  EXPECT_EQ(spawn(kSmoke, 2.0), 0);
  pool->capacity = 1 << 20;  // scans never leave the pool, whatever the capacity says
  for (int i = 1; i < kMaxParticles; ++i) spawn(kSmoke, 2.0);
  EXPECT_EQ(spawn(kSmoke, 2.0), -1);

  const double interval[kParticleKinds] = {0.1, 0.05, 0.01, 0.2, 0.2};
  for (int kind = 0; kind < kParticleKinds; ++kind) {
    pool = std::make_unique<ParticleSystem>();
    EXPECT_EQ(spawn(kind, 10.0), 0) << kind;
    EXPECT_EQ(spawn(kind, 10.0 + 0.9 * interval[kind]), -1) << kind;
    EXPECT_EQ(spawn(kind, 10.0 + 1.1 * interval[kind]), 1) << kind;
  }
  seedRandom(5);
  const int next = nextRandom();
  seedRandom(5);
  EXPECT_EQ(spawn(-1, 20) + spawn(kParticleKinds, 20) + spawn(kFire, 20, 0) + spawn(kFire, 20, NAN),
            -4);
  EXPECT_EQ(nextRandom(), next) << "a refused spawn draws no random value";
}

// Spawns draw in a fixed order from the one generator. From seed 7, a fire, a spark and a violet
// glow get these {velocity x, y, z, size, r, g, b, angle, spin, life}, worked out separately
// from the generator's recurrence (seed * 214013 + 2531011, bits 16 to 30).
TEST_F(Particles, SpawnsDrawTheirValuesInTheFixedOrder) {
  // clang-format off
  const double expected[3][10] = {
      {-0.0498138443, 0.0031677247, -0.000713501009, 0.00121484383, 1, 0.5, 0.25, 170.518799, -12.0458984, 2.15595055},
      {0.0692321807, 0.0241699219, -0.0705932602, 1, 0.882110596, 0.771621704, 0.683746338, 68.2800293, -19.9230957, 2.28104496},
      {0, 0, 0, 0.03, 0.947338879, 0.107873537, 0.928030372, 312.615967, -8.4375, 1.50004864}};
  // clang-format on
  seedRandom(7);
  for (int row = 0; row < 3; ++row) {
    const Particle& p = pool->particles[spawn(row == 0   ? kFire
                                              : row == 1 ? kSpark
                                                         : kVioletGlow,
                                              50)];
    const double got[10] = {p.velocity[0], p.velocity[1], p.velocity[2], p.size, p.color[0],
                            p.color[1],    p.color[2],    p.angle,       p.spin, p.life};
    for (int i = 0; i < 10; ++i)
      EXPECT_NEAR(got[i], expected[row][i], 1e-6 * (1 + std::fabs(got[i]))) << row << ", " << i;
    EXPECT_EQ(p.deathTime, 50.0 + p.life);
  }
}

// Positions step by dt * 0.2 * speed with the kind's drift, which a new impact turns for every
// living particle; the lift comes after the step; a particle lives through its death time.
TEST_F(Particles, UpdateMovesTurnsGrowsAndRetires) {
  ASSERT_EQ(spawn(kFire, 0.0), 0);
  Particle& p = pool->particles[0];
  p.velocity[0] = p.velocity[1] = p.velocity[2] = 0;
  const float angle = p.angle, size = p.size;
  pool->driftX[kFire] = 0.056f;
  pool->updateParticles(kFire, 0.1, 0.1f, 1.0f);
  pool->driftX[kFire] = 0;
  pool->driftY[kFire] = -0.05f;
  pool->updateParticles(kFire, 0.2, 0.1f, 2.0f);
  EXPECT_NEAR(p.position[0], 0.056f * 0.02f, 1e-7);
  EXPECT_NEAR(p.position[1], -0.05f * 0.04f, 1e-7);
  EXPECT_NEAR(p.angle, angle + 0.2f * p.spin, 1e-4);
  EXPECT_NEAR(p.size, size + 0.2f * 0.01f, 1e-7);

  Particle& glow = pool->particles[spawn(kVioletGlow, 1.0)];
  pool->updateParticles(kVioletGlow, 1.1, 0.1f, 1.0f);
  EXPECT_EQ(glow.position[1], 0.0f) << "the lift acts after the step";
  EXPECT_FLOAT_EQ(glow.velocity[1], 0.1f) << "and is not scaled by it";
  pool->updateParticles(kVioletGlow, glow.deathTime, 0.1f, 1.0f);
  EXPECT_EQ(glow.active, 1) << "alive at its death time";
  pool->updateParticles(kVioletGlow, std::nextafter(glow.deathTime, 99.0), 0.1f, 1.0f);
  EXPECT_EQ(glow.active, 0);
}

class ParticlesDrawn : public Particles {
 protected:
  void SetUp() override {  // the projection stays the identity: x, y and z from -1 to 1
    Particles::SetUp();
    testsupport::ensureGlContext(640, 480);
    glViewport(0, 0, 640, 480);
    glLoadIdentity();
  }
  void TearDown() override { EXPECT_EQ(testsupport::firstGlError(), 0u); }
  // The pool's only particle, at the origin; returns the time when `age` of its life is past.
  double spawnAged(int kind, double age) {
    pool->clearParticles();
    EXPECT_EQ(spawn(kind, 5.0), 0);
    return 5.0 + age * pool->particles[0].life;
  }
};

GLuint plainTexture(unsigned char level) {
  const std::vector<unsigned char> texels(2 * 2 * 4, level);
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  return name;
}

// One particle at the middle of the window over grey 0.2, its colour premultiplied by its
// opacity and added times its alpha. Billboards fade in over 1 % of their life (glows 10 %),
// hold to 20 % and fade out smoothly; fragments of alpha 0.1 or less are cut. Fire and smoke
// show the sprite (here opaque white), glows the disc (here grey 0.5 with alpha 0.5). Sparks
// fade over their whole life, their alpha staying at `fade`. Fire and smoke keep their own
// orange and grey; the others are given (1, 0.5, 0.25).
TEST_F(ParticlesDrawn, OpacityOverTheLifeBlendsAndCuts) {
  const GLuint textures[2] = {plainTexture(255), plainTexture(128)};
  pool->spriteTexture = textures[0];
  pool->discSpriteTexture = textures[1];
  const struct {
    int kind;
    double age;
    float fade;
    int r, g, b;
  } cases[] = {{kFire, 0.1, 1, 255, 179, 115},     {kFire, 0.005, 1, 115, 83, 67},
               {kFire, 0.36, 1, 255, 155, 103},    {kFire, 0.6, 0.8f, 92, 71, 61},
               {kFire, 0.1, 0.1f, 51, 51, 51},     {kFire, 0, 1, 51, 51, 51},
               {kFire, 1, 1, 51, 51, 51},          {kSmoke, 0.1, 1, 219, 219, 219},
               {kVioletGlow, 0.05, 1, 67, 59, 55}, {kRedGlow, 0.1, 1, 115, 83, 67},
               {kSpark, 0, 0.6f, 143, 97, 74},     {kSpark, 0.5, 0.6f, 97, 74, 62}};
  glClearColor(0.2f, 0.2f, 0.2f, 1);
  for (const auto& c : cases) {
    const double now = spawnAged(c.kind, c.age);
    Particle& p = pool->particles[0];
    if (c.kind > kSmoke) p.color[0] = 1, p.color[1] = 0.5f, p.color[2] = 0.25f;
    p.size = c.kind == kSpark ? 1 : p.size;  // a spark of 2 pixels
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    pool->drawParticles(c.kind, 100, c.fade, 0, 0, now);
    const testsupport::Rgb got = testsupport::readPixel(320, 240);
    EXPECT_TRUE(std::abs(got.r - c.r) <= 2 && std::abs(got.g - c.g) <= 2 &&
                std::abs(got.b - c.b) <= 2)
        << "kind " << c.kind << " age " << c.age << " fade " << c.fade << ": " << got.r << " "
        << got.g << " " << got.b;
  }
  glDeleteTextures(2, textures);
}

// Sparks are points of 1 or 2 pixels, by their size class.
TEST_F(ParticlesDrawn, SparksAreOneOrTwoPixelsWide) {
  const double now = spawnAged(kSpark, 0);
  pool->spawnParticle(kSpark, 0.5f, 0, 0, 5.0, 1.0f);
  pool->particles[0].position[0] = -0.5f;
  pool->particles[0].size = 0;
  pool->particles[1].size = 1;
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  pool->drawParticles(kSpark, 1, 1, 0, 0, now);
  const testsupport::Frame frame = testsupport::readFrame();
  int lit[2] = {0, 0};  // left and right half
  for (int i = 0; i < frame.width * frame.height; ++i) {
    const testsupport::Rgb p = frame.at(i % frame.width, i / frame.width);
    lit[i % frame.width < 320 ? 0 : 1] += p.r + p.g + p.b > 60 ? 1 : 0;
  }
  EXPECT_EQ(lit[0], 1) << "a spark of class 0";
  EXPECT_EQ(lit[1], 4) << "a spark of class 1";
}

}  // namespace
