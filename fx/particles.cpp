// The particle pool: one fixed array of fire, smoke, spark and glow particles with per-kind
// tuning columns; spawning, the per-frame update, and drawing as billboards or points.
#include "fx/particles.h"

#include <algorithm>

#include "core/numeric.h"

namespace {

// Spark size classes: point size in pixels for class 0 and for class 1.
constexpr float kSmallSparkPixels = 1.0f;
constexpr float kLargeSparkPixels = 2.0f;
constexpr float kSparkClassRange = 1.5f;  // trunc of a draw in [0, 1.5): class 1 one time in 3

// Billboards fade in over the first `fadeIn` of their life, hold to 20 %, fade out after.
constexpr float kFireFadeIn = 0.01f;
constexpr float kGlowFadeIn = 0.1f;
constexpr float kHoldUntil = 0.2f;
constexpr float kAlphaCutoff = 0.1f;
constexpr float kStepScale = 0.2f;  // positions advance by dt * 0.2 * speed

constexpr float kFireColour[3] = {1.0f, 0.5f, 0.25f};
constexpr float kSmokeColour[3] = {0.66f, 0.66f, 0.66f};

}  // namespace

ParticleSystem particleSystem;

namespace {

bool knownKind(int kind) {
  return kind >= 0 && kind < kParticleKinds;
}

bool isGlow(int kind) {
  return kind == kVioletGlow || kind == kRedGlow;
}

// Each draw is formed in double precision and stored in the single-precision field.
float drawPlus(double range, double offset) {
  return static_cast<float>(randomUniform(range) + offset);
}

float centred(float spread) {
  return drawPlus(spread, -(spread * 0.5f));
}

void setColour(Particle& p, float r, float g, float b) {
  p.color[0] = r;
  p.color[1] = g;
  p.color[2] = b;
}

// Fraction of the life already lived; a particle without a life counts as spent.
double ageFraction(const Particle& p, double now) {
  return p.life > 0 ? (now - p.birthTime) / p.life : 1.0;
}

float billboardOpacity(int kind, double age) {
  const float fadeIn = isGlow(kind) ? kGlowFadeIn : kFireFadeIn;
  const float t = static_cast<float>(age);
  if (t < fadeIn) return easeBlend(0, 1, t / fadeIn);
  if (t <= kHoldUntil) return 1;
  return easeBlend(1, 0, (t - kHoldUntil) / (1 - kHoldUntil));
}

// Every scan covers slots 0 .. capacity - 1, kept inside the array whatever capacity holds.
int scanLimit(const ParticleSystem& pool) {
  return std::clamp(pool.capacity, 0, kMaxParticles);
}

int lowestFreeSlot(const ParticleSystem& pool) {
  for (int i = 0; i < scanLimit(pool); ++i) {
    if (pool.particles[i].active == 0) return i;
  }
  return -1;
}

// Velocity, size and colour of a new particle, drawn in the order each kind fixes.
void initialiseMotion(const ParticleSystem& pool, Particle& p, int kind) {
  const float spread = pool.velocitySpread[kind];
  const float base = pool.baseSize[kind];
  if (kind == kFire || kind == kSmoke) {
    p.velocity[0] = centred(spread);
    p.velocity[1] = centred(spread);
    p.velocity[2] = centred(spread) * 0.2f;
    p.size = drawPlus(base, base);
    const float* colour = kind == kFire ? kFireColour : kSmokeColour;
    setColour(p, colour[0], colour[1], colour[2]);
  } else if (kind == kSpark) {
    p.velocity[0] = centred(spread);
    p.velocity[1] = centred(spread);
    p.velocity[2] = centred(spread);
    p.size = static_cast<float>(static_cast<int>(randomUniform(kSparkClassRange)));
    const float r = drawPlus(0.5, 0.5);
    const float g = drawPlus(0.5, 0.5);
    const float b = drawPlus(0.5, 0.5);
    setColour(p, r, g, b);
  } else {
    p.velocity[0] = p.velocity[1] = p.velocity[2] = 0;
    p.size = base;
    const float r = drawPlus(0.1, 0.9);
    const float g = drawPlus(0.1, 0.1);
    const float b = drawPlus(0.1, kind == kVioletGlow ? 0.9 : 0.1);
    setColour(p, r, g, b);
  }
}

void drawBillboard(const Particle& p, float half, float pitch, float heading) {
  glPushMatrix();
  {
    glTranslatef(p.position[0], p.position[1], p.position[2]);
    // Undo the camera's rotation so the square faces the viewer, then turn it in view.
    glRotatef(-heading, 0, 1, 0);
    glRotatef(-pitch, 1, 0, 0);
    glRotatef(p.angle, 0, 0, 1);
    glBegin(GL_QUADS);
    {
      glTexCoord2f(0, 0);
      glVertex2f(-half, -half);
      glTexCoord2f(1, 0);
      glVertex2f(half, -half);
      glTexCoord2f(1, 1);
      glVertex2f(half, half);
      glTexCoord2f(0, 1);
      glVertex2f(-half, half);
    }
    glEnd();
  }
  glPopMatrix();
}

// 1. Alpha test drops fragments at or below 0.1 (sprite alpha times opacity).
// 2. Additive blend of the premultiplied colour: a billboard adds colour * a * a.
// 3. Depth is tested, so the planet hides particles, but not written, so particles
//    never hide one another.
void drawBillboards(const ParticleSystem& pool, int kind, float scale, float fade, float pitch,
                    float heading, double now) {
  glEnable(GL_ALPHA_TEST);
  glEnable(GL_BLEND);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_TEXTURE_2D);
  glAlphaFunc(GL_GREATER, kAlphaCutoff);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glDepthMask(GL_FALSE);
  glBindTexture(GL_TEXTURE_2D, isGlow(kind) ? pool.discSpriteTexture : pool.spriteTexture);
  {
    for (int i = 0; i < scanLimit(pool); ++i) {
      const Particle& p = pool.particles[i];
      if (p.active == 0 || p.kind != kind) continue;
      const float a = billboardOpacity(kind, ageFraction(p, now)) * fade;
      glColor4f(p.color[0] * pool.tintR[kind] * a, p.color[1] * pool.tintG[kind] * a,
                p.color[2] * pool.tintB[kind] * a, a);
      drawBillboard(p, scale * p.size, pitch, heading);
    }
  }
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glAlphaFunc(GL_GREATER, 0);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDepthMask(GL_TRUE);
}

// Sparks: untextured points added to the picture, fading over their whole life; the alpha
// stays at `fade` so that the colour alone carries the fade. The point size is left as set.
void drawSparks(const ParticleSystem& pool, float fade, double now) {
  glEnable(GL_BLEND);
  glEnable(GL_DEPTH_TEST);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glDepthMask(GL_FALSE);
  {
    for (int i = 0; i < scanLimit(pool); ++i) {
      const Particle& p = pool.particles[i];
      if (p.active == 0 || p.kind != kSpark) continue;
      const float a = easeBlend(1, 0, static_cast<float>(ageFraction(p, now))) * fade;
      glPointSize(static_cast<int>(p.size) >= 1 ? kLargeSparkPixels : kSmallSparkPixels);
      glBegin(GL_POINTS);
      {
        glColor4f(p.color[0] * pool.tintR[kSpark] * a, p.color[1] * pool.tintG[kSpark] * a,
                  p.color[2] * pool.tintB[kSpark] * a, fade);
        glVertex3d(p.position[0], p.position[1], p.position[2]);
      }
      glEnd();
    }
  }
  glDisable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDepthMask(GL_TRUE);
}

}  // namespace

ParticleSystem::ParticleSystem()
    : particles{},
      capacity(kMaxParticles),
      spriteTexture(0),
      discSpriteTexture(0),
      lastSpawnTime{},
      minSpawnInterval{0.1f, 0.05f, 0.01f, 0.2f, 0.2f},
      lift{0, 0, 0, 0.1f, 0.1f},
      velocitySpread{0.004f, 0.006f, 0.2f, 0, 0},
      baseSize{0.1f, 0.1f, 1.0f, 0.03f, 0.03f},
      lifeScale{30, 30, 5, 4, 4},
      growthRate{},
      driftX{0, 0.01f, 0, 0, 0},
      driftY{0.02f, 0.02f, -1.0f, 0, 0},
      driftZ{},
      tintR{1, 1, 1, 1, 1},
      tintG{1, 1, 1, 1, 1},
      tintB{1, 1, 1, 1, 1} {
  clearParticles();
}

void ParticleSystem::clearParticles() {
  for (Particle& p : particles) p.active = 0;
}

int ParticleSystem::spawnParticle(int kind, float x, float y, float z, double now,
                                  float lifeDivisor) {
  if (!knownKind(kind)) return -1;
  // A divisor of 0 (or below) would give a particle that never dies and holds its slot.
  if (!(lifeDivisor > 0)) return -1;
  if (lastSpawnTime[kind] + minSpawnInterval[kind] > now) return -1;
  const int slot = lowestFreeSlot(*this);
  if (slot < 0) return -1;

  Particle& p = particles[slot];
  initialiseMotion(*this, p, kind);
  lastSpawnTime[kind] = now;
  p.active = 1;
  p.kind = kind;
  p.position[0] = x;
  p.position[1] = y;
  p.position[2] = z;
  p.angle = static_cast<float>(randomUniform(360));
  p.spin = drawPlus(40, -20);
  const double first = randomUniform(1);
  const double second = randomUniform(1);
  // The product of two draws weights lifetimes toward the short end.
  p.life = static_cast<float>((first * second + 0.1) * lifeScale[kind] / lifeDivisor);
  p.birthTime = now;
  p.deathTime = now + p.life;
  return slot;
}

void ParticleSystem::updateParticles(int kind, double now, float dt, float speed) {
  if (!knownKind(kind)) return;
  const float step = dt * kStepScale * speed;
  for (int i = 0; i < scanLimit(*this); ++i) {
    Particle& p = particles[i];
    if (p.active == 0 || p.kind != kind) continue;
    if (now > p.deathTime) {
      p.active = 0;
      continue;
    }
    p.position[0] += (p.velocity[0] + driftX[kind]) * step;
    p.position[1] += (p.velocity[1] + driftY[kind]) * step;
    p.position[2] += (p.velocity[2] + driftZ[kind]) * step;
    p.velocity[1] += lift[kind];  // after the step, and not scaled by it
    p.angle += dt * p.spin;
    p.size += dt * growthRate[kind];
  }
}

void ParticleSystem::drawParticles(int kind, float scale, float fade, float pitch, float heading,
                                   double now) {
  if (!knownKind(kind)) return;
  if (kind == kSpark) {
    drawSparks(*this, fade, now);
  } else {
    drawBillboards(*this, kind, scale, fade, pitch, heading, now);
  }
}

void ParticleSystem::configureImpactParticles() {
  for (int kind : {kFire, kSmoke, kSpark}) {
    minSpawnInterval[kind] = 0;
    velocitySpread[kind] = kind == kSpark ? 0.2f : 0.1f;
    baseSize[kind] = kind == kSpark ? 1.0f : 0.001f;
    lifeScale[kind] = 5;
    driftX[kind] = driftY[kind] = driftZ[kind] = 0;
  }
  growthRate[kFire] = 0.01f;
  growthRate[kSmoke] = 0.01f;
  lift[kSpark] = 0;
}
