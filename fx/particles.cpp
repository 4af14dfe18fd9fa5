// Placeholder until the particle pool lands.
#include "fx/particles.h"

ParticleSystem particleSystem;

ParticleSystem::ParticleSystem() : particles{}, capacity(kMaxParticles), spriteTexture(0),
    discSpriteTexture(0), lastSpawnTime{}, minSpawnInterval{}, lift{}, velocitySpread{},
    baseSize{}, lifeScale{}, growthRate{}, driftX{}, driftY{}, driftZ{}, tintR{}, tintG{},
    tintB{} {}
void ParticleSystem::clearParticles() {}
int ParticleSystem::spawnParticle(int, float, float, float, double, float) { return -1; }
void ParticleSystem::updateParticles(int, double, float, float) {}
void ParticleSystem::drawParticles(int, float, float, float, float, double) {}
void ParticleSystem::configureImpactParticles() {}
