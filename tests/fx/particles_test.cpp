// The particle pool: slots, the update, and the pixels a particle adds over its life (blend,
// alpha cut, sprite per kind, spark sizes); how a burst looks is for the reference frames.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "fx/particles.h"
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
TEST_F(Particles, SlotsFillLowestFirstAndBurstsAreNeverThrottled) {
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
}

// Positions step by dt * 0.2 * speed with the kind's drift (a new impact turns it for all); the
// lift comes after the step; a particle lives through its death time.
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

// One particle over grey 0.2, its colour times its opacity added times its alpha. Billboards fade
// in over 1 % of their life (glows 10 %), hold to 20 %, fade out smoothly, cut at alpha 0.1; fire
// and smoke (own colours) show the sprite (opaque white), glows the disc (grey 0.5, alpha 0.5).
// Sparks fade over their whole life at alpha `fade`, points of 1 or 2 pixels by size class.
TEST_F(ParticlesDrawn, OpacityOverTheLifeBlendsCutsAndSizes) {
  pool->spriteTexture = plainTexture(255);
  pool->discSpriteTexture = plainTexture(128);
  // clang-format off
  const struct { int kind; double age; float fade; int r, g, b, sparkClass = 0, pixels = 0; }
      cases[] = {  // sparks: the size class given and the pixels it lights
      {kFire, 0.1, 1, 255, 179, 115}, {kFire, 0.005, 1, 115, 83, 67},
      {kFire, 0.36, 1, 255, 155, 103}, {kFire, 0.6, 0.8f, 92, 71, 61},
      {kFire, 0.1, 0.1f, 51, 51, 51}, {kFire, 0, 1, 51, 51, 51}, {kFire, 1, 1, 51, 51, 51},
      {kSmoke, 0.1, 1, 219, 219, 219}, {kVioletGlow, 0.05, 1, 67, 59, 55},
      {kRedGlow, 0.1, 1, 115, 83, 67}, {kSpark, 0, 0.6f, 143, 97, 74, 0, 1},
      {kSpark, 0.5, 0.6f, 97, 74, 62, 1, 4}};
  // clang-format on
  glClearColor(0.2f, 0.2f, 0.2f, 1);
  for (const auto& c : cases) {
    const double now = spawnAged(c.kind, c.age);
    Particle& p = pool->particles[0];
    if (c.kind > kSmoke) p.color[0] = 1, p.color[1] = 0.5f, p.color[2] = 0.25f;
    if (c.kind == kSpark) p.size = static_cast<float>(c.sparkClass);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    pool->drawParticles(c.kind, 100, c.fade, 0, 0, now);
    const testsupport::Frame frame = testsupport::readFrame();
    const testsupport::Rgb got = frame.at(320, 240);
    int lit = 0;
    for (int i = 0; i < frame.width * frame.height; ++i)
      lit += frame.at(i % frame.width, i / frame.width).r != 51;
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " age " << c.age << " fade " << c.fade);
    EXPECT_NEAR(got.r, c.r, 2);
    EXPECT_NEAR(got.g, c.g, 2);
    EXPECT_NEAR(got.b, c.b, 2);
    EXPECT_TRUE(c.kind != kSpark || lit == c.pixels) << lit << " pixels lit";
  }
}

}  // namespace
