// The phase bank: seeding, the per-frame drift of every slot's rate and phase, and the waves
// read from it. The order of the random draws is fixed, so a run reproduces from its seed.
#include "core/phase_bank.h"

#include <cmath>

#include "core/numeric.h"
#include "core/settings.h"

double phases[kPhaseSlots];
double phaseRates[kPhaseSlots];
double phaseTargets[kPhaseSlots];
int phaseActive[kPhaseSlots];

namespace {

// How strongly the group a slot belongs to is driven by the speed settings.
double slotSpeedFactor(int slot, const SceneSettings& settings) {
  if (slot <= 3) return settings.rotateSpeed * 57.3;
  if (slot <= 6) return settings.movementSpeed;
  if (slot <= 49) return settings.mainSpeed;
  return settings.lightRotateSpeed;
}

void driftSlot(int slot, float dt, const SceneSettings& settings) {
  if (randomUniform(1) < 2.0 * dt) {  // about two activity decisions per second
    phaseActive[slot] = randomUniform(1) < 0.3 ? 1 : 0;
  }
  if (randomUniform(1) < 0.02 * dt) {  // about one new target every 50 s
    const double magnitude = randomUniform(0.01) + 0.03;
    const double sign = randomUniform(1);
    phaseTargets[slot] = sign < 0.3 ? magnitude : -magnitude;
  }
  if (phaseActive[slot]) {
    phaseRates[slot] += (phaseTargets[slot] - phaseRates[slot]) * 0.001;
  } else {
    phaseRates[slot] *= 0.999;
  }
  if (slot == 0) {
    phases[0] += dt;  // the scene clock
  } else {
    phases[slot] += slotSpeedFactor(slot, settings) * phaseRates[slot] * dt;
  }
}

}  // namespace

void seedPhaseBank(int count) {
  for (int slot = 0; slot < count && slot < kPhaseSlots; ++slot) {
    phases[slot] = randomUniform(360);
    phaseTargets[slot] = randomUniform(0.01) + 0.03;
    phaseRates[slot] = phaseTargets[slot];
    phaseActive[slot] = 1;
  }
}

void driftPhaseBank(int count, float dt, const SceneSettings& settings, int pausedFlag) {
  for (int slot = 0; slot < count && slot < kPhaseSlots; ++slot) {
    if (pausedFlag && slot >= 1 && slot <= 9) continue;
    driftSlot(slot, dt, settings);
  }
}

double phaseWave(int slot, double frequency, double amplitude, double offset) {
  return (std::sin(frequency * phases[slot]) * 0.5 + 0.5) * amplitude + offset;
}
