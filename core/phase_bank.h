// The phase bank: slowly and randomly drifting phases behind every organic motion.
// Slot 0 is the scene clock (seconds with a random origin); the speed settings scale groups.
#pragma once

class SceneSettings;

constexpr int kPhaseSlots = 99;
constexpr int kPhasesUsed = 60;

extern double phases[kPhaseSlots];        // unbounded, never wrapped
extern double phaseRates[kPhaseSlots];    // current rate of each slot
extern double phaseTargets[kPhaseSlots];  // rate eased toward while active, |.| in [0.03, 0.04)
extern int phaseActive[kPhaseSlots];      // 1 = easing toward the target, 0 = decaying to 0

// Seeds slots 0..count-1: phase in [0, 360), target in [0.03, 0.04), rate = target, active.
void seedPhaseBank(int count);

// Advances slots 0..count-1 by one frame of dt seconds; while pausedFlag is set, slots 1-9
// stand completely still. Random values are drawn in a fixed order, slot after slot.
void driftPhaseBank(int count, float dt, const SceneSettings& settings, int pausedFlag);

// (sin(frequency * phases[slot]) * 0.5 + 0.5) * amplitude + offset: a value in
// [offset, offset + amplitude] driven by one slot of the phase bank (radians, no conversion).
double phaseWave(int slot, double frequency, double amplitude, double offset);
