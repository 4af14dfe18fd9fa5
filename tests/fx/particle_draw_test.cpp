// Tests of how the particle pool draws: the opacity curve and premultiplied colours (read
// back through GL feedback), billboards facing the viewer, spark point sizes, and a burst
// of fire, smoke and sparks rendered with a smoke-like sprite.
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "app/frame_step.h"
#include "app/settings.h"
#include "backdrop/gl_test_helpers.h"
#include "fx/particles.h"
#include "sim/numeric.h"
#include "support/gl_context.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

struct Drawn {
  float r, g, b, a;
};

class ParticleDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::ensureGlContext(kWidth, kHeight);
    gltest::applySceneBaseline();
    gltest::useOrthoBox(kWidth, kHeight, 1.0);
    testsupport::firstGlError();
    seedRandom(22);
    pool->configureImpactParticles();
  }
  void TearDown() override { EXPECT_EQ(testsupport::firstGlError(), 0u); }

  // The colour the single live particle of `kind` is drawn with at the given age fraction.
  Drawn colourAtAge(int kind, double age, float fade) {
    const Particle& p = pool->particles[0];
    const double now = p.birthTime + age * p.life;
    const gltest::Feedback fb =
        gltest::captureFeedback([&] { pool->drawParticles(kind, 100, fade, 0, 0, now); });
    const gltest::FeedbackVertex* v = nullptr;
    if (kind == kSpark && fb.points.size() == 1) v = &fb.points[0];
    if (kind != kSpark && !fb.polygons.empty()) v = &fb.polygons[0][0];
    if (v == nullptr) {
      ADD_FAILURE() << "particle not drawn at age " << age;
      return {};
    }
    return {v->r, v->g, v->b, v->a};
  }

  std::unique_ptr<ParticleSystem> pool = std::make_unique<ParticleSystem>();
};

void expectColour(const Drawn& d, float r, float g, float b, float a, double age) {
  constexpr float kTolerance = 2e-4f;
  EXPECT_NEAR(d.r, r, kTolerance) << "red at age " << age;
  EXPECT_NEAR(d.g, g, kTolerance) << "green at age " << age;
  EXPECT_NEAR(d.b, b, kTolerance) << "blue at age " << age;
  EXPECT_NEAR(d.a, a, kTolerance) << "alpha at age " << age;
}

TEST_F(ParticleDrawTest, FireFadesInOverOnePercentHoldsToTwentyAndFadesOutSmoothly) {
  ASSERT_EQ(pool->spawnParticle(kFire, 0, 0, 0, 5.0, 1.0f), 0);
  const float fade = 0.8f;
  struct Point {
    double age;
    float opacity;
  };
  // (1 - cos(0.2 pi)) / 2 = 0.0954915 of the way down at age 0.36.
  const Point curve[] = {{0, 0},   {0.005, 0.5},       {0.01, 1},  {0.1, 1},
                         {0.2, 1}, {0.36, 0.9045085f}, {0.6, 0.5}, {1.0, 0}};
  for (const Point& c : curve) {
    const float a = c.opacity * fade;
    expectColour(colourAtAge(kFire, c.age, fade), a, 0.5f * a, 0.25f * a, a, c.age);
  }
  pool->tintG[kFire] = 0.5f;
  expectColour(colourAtAge(kFire, 0.1, 1), 1, 0.25f, 0.25f, 1, 0.1);
}

TEST_F(ParticleDrawTest, GlowsFadeInOverTenPercentOfTheirLife) {
  ASSERT_EQ(pool->spawnParticle(kVioletGlow, 0, 0, 0, 5.0, 1.0f), 0);
  const Particle& glow = pool->particles[0];
  const Drawn half = colourAtAge(kVioletGlow, 0.05, 1);
  expectColour(half, glow.color[0] * 0.5f, glow.color[1] * 0.5f, glow.color[2] * 0.5f, 0.5f, 0.05);
  EXPECT_NEAR(colourAtAge(kVioletGlow, 0.1, 1).a, 1.0f, 2e-4f);
}

TEST_F(ParticleDrawTest, SparksFadeOverTheirWholeLifeWithAlphaKeptAtFade) {
  ASSERT_EQ(pool->spawnParticle(kSpark, 0, 0, 0, 5.0, 1.0f), 0);
  const Particle& p = pool->particles[0];
  const float fade = 0.6f;
  for (double age : {0.0, 0.5, 1.0}) {
    const float a = static_cast<float>(0.5 + 0.5 * std::cos(age * M_PI)) * fade;
    expectColour(colourAtAge(kSpark, age, fade), p.color[0] * a, p.color[1] * a, p.color[2] * a,
                 fade, age);
  }
}

TEST_F(ParticleDrawTest, BillboardFacesTheViewerWhateverTheCameraTurn) {
  ASSERT_EQ(pool->spawnParticle(kFire, 0.1f, -0.2f, 0.05f, 5.0, 1.0f), 0);
  const Particle& p = pool->particles[0];
  const float scale = 100, half = scale * p.size;
  glViewport(0, 0, kHeight, kHeight);  // square, so a unit is the same number of pixels both ways
  const float pixelsPerUnit = kHeight / 2.0f;
  for (float heading : {0.0f, 35.0f, -120.0f}) {
    for (float pitch : {0.0f, 25.0f, -60.0f}) {
      glPushMatrix();
      glRotatef(pitch, 1, 0, 0);  // the camera's rotation: pitch about x, then heading about y
      glRotatef(heading, 0, 1, 0);
      const gltest::Feedback fb = gltest::captureFeedback(
          [&] { pool->drawParticles(kFire, scale, 1, pitch, heading, 5.5); });
      glPopMatrix();
      // The quad may come back whole or as two triangles: collect its distinct corners.
      std::vector<gltest::FeedbackVertex> corners;
      for (const auto& polygon : fb.polygons) {
        for (const auto& v : polygon) {
          bool known = false;
          for (const auto& c : corners) known |= std::hypot(c.x - v.x, c.y - v.y) < 1e-3;
          if (!known) corners.push_back(v);
        }
      }
      ASSERT_EQ(corners.size(), 4u);
      double cx = 0, cy = 0;
      for (const auto& v : corners) {
        cx += v.x / 4;
        cy += v.y / 4;
      }
      // Every corner of a square facing the viewer is half * sqrt(2) from its centre, at
      // one depth.
      for (const auto& v : corners) {
        EXPECT_NEAR(std::hypot(v.x - cx, v.y - cy), half * pixelsPerUnit * std::sqrt(2.0), 0.05)
            << "heading " << heading << " pitch " << pitch;
        EXPECT_NEAR(v.z, corners[0].z, 1e-5);
      }
    }
  }
}

// Finds a class-0 spark in slot 0 and a class-1 spark in slot 1, at the given places.
bool spawnOneSparkOfEachClass(ParticleSystem& pool, float leftX, float rightX) {
  for (int attempt = 0; attempt < 200; ++attempt) {
    pool.clearParticles();
    pool.spawnParticle(kSpark, leftX, 0, 0, 1.0, 1.0f);
    pool.spawnParticle(kSpark, rightX, 0, 0, 1.0, 1.0f);
    if (pool.particles[0].size == 0 && pool.particles[1].size == 1) return true;
  }
  return false;
}

int litPixels(const gltest::Frame& f, int x0, int x1) {
  int lit = 0;
  for (int y = 0; y < f.height; ++y) {
    for (int x = x0; x < x1; ++x) lit += f.at(x, y)[0] + f.at(x, y)[1] + f.at(x, y)[2] > 60;
  }
  return lit;
}

TEST_F(ParticleDrawTest, SparkClassesDrawOneAndTwoPixelPoints) {
  ASSERT_TRUE(spawnOneSparkOfEachClass(*pool, -0.5f, 0.5f));
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  pool->drawParticles(kSpark, 1, 1, 0, 0, 1.0);
  const gltest::Frame frame = gltest::readFrame(kWidth, kHeight);
  EXPECT_EQ(litPixels(frame, 0, kWidth / 2), 1);
  EXPECT_EQ(litPixels(frame, kWidth / 2, kWidth), 4);
}

// A soft, cloudy white blob whose alpha is its brightness, like the smoke sprite.
GLuint makeSmokeSprite() {
  constexpr int kSize = 64;
  static unsigned char image[kSize * kSize * 4];
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const double dx = (x + 0.5) / kSize * 2 - 1, dy = (y + 0.5) / kSize * 2 - 1;
      const double ripple = 0.85 + 0.15 * std::sin(x * 0.9) * std::cos(y * 0.7);
      const double level = std::max(0.0, 1 - std::sqrt(dx * dx + dy * dy)) * ripple;
      unsigned char* p = image + (y * kSize + x) * 4;
      p[0] = p[1] = p[2] = p[3] = static_cast<unsigned char>(255 * level);
    }
  }
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kSize, kSize, 0, GL_RGBA, GL_UNSIGNED_BYTE, image);
  glBindTexture(GL_TEXTURE_2D, 0);
  return texture;
}

struct BurstPixels {
  int orange = 0, bright = 0, farAway = 0;
};

BurstPixels classify(const gltest::Frame& f, double cx, double cy) {
  BurstPixels out;
  for (int y = 0; y < f.height; ++y) {
    for (int x = 0; x < f.width; ++x) {
      const unsigned char* p = f.at(x, y);
      if (p[0] + p[1] + p[2] < 30) continue;
      const double distance = std::hypot(x - cx, y - cy);
      if (distance > 150) ++out.farAway;
      if (distance > 80) continue;
      out.orange += p[0] > 120 && p[0] > p[1] + 30 && p[1] > p[2] + 10;
      out.bright += p[0] > 200 && p[1] > 200 && p[2] > 120;
    }
  }
  return out;
}

// The impact pass's burst, seen through the default view, a third of a second and then one
// and a half seconds after the strike.
TEST_F(ParticleDrawTest, BurstShowsOrangeFireAndBrightSparksAtTheImpactPoint) {
  sceneSettings.fieldOfView = 70;
  sceneSettings.letterbox = 0;
  sceneSettings.cameraZ = 0.35f;
  sceneSettings.polyMode = 0;
  setupView();
  pool->spriteTexture = makeSmokeSprite();
  const float impact[3] = {0.03f, 0.02f, 0.06f};
  const float share[3] = {0.8f, 0.6f, 1.0f};
  for (int kind = kFire; kind <= kSpark; ++kind) {
    pool->driftX[kind] = share[kind] * impact[0];
    pool->driftY[kind] = share[kind] * impact[1];
    pool->driftZ[kind] = share[kind] * impact[2];
  }
  const double strike = 12.0;
  const int burst[3] = {50, 10, 100};
  for (int kind = kFire; kind <= kSpark; ++kind) {
    for (int i = 0; i < burst[kind]; ++i) {
      pool->spawnParticle(kind, impact[0], impact[1], impact[2], strike, 1.0f);
    }
  }
  GLdouble model[16], projection[16], sx, sy, sz;
  GLint viewport[4];
  glGetDoublev(GL_MODELVIEW_MATRIX, model);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  gluProject(impact[0], impact[1], impact[2], model, projection, viewport, &sx, &sy, &sz);

  double t = strike;
  for (double lookAt : {0.33, 1.5}) {
    while (t < strike + lookAt) {
      t += 1.0 / 60;
      for (int kind = kFire; kind <= kSpark; ++kind) pool->updateParticles(kind, t, 1.0f / 60, 1);
    }
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    for (int kind = kFire; kind <= kSpark; ++kind) pool->drawParticles(kind, 1, 1, 0, 0, t);
    const gltest::Frame frame = gltest::readFrame(kWidth, kHeight);
    gltest::saveFrameIfAsked(frame, lookAt < 1 ? "burst_early" : "burst_late");
    const BurstPixels seen = classify(frame, sx, sy);
    SCOPED_TRACE(lookAt);
    EXPECT_GE(seen.orange, 30);
    EXPECT_GE(seen.bright, 3);
    EXPECT_EQ(seen.farAway, 0);
  }
  glDeleteTextures(1, &pool->spriteTexture);
}

}  // namespace
