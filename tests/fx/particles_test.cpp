// The particle pool: slots, throttling, lifetimes, the order of its random draws and the update,
// then what the driver receives (colours and billboard corners through GL feedback) and the
// pixels that come out (additive blend, alpha cut, sprite per kind, spark point sizes).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "fx/particles.h"
#include "sim/numeric.h"
#include "support/gl_context.h"

namespace {

struct Vertex {
  float x, y, z, r, g, b, a;  // window coordinates, colour before texturing
};

// The vertices `draw` sends, polygons and points alike, in order.
std::vector<Vertex> feedback(const std::function<void()>& draw) {
  static std::vector<GLfloat> buffer(1 << 16);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const GLint used = glRenderMode(GL_RENDER);
  std::vector<Vertex> vertices;
  for (GLint i = 0; i < used;) {
    const auto token = static_cast<GLint>(buffer[i++]);
    const int count = token == GL_POLYGON_TOKEN ? static_cast<int>(buffer[i++]) : 1;
    for (int v = 0; v < count; ++v, i += 7) {
      vertices.push_back({buffer[i], buffer[i + 1], buffer[i + 2], buffer[i + 3], buffer[i + 4],
                          buffer[i + 5], buffer[i + 6]});
    }
  }
  return vertices;
}

class Particles : public ::testing::Test {
 protected:
  void SetUp() override {
    seedRandom(22);
    pool->configureImpactParticles();
  }
  int live() const {
    int count = 0;
    for (const Particle& p : pool->particles) count += p.active;
    return count;
  }
  std::unique_ptr<ParticleSystem> pool = std::make_unique<ParticleSystem>();
};

TEST_F(Particles, SlotsFillLowestFirstAndBurstsAreNeverThrottled) {
  // The scene's burst comes at one instant: a whole pool of sparks at one `now`.
  for (int slot = 0; slot < kMaxParticles; ++slot) {
    const bool brief = slot == 3 || slot == 200 || slot == 639;
    ASSERT_EQ(pool->spawnParticle(kSpark, 0, 0, 0, 1.0, brief ? 1e6f : 1.0f), slot);
  }
  EXPECT_EQ(pool->spawnParticle(kFire, 0, 0, 0, 1.05, 1.0f), -1) << "full";
  EXPECT_EQ(pool->lastSpawnTime[kFire], 0.0) << "a refused spawn keeps the spawn time";
  pool->updateParticles(kSpark, 1.1, 0.05f, 1.0f);
  std::vector<int> burst;
  for (int i = 0; i < 5; ++i) burst.push_back(pool->spawnParticle(kFire, 0, 0, 0, 1.1, 1.0f));
  EXPECT_EQ(burst, (std::vector<int>{3, 200, 639, -1, -1}));

  pool->clearParticles();
  EXPECT_EQ(live(), 0);
  EXPECT_EQ(pool->lastSpawnTime[kFire], 1.1) << "clearing keeps the spawn times";
  EXPECT_EQ(pool->spawnParticle(kSmoke, 0, 0, 0, 2.0, 1.0f), 0);
  pool->capacity = 1 << 20;  // scans never leave the pool, whatever the capacity says
  for (int i = 1; i < kMaxParticles; ++i) pool->spawnParticle(kSmoke, 0, 0, 0, 2.0, 1.0f);
  EXPECT_EQ(pool->spawnParticle(kSmoke, 0, 0, 0, 2.0, 1.0f), -1);
}

TEST_F(Particles, RefusalsChangeNothingAndDrawNothing) {
  // The constructor's throttle, before the scene's values replace it.
  const double interval[kParticleKinds] = {0.1, 0.05, 0.01, 0.2, 0.2};
  for (int kind = 0; kind < kParticleKinds; ++kind) {
    auto throttled = std::make_unique<ParticleSystem>();
    EXPECT_EQ(throttled->spawnParticle(kind, 0, 0, 0, 10.0, 1.0f), 0) << kind;
    EXPECT_EQ(throttled->spawnParticle(kind, 0, 0, 0, 10.0 + 0.9 * interval[kind], 1), -1) << kind;
    EXPECT_EQ(throttled->spawnParticle(kind, 0, 0, 0, 10.0 + 1.1 * interval[kind], 1), 1) << kind;
  }
  seedRandom(5);
  const int next = nextRandom();
  seedRandom(5);
  for (int kind : {-1, 5}) EXPECT_EQ(pool->spawnParticle(kind, 0, 0, 0, 1.0, 1.0f), -1);
  for (float divisor : {0.0f, -1.0f, NAN})
    EXPECT_EQ(pool->spawnParticle(kFire, 0, 0, 0, 1, divisor), -1);
  EXPECT_EQ(nextRandom(), next) << "a refused spawn draws no random value";
  EXPECT_EQ(live(), 0);
}

// Every spawn draws in a fixed order from the one generator: replayed here from the same seed.
TEST_F(Particles, SpawnDrawsItsValuesInTheFixedOrder) {
  for (int kind = 0; kind < kParticleKinds; ++kind) {
    seedRandom(1000 + kind);
    double u[12];
    for (double& value : u) value = nextRandom() / 32768.0;
    seedRandom(1000 + kind);
    pool->clearParticles();
    ASSERT_EQ(pool->spawnParticle(kind, 0.5f, -0.25f, 0.125f, 50.0 + kind, 2.0f), 0);
    const Particle& p = pool->particles[0];
    // {velocity x, y, z, size, r, g, b} from the first draws, then angle, spin and life.
    const double s = kind == kSpark ? 0.2 : 0.1, glowBlue = kind == kVioletGlow ? 0.9 : 0.1;
    const bool fire = kind == kFire;
    std::vector<double> e;
    // clang-format off
    if (kind <= kSmoke) e = {u[0] * s - s / 2, u[1] * s - s / 2, (u[2] * s - s / 2) * 0.2, 0.001 + u[3] * 0.001,
                             fire ? 1 : 0.66, fire ? 0.5 : 0.66, fire ? 0.25 : 0.66};
    if (kind == kSpark) e = {u[0] * s - s / 2, u[1] * s - s / 2, u[2] * s - s / 2, std::floor(u[3] * 1.5),
                             0.5 + u[4] / 2, 0.5 + u[5] / 2, 0.5 + u[6] / 2};
    if (kind >= kVioletGlow) e = {0, 0, 0, 0.03, 0.9 + u[0] / 10, 0.1 + u[1] / 10, glowBlue + u[2] / 10};
    // clang-format on
    const int k = kind == kSpark ? 7 : kind < kSpark ? 4 : 3;  // draws used so far
    e.insert(e.end(), {u[k] * 360, u[k + 1] * 40 - 20,
                       (u[k + 2] * u[k + 3] + 0.1) * (kind > kSpark ? 4 : 5) / 2});
    const double got[] = {p.velocity[0], p.velocity[1], p.velocity[2], p.size, p.color[0],
                          p.color[1],    p.color[2],    p.angle,       p.spin, p.life};
    for (int i = 0; i < 10; ++i)
      EXPECT_NEAR(got[i], e[i], 1e-5) << "kind " << kind << " value " << i;
    EXPECT_EQ(p.deathTime, 50.0 + kind + p.life);
  }
}

// Positions step by dt * 0.2 * speed with the kind's drift, which a new impact turns for every
// living particle; the lift comes after the step; a particle lives through its death time.
TEST_F(Particles, UpdateMovesTurnsGrowsAndRetires) {
  ASSERT_EQ(pool->spawnParticle(kFire, 0.07f, 0, 0, 0.0, 1.0f), 0);
  Particle& p = pool->particles[0];
  p.velocity[0] = p.velocity[1] = p.velocity[2] = 0;
  const float angle = p.angle, size = p.size;
  pool->driftX[kFire] = 0.8f * 0.07f;
  pool->updateParticles(kFire, 0.1, 0.1f, 1.0f);
  EXPECT_NEAR(p.position[0], 0.07f + 0.8f * 0.07f * 0.02f, 1e-7);
  EXPECT_NEAR(p.angle, angle + 0.1f * p.spin, 1e-4);
  EXPECT_NEAR(p.size, size + 0.1f * 0.01f, 1e-7);
  pool->driftX[kFire] = 0;
  pool->driftY[kFire] = -0.05f;
  pool->updateParticles(kFire, 0.2, 0.1f, 2.0f);
  EXPECT_NEAR(p.position[1], -0.05f * 0.04f, 1e-7);

  ASSERT_EQ(pool->spawnParticle(kVioletGlow, 0, 0, 0, 1.0, 1.0f), 1);
  Particle& glow = pool->particles[1];
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
  void SetUp() override {
    Particles::SetUp();
    testsupport::ensureGlContext(640, 480);
    glViewport(0, 0, 640, 480);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }
  void TearDown() override { EXPECT_EQ(testsupport::firstGlError(), 0u); }
  // The only particle of a fresh pool, spawned at the origin; returns the time at age `age`.
  double spawnAged(int kind, double age) {
    pool->clearParticles();
    EXPECT_EQ(pool->spawnParticle(kind, 0, 0, 0, 5.0, 1.0f), 0);
    return 5.0 + age * pool->particles[0].life;
  }
};

// Billboards fade in over 1 % of their life (glows 10 %), hold to 20 % and fade out smoothly;
// sparks fade over their whole life, their alpha staying at `fade`. Colours are premultiplied.
TEST_F(ParticlesDrawn, OpacityFollowsTheLife) {
  const struct {
    int kind;
    double age;
    float fade, opacity;
  } cases[] = {{kFire, 0, 1, 0},        {kFire, 0.005, 1, 0.5},       {kFire, 0.01, 1, 1},
               {kFire, 0.2, 1, 1},      {kFire, 0.36, 1, 0.9045085f}, {kFire, 0.6, 0.8f, 0.4f},
               {kFire, 1, 1, 0},        {kVioletGlow, 0.05, 1, 0.5},  {kRedGlow, 0.1, 1, 1},
               {kSpark, 0, 0.6f, 0.6f}, {kSpark, 0.5, 0.6f, 0.3f},    {kSpark, 1, 0.6f, 0}};
  for (const auto& c : cases) {
    const double now = spawnAged(c.kind, c.age);
    const std::vector<Vertex> drawn =
        feedback([&] { pool->drawParticles(c.kind, 100, c.fade, 0, 0, now); });
    ASSERT_FALSE(drawn.empty()) << "kind " << c.kind << " age " << c.age;
    const float* colour = pool->particles[0].color;
    const float rgb[3] = {c.kind == kFire ? 1.0f : colour[0], c.kind == kFire ? 0.5f : colour[1],
                          c.kind == kFire ? 0.25f : colour[2]};
    const float got[4] = {drawn[0].r, drawn[0].g, drawn[0].b, drawn[0].a};
    for (int i = 0; i < 4; ++i) {
      const float expected = i < 3 ? rgb[i] * c.opacity : c.kind == kSpark ? c.fade : c.opacity;
      EXPECT_NEAR(got[i], expected, 2e-4)
          << "kind " << c.kind << " age " << c.age << " channel " << i;
    }
  }
}

// Whatever the camera's turn, undone for each billboard, the quad faces the viewer: its corners
// lie at one depth and half a diagonal from its middle.
TEST_F(ParticlesDrawn, BillboardsFaceTheViewerWhateverTheCameraTurn) {
  glViewport(0, 0, 480, 480);  // square: a unit is 240 pixels both ways
  const double now = spawnAged(kFire, 0.1);
  const float halfDiagonal = 100 * pool->particles[0].size * 240 * std::sqrt(2.0f);
  for (const auto& [heading, pitch] : {std::pair{35.0f, 25.0f}, {-120.0f, -60.0f}, {0.0f, 80.0f}}) {
    glLoadIdentity();
    glRotatef(pitch, 1, 0, 0);  // the camera: pitch about x, then heading about y
    glRotatef(heading, 0, 1, 0);
    glTranslatef(0.1f, -0.2f, 0.05f);
    const auto corners = feedback([&] { pool->drawParticles(kFire, 100, 1, pitch, heading, now); });
    ASSERT_GE(corners.size(), 4u);
    float cx = 0, cy = 0;  // corners of a square, or of its two triangles, average to its middle
    for (const Vertex& v : corners) cx += v.x / corners.size(), cy += v.y / corners.size();
    for (const Vertex& v : corners) {
      EXPECT_NEAR(std::hypot(v.x - cx, v.y - cy), halfDiagonal, 0.05) << heading << ", " << pitch;
      EXPECT_NEAR(v.z, corners[0].z, 1e-5) << heading << ", " << pitch;
    }
  }
}

GLuint plainTexture(unsigned char level) {
  const std::vector<unsigned char> texels(2 * 2 * 4, level);
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  return name;
}

// Over grey 0.2: a billboard adds its premultiplied colour times its opacity, fragments of
// alpha 0.1 or less are cut, fire and smoke use the sprite and the glows the disc (here an
// opaque white and a fully transparent texture). Sparks are points of 1 or 2 pixels.
TEST_F(ParticlesDrawn, PixelsAddUpAreCutAndShowTheirSprite) {
  const GLuint textures[2] = {plainTexture(255), plainTexture(0)};
  pool->spriteTexture = textures[0];
  pool->discSpriteTexture = textures[1];
  const struct {
    int kind;
    float fade;
    int r, g, b;
  } cases[] = {{kFire, 1, 255, 179, 115},
               {kFire, 0.5f, 115, 83, 67},
               {kFire, 0.1f, 51, 51, 51},
               {kSmoke, 1, 219, 219, 219},
               {kVioletGlow, 1, 51, 51, 51}};
  glClearColor(0.2f, 0.2f, 0.2f, 1);
  for (const auto& c : cases) {
    const double now = spawnAged(c.kind, 0.1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    pool->drawParticles(c.kind, 100, c.fade, 0, 0, now);
    const testsupport::Rgb got = testsupport::readPixel(320, 240);
    EXPECT_TRUE(std::abs(got.r - c.r) <= 2 && std::abs(got.g - c.g) <= 2 &&
                std::abs(got.b - c.b) <= 2)
        << "kind " << c.kind << " fade " << c.fade << ": " << got.r << " " << got.g << " " << got.b;
  }
  glDeleteTextures(2, textures);

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
