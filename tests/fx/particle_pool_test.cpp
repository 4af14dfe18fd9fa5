// Tests of the particle pool's bookkeeping: slots, refusals, throttling, lifetimes, the order
// of random draws, and how the update moves, lifts, turns and retires particles.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "fx/particles.h"
#include "sim/numeric.h"

namespace {

bool samePool(const ParticleSystem& a, const ParticleSystem& b) {
  return std::memcmp(&a, &b, sizeof(ParticleSystem)) == 0;
}

int liveCount(const ParticleSystem& pool) {
  int live = 0;
  for (const Particle& p : pool.particles) live += p.active;
  return live;
}

// The impact pass writes the drift of the three scene kinds from the struck point.
void setImpactDrift(ParticleSystem& pool, float x, float y, float z) {
  const float share[3] = {0.8f, 0.6f, 1.0f};
  for (int kind = kFire; kind <= kSpark; ++kind) {
    pool.driftX[kind] = share[kind] * x;
    pool.driftY[kind] = share[kind] * y;
    pool.driftZ[kind] = share[kind] * z;
  }
}

class ParticlePoolTest : public ::testing::Test {
 protected:
  void SetUp() override { seedRandom(22); }
  // Zero-filled first, so that whole-object comparisons see no stray padding bytes.
  static std::unique_ptr<ParticleSystem> freshPool() {
    auto* memory = static_cast<ParticleSystem*>(::operator new(sizeof(ParticleSystem)));
    std::memset(static_cast<void*>(memory), 0, sizeof(ParticleSystem));
    return std::unique_ptr<ParticleSystem>(new (memory) ParticleSystem());
  }
  std::unique_ptr<ParticleSystem> pool = freshPool();
};

TEST_F(ParticlePoolTest, BurstIntoANearlyFullPoolFillsTheLowestFreeSlotsThenRefuses) {
  pool->configureImpactParticles();
  const int shortLived[] = {3, 200, 639};
  for (int slot = 0; slot < kMaxParticles; ++slot) {
    const bool brief = slot == 3 || slot == 200 || slot == 639;
    ASSERT_EQ(pool->spawnParticle(kSpark, 0, 0, 0, 1.0, brief ? 1e6f : 1.0f), slot);
  }
  EXPECT_EQ(pool->spawnParticle(kFire, 0, 0, 0, 1.05, 1.0f), -1);
  EXPECT_EQ(pool->lastSpawnTime[kFire], 0.0) << "a refused spawn leaves the spawn time";
  pool->updateParticles(kSpark, 1.1, 0.05f, 1.0f);
  EXPECT_EQ(liveCount(*pool), kMaxParticles - 3);

  std::vector<int> burst;
  for (int i = 0; i < 5; ++i) burst.push_back(pool->spawnParticle(kFire, 0.1f, 0, 0, 1.1, 1.0f));
  EXPECT_EQ(burst, (std::vector<int>{shortLived[0], shortLived[1], shortLived[2], -1, -1}));
  EXPECT_EQ(pool->particles[200].kind, kFire);
  EXPECT_EQ(pool->lastSpawnTime[kFire], 1.1);
  EXPECT_EQ(liveCount(*pool), kMaxParticles);
}

TEST_F(ParticlePoolTest, ParticleLivesThroughItsDeathTimeAndGoesAtTheNextUpdate) {
  const int slot = pool->spawnParticle(kSpark, 0, 0, 0, 2.0, 1.0f);
  ASSERT_EQ(slot, 0);
  const Particle& p = pool->particles[slot];
  const double death = p.deathTime;
  EXPECT_EQ(death, 2.0 + p.life);

  pool->updateParticles(kSpark, death, 0.01f, 1.0f);
  EXPECT_EQ(p.active, 1) << "still alive when now equals the death time";
  EXPECT_NE(p.position[1], 0.0f) << "and still advanced (sparks drift down)";

  pool->updateParticles(kSpark, std::nextafter(death, 10.0), 0.01f, 1.0f);
  EXPECT_EQ(p.active, 0);
}

TEST_F(ParticlePoolTest, ClearFreesEverySlotAndKeepsTuningAndSpawnTimes) {
  pool->configureImpactParticles();
  setImpactDrift(*pool, 0.01f, 0.02f, 0.03f);
  for (int kind : {kFire, kSmoke, kSpark, kFire}) pool->spawnParticle(kind, 0, 0, 0, 3.5, 1.0f);
  auto before = freshPool();
  std::memcpy(static_cast<void*>(before.get()), pool.get(), sizeof(ParticleSystem));

  pool->clearParticles();
  EXPECT_EQ(liveCount(*pool), 0);
  // Everything but the slots' active flags is as it was.
  for (Particle& p : before->particles) p.active = 0;
  EXPECT_TRUE(samePool(*before, *pool));
  EXPECT_EQ(pool->spawnParticle(kSmoke, 0, 0, 0, 4.0, 1.0f), 0);
}

TEST_F(ParticlePoolTest, ConstructorThrottlesASecondSpawnOfAKindAtTheSameMoment) {
  const double intervals[kParticleKinds] = {0.1, 0.05, 0.01, 0.2, 0.2};
  EXPECT_EQ(pool->spawnParticle(kFire, 0, 0, 0, 0.05, 1.0f), -1) << "0.1 s from clock 0";
  for (int kind = 0; kind < kParticleKinds; ++kind) {
    EXPECT_GE(pool->spawnParticle(kind, 0, 0, 0, 10.0, 1.0f), 0) << "kind " << kind;
    EXPECT_EQ(pool->spawnParticle(kind, 0, 0, 0, 10.0, 1.0f), -1) << "kind " << kind;
    EXPECT_EQ(pool->spawnParticle(kind, 0, 0, 0, 10.0 + intervals[kind] * 0.9, 1.0f), -1);
    EXPECT_EQ(pool->lastSpawnTime[kind], 10.0);
    EXPECT_GE(pool->spawnParticle(kind, 0, 0, 0, 10.0 + intervals[kind] * 1.1, 1.0f), 0);
  }
  pool->configureImpactParticles();
  for (int kind = kFire; kind <= kSpark; ++kind) {
    EXPECT_GE(pool->spawnParticle(kind, 0, 0, 0, 20.0, 1.0f), 0);
    EXPECT_GE(pool->spawnParticle(kind, 0, 0, 0, 20.0, 1.0f), 0) << "the scene never throttles";
  }
}

TEST_F(ParticlePoolTest, RefusedRequestsChangeNothingAndDrawNoRandomValues) {
  pool->configureImpactParticles();
  pool->spawnParticle(kFire, 0, 0, 0, 1.0, 1.0f);
  auto before = freshPool();
  std::memcpy(static_cast<void*>(before.get()), pool.get(), sizeof(ParticleSystem));
  seedRandom(5);
  const float badDivisors[] = {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()};
  for (float divisor : badDivisors) {
    EXPECT_EQ(pool->spawnParticle(kSmoke, 0, 0, 0, 2.0, divisor), -1) << divisor;
  }
  for (int kind : {-1, 5, 1000}) {
    EXPECT_EQ(pool->spawnParticle(kind, 0, 0, 0, 2.0, 1.0f), -1);
    pool->updateParticles(kind, 2.0, 0.05f, 1.0f);
  }
  EXPECT_TRUE(samePool(*before, *pool));
  seedRandom(5);
  const int untouched = nextRandom();
  seedRandom(5);
  pool->spawnParticle(-1, 0, 0, 0, 2.0, 1.0f);
  EXPECT_EQ(nextRandom(), untouched);
}

TEST_F(ParticlePoolTest, UpdateOfAKindWithoutLiveParticlesChangesNothing) {
  pool->configureImpactParticles();
  for (int i = 0; i < 10; ++i) pool->spawnParticle(kSpark, 0.1f, 0.2f, 0.3f, 1.0, 1.0f);
  auto before = freshPool();
  std::memcpy(static_cast<void*>(before.get()), pool.get(), sizeof(ParticleSystem));
  for (int kind : {kFire, kSmoke, kVioletGlow, kRedGlow}) {
    pool->updateParticles(kind, 1.5, 0.05f, 1.0f);
  }
  EXPECT_TRUE(samePool(*before, *pool));
}

TEST_F(ParticlePoolTest, SecondImpactRedirectsTheDriftOfLivingParticles) {
  pool->configureImpactParticles();
  setImpactDrift(*pool, 0.07f, 0, 0);
  ASSERT_EQ(pool->spawnParticle(kFire, 0.07f, 0, 0, 0.0, 1.0f), 0);
  const Particle& p = pool->particles[0];
  const float dt = 0.02f, step = dt * 0.2f;
  float start[3] = {p.position[0], p.position[1], p.position[2]};
  pool->updateParticles(kFire, 0.02, dt, 1.0f);
  float first[3];
  for (int a = 0; a < 3; ++a) first[a] = p.position[a] - start[a];

  setImpactDrift(*pool, 0, 0.07f, 0);
  for (int a = 0; a < 3; ++a) start[a] = p.position[a];
  pool->updateParticles(kFire, 0.04, dt, 1.0f);
  float second[3];
  for (int a = 0; a < 3; ++a) second[a] = p.position[a] - start[a];

  // The particle's own velocity is the same in both steps; only the kind's drift turned.
  EXPECT_NEAR(second[0] - first[0], -0.8f * 0.07f * step, 1e-7);
  EXPECT_NEAR(second[1] - first[1], 0.8f * 0.07f * step, 1e-7);
  EXPECT_NEAR(second[2] - first[2], 0, 1e-7);
}

TEST_F(ParticlePoolTest, UpdateStepsWithDriftThenLiftsTurnsAndGrows) {
  ASSERT_EQ(pool->spawnParticle(kVioletGlow, 0, 0, 0, 1.0, 1.0f), 0);
  const Particle& glow = pool->particles[0];
  const float angle = glow.angle, spin = glow.spin;
  pool->growthRate[kVioletGlow] = 0.5f;
  pool->updateParticles(kVioletGlow, 1.1, 0.1f, 1.0f);
  EXPECT_EQ(glow.position[1], 0.0f) << "the lift acts after the position step";
  EXPECT_FLOAT_EQ(glow.velocity[1], 0.1f) << "lift is not scaled by the time step";
  EXPECT_FLOAT_EQ(glow.angle, angle + 0.1f * spin);
  EXPECT_FLOAT_EQ(glow.size, 0.03f + 0.05f);
  pool->updateParticles(kVioletGlow, 1.2, 0.1f, 2.0f);
  EXPECT_FLOAT_EQ(glow.position[1], 0.1f * 0.1f * 0.2f * 2.0f);
  EXPECT_FLOAT_EQ(glow.velocity[1], 0.2f);
}

TEST_F(ParticlePoolTest, AboutOneSparkInThreeIsTwoPixelsWideForLife) {
  pool->configureImpactParticles();
  int large = 0, total = 0;
  for (int round = 0; round < 6; ++round) {
    pool->clearParticles();
    for (int i = 0; i < 500; ++i) pool->spawnParticle(kSpark, 0, 0, 0, round, 1.0f);
    std::vector<float> sizes;
    for (int i = 0; i < 500; ++i) sizes.push_back(pool->particles[i].size);
    pool->updateParticles(kSpark, round + 0.4, 0.4f, 1.0f);
    for (int i = 0; i < 500; ++i) {
      const float size = sizes[i];
      EXPECT_TRUE(size == 0.0f || size == 1.0f) << size;
      if (pool->particles[i].active) {
        EXPECT_EQ(pool->particles[i].size, size);
      }
      large += size == 1.0f;
      ++total;
    }
  }
  EXPECT_NEAR(static_cast<double>(large) / total, 1.0 / 3.0, 0.03);
}

TEST_F(ParticlePoolTest, SceneLifetimesLieInHalfToFiveAndAHalfSecondsMeanOneSeventyFive) {
  pool->configureImpactParticles();
  double sum = 0;
  int count = 0;
  for (int round = 0; round < 10; ++round) {
    pool->clearParticles();
    for (int i = 0; i < 600; ++i) {
      const int slot = pool->spawnParticle(i % 3, 0, 0, 0, 100.0 + round, 1.0f);
      ASSERT_EQ(slot, i);
      const Particle& p = pool->particles[slot];
      EXPECT_GE(p.life, 0.5f);
      EXPECT_LT(p.life, 5.5f);
      EXPECT_EQ(p.deathTime, p.birthTime + p.life);
      sum += p.life;
      ++count;
    }
  }
  EXPECT_NEAR(sum / count, 1.75, 0.05);
  // A divisor shortens the life in proportion.
  pool->clearParticles();
  seedRandom(8);
  pool->spawnParticle(kFire, 0, 0, 0, 200.0, 1.0f);
  const float full = pool->particles[0].life;
  pool->clearParticles();
  seedRandom(8);
  pool->spawnParticle(kFire, 0, 0, 0, 200.0, 4.0f);
  EXPECT_FLOAT_EQ(pool->particles[0].life, full / 4);
}

// The draws a spawn consumes, replayed from the same seed in the order the pool fixes.
struct Expected {
  float velocity[3], size, color[3], angle, spin, life;
};

Expected replaySpawn(const ParticleSystem& pool, int kind) {
  Expected e{};
  const float s = pool.velocitySpread[kind], h = s * 0.5f, base = pool.baseSize[kind];
  if (kind == kFire || kind == kSmoke) {
    e.velocity[0] = static_cast<float>(randomUniform(s) - h);
    e.velocity[1] = static_cast<float>(randomUniform(s) - h);
    e.velocity[2] = static_cast<float>(randomUniform(s) - h) * 0.2f;
    e.size = static_cast<float>(randomUniform(base) + base);
    const float grey = 0.66f;
    const float fire[3] = {1.0f, 0.5f, 0.25f};
    for (int c = 0; c < 3; ++c) e.color[c] = kind == kFire ? fire[c] : grey;
  } else if (kind == kSpark) {
    for (float& v : e.velocity) v = static_cast<float>(randomUniform(s) - h);
    e.size = static_cast<float>(static_cast<int>(randomUniform(1.5)));
    for (float& c : e.color) c = static_cast<float>(randomUniform(0.5) + 0.5);
  } else {
    e.size = base;
    e.color[0] = static_cast<float>(randomUniform(0.1) + 0.9);
    e.color[1] = static_cast<float>(randomUniform(0.1) + 0.1);
    e.color[2] = static_cast<float>(randomUniform(0.1) + (kind == kVioletGlow ? 0.9 : 0.1));
  }
  e.angle = static_cast<float>(randomUniform(360));
  e.spin = static_cast<float>(randomUniform(40) - 20);
  const double u1 = randomUniform(1);
  const double u2 = randomUniform(1);
  e.life = static_cast<float>((u1 * u2 + 0.1) * pool.lifeScale[kind] / 2.0);
  return e;
}

TEST_F(ParticlePoolTest, SpawnDrawsItsRandomValuesInTheFixedOrder) {
  for (bool configured : {false, true}) {
    if (configured) pool->configureImpactParticles();
    for (int kind = 0; kind < kParticleKinds; ++kind) {
      pool->clearParticles();
      const unsigned seed = 1000u + static_cast<unsigned>(kind);
      seedRandom(seed);
      const double now = 50.0 + kind + (configured ? 10 : 0);
      ASSERT_EQ(pool->spawnParticle(kind, 0.5f, -0.25f, 0.125f, now, 2.0f), 0);
      seedRandom(seed);
      const Expected e = replaySpawn(*pool, kind);
      const Particle& p = pool->particles[0];
      SCOPED_TRACE(kind);
      for (int a = 0; a < 3; ++a) {
        EXPECT_EQ(p.velocity[a], e.velocity[a]);
        EXPECT_EQ(p.color[a], e.color[a]);
      }
      EXPECT_EQ(p.size, e.size);
      EXPECT_EQ(p.angle, e.angle);
      EXPECT_EQ(p.spin, e.spin);
      EXPECT_EQ(p.life, e.life);
      EXPECT_EQ(p.position[0], 0.5f);
      EXPECT_EQ(p.position[1], -0.25f);
      EXPECT_EQ(p.position[2], 0.125f);
      EXPECT_EQ(p.birthTime, now);
      EXPECT_EQ(p.kind, kind);
    }
  }
}

TEST_F(ParticlePoolTest, CapacityBoundsEveryScanAndStaysInsideThePool) {
  pool->configureImpactParticles();
  pool->capacity = 10;
  for (int i = 0; i < 10; ++i) EXPECT_EQ(pool->spawnParticle(kSpark, 0, 0, 0, 1.0, 1.0f), i);
  EXPECT_EQ(pool->spawnParticle(kSpark, 0, 0, 0, 1.0, 1.0f), -1);
  pool->capacity = -3;
  EXPECT_EQ(pool->spawnParticle(kSpark, 0, 0, 0, 1.0, 1.0f), -1);
  pool->capacity = 1 << 20;
  int spawned = 0;
  while (pool->spawnParticle(kSpark, 0, 0, 0, 1.0, 1.0f) >= 0) ++spawned;
  EXPECT_EQ(spawned, kMaxParticles - 10);
  pool->updateParticles(kSpark, 1.0, 0.01f, 1.0f);
  EXPECT_EQ(liveCount(*pool), kMaxParticles);
}

}  // namespace
