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
  float angle;   // degrees about the view axis
  float spin;    // degrees per second
  float size;    // billboard half-width before scaling; sparks: point-size class 0 or 1
  float color[3];
  float life;         // seconds
  double birthTime;   // clock value at spawn, seconds
  double deathTime;   // birthTime + life
  int kind;
  int active;  // 0 free, 1 live
};

class ParticleSystem {
 public:
  ParticleSystem();
  virtual ~ParticleSystem() = default;

  // Frees every slot; tuning columns, spawn times and textures stay.
  void clearParticles();

  // Starts one particle at (x, y, z); returns its slot, or -1 when the kind is unknown,
  // throttled or the pool is full. `now` is the frame clock in seconds.
  int spawnParticle(int kind, float x, float y, float z, double now, float lifeDivisor);

  // Advances and retires the live particles of one kind.
  void updateParticles(int kind, double now, float dt, float speed);

  // Draws the live particles of one kind facing the viewer; restores the GL state it changes.
  void drawParticles(int kind, float scale, float fade, float pitch, float heading, double now);

  // The scene's start-up values for kinds 0-2.
  void configureImpactParticles();

  Particle particles[kMaxParticles];
  int capacity;
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
