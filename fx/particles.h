// The particle pool: 640 fire, smoke, spark and glow particles in one fixed array.
// The impact fills it with bursts; every frame updates and draws kinds 0, 1 and 2.
#pragma once

#include <GL/gl.h>

using ParticleKind = int;
constexpr ParticleKind kFire = 0;
constexpr ParticleKind kSmoke = 1;
constexpr ParticleKind kSpark = 2;
constexpr ParticleKind kVioletGlow = 3;
constexpr ParticleKind kRedGlow = 4;
constexpr int kParticleKinds = 5;
constexpr int kMaxParticles = 640;

struct Particle {
  float position[3];
  float velocity[3];
  float angle;  // degrees about the view axis
  float spin;   // degrees per second
  float size;   // billboard half-width before scaling; sparks: point-size class 0 or 1
  float color[3];
  float life;        // seconds
  double birthTime;  // clock value at spawn, seconds
  double deathTime;  // birthTime + life
  int kind;
  int active;  // 0 free, 1 live
};

class ParticleSystem {
 public:
  ParticleSystem();
  virtual ~ParticleSystem() = default;

  // Frees every slot; tuning columns, spawn times and textures stay.
  void clearParticles();

  // Starts one particle at (x, y, z) in the lowest free slot; returns the slot, or -1 (and
  // changes nothing) when the kind is outside 0..4, the kind is throttled (lastSpawnTime +
  // minSpawnInterval > now), the pool is full, or lifeDivisor is not positive. `now` is the
  // frame clock in seconds; the life is (u * u + 0.1) * lifeScale / lifeDivisor seconds.
  int spawnParticle(int kind, float x, float y, float z, double now, float lifeDivisor);

  // Advances the live particles of one kind by dt seconds (positions by dt * 0.2 * speed
  // with the kind's drift) and frees those whose deathTime lies before `now`.
  // A kind outside 0..4 does nothing.
  void updateParticles(int kind, double now, float dt, float speed);

  // Draws the live particles of one kind facing the viewer: `scale` multiplies the sizes,
  // `fade` (0..1) the opacity; pitch and heading (degrees) are the camera's, undone for each
  // billboard. Restores the GL state it changes (the point size stays as the last spark set
  // it). A kind outside 0..4 draws nothing and touches no state.
  void drawParticles(int kind, float scale, float fade, float pitch, float heading, double now);

  // The scene's start-up values for kinds 0-2.
  void configureImpactParticles();

  Particle particles[kMaxParticles];
  int capacity;  // slots scanned, 640; values outside 0..640 are taken as the nearest end
  GLuint spriteTexture;
  GLuint discSpriteTexture;
  double lastSpawnTime[kParticleKinds];  // seconds
  float minSpawnInterval[kParticleKinds];
  float lift[kParticleKinds];
  float velocitySpread[kParticleKinds];
  float baseSize[kParticleKinds];
  float lifeScale[kParticleKinds];
  float growthRate[kParticleKinds];
  float driftX[kParticleKinds];
  float driftY[kParticleKinds];
  float driftZ[kParticleKinds];
  float tintR[kParticleKinds];
  float tintG[kParticleKinds];
  float tintB[kParticleKinds];
};

extern ParticleSystem particleSystem;
