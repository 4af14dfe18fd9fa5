// Tests of the phase bank: reproducible seeding, the pause rule, the dt = 0 rule and the
// fixed order of random draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "app/phase_bank.h"
#include "app/settings.h"
#include "sim/numeric.h"

namespace {

struct BankCopy {
  double phases[kPhaseSlots], rates[kPhaseSlots], targets[kPhaseSlots];
  int active[kPhaseSlots];
};

BankCopy copyBank() {
  BankCopy copy;
  std::copy(std::begin(phases), std::end(phases), copy.phases);
  std::copy(std::begin(phaseRates), std::end(phaseRates), copy.rates);
  std::copy(std::begin(phaseTargets), std::end(phaseTargets), copy.targets);
  std::copy(std::begin(phaseActive), std::end(phaseActive), copy.active);
  return copy;
}

SceneSettings unitSpeeds() {
  SceneSettings s;
  s.rotateSpeed = s.movementSpeed = s.mainSpeed = s.lightRotateSpeed = 1.0f;
  return s;
}

TEST(PhaseBankSeeding, SeedTwentyTwoAlwaysGivesTheSameBank) {
  seedRandom(22);
  seedPhaseBank(kPhasesUsed);
  const BankCopy first = copyBank();
  std::fill(std::begin(phases), std::end(phases), 0.0);
  seedRandom(22);
  seedPhaseBank(kPhasesUsed);
  const BankCopy second = copyBank();
  for (int i = 0; i < kPhaseSlots; ++i) {
    EXPECT_EQ(first.phases[i], second.phases[i]);
    EXPECT_EQ(first.rates[i], second.rates[i]);
  }
}

TEST(PhaseBankSeeding, SeedsOnlyTheUsedSlotsWithActiveRatesEqualToTargets) {
  std::fill(std::begin(phases), std::end(phases), 0.0);
  std::fill(std::begin(phaseTargets), std::end(phaseTargets), 0.0);
  seedRandom(4);
  seedPhaseBank(kPhasesUsed);
  for (int i = 0; i < kPhasesUsed; ++i) {
    EXPECT_GE(phases[i], 0.0);
    EXPECT_LT(phases[i], 360.0);
    EXPECT_GE(phaseTargets[i], 0.03);
    EXPECT_LT(phaseTargets[i], 0.04);
    EXPECT_EQ(phaseRates[i], phaseTargets[i]);
    EXPECT_EQ(phaseActive[i], 1);
  }
  for (int i = kPhasesUsed; i < kPhaseSlots; ++i) EXPECT_EQ(phases[i], 0.0);
}

TEST(PhaseBankSeeding, DrawsPhaseThenTargetSlotBySlot) {
  seedRandom(9);
  const double firstPhase = randomUniform(360);
  const double firstTarget = randomUniform(0.01) + 0.03;
  const double secondPhase = randomUniform(360);
  seedRandom(9);
  seedPhaseBank(kPhasesUsed);
  EXPECT_EQ(phases[0], firstPhase);
  EXPECT_EQ(phaseTargets[0], firstTarget);
  EXPECT_EQ(phases[1], secondPhase);
}

TEST(PhaseBankDrift, PauseFreezesSlotsOneToNineExactly) {
  seedRandom(22);
  seedPhaseBank(kPhasesUsed);
  const SceneSettings settings = unitSpeeds();
  const BankCopy before = copyBank();
  for (int frame = 0; frame < 200; ++frame) driftPhaseBank(kPhasesUsed, 0.05f, settings, 1);
  for (int i = 1; i <= 9; ++i) {
    EXPECT_EQ(phases[i], before.phases[i]) << i;
    EXPECT_EQ(phaseRates[i], before.rates[i]) << i;
    EXPECT_EQ(phaseTargets[i], before.targets[i]) << i;
    EXPECT_EQ(phaseActive[i], before.active[i]) << i;
  }
  EXPECT_NEAR(phases[0], before.phases[0] + 10.0, 1e-6);  // the scene clock goes on
  for (int i = 10; i < kPhasesUsed; ++i) EXPECT_NE(phases[i], before.phases[i]) << i;
}

TEST(PhaseBankDrift, ZeroStepMovesNoPhaseButRatesStillEase) {
  seedRandom(22);
  seedPhaseBank(kPhasesUsed);
  phaseActive[12] = 0;
  phaseTargets[13] = -0.035;
  const BankCopy before = copyBank();
  // With dt = 0 neither test can pass, so each slot draws exactly two values.
  seedRandom(77);
  for (int i = 0; i < 2 * kPhasesUsed; ++i) nextRandom();
  const int nextAfterDrift = nextRandom();
  seedRandom(77);
  driftPhaseBank(kPhasesUsed, 0.0f, unitSpeeds(), 0);
  EXPECT_EQ(nextRandom(), nextAfterDrift);
  for (int i = 0; i < kPhasesUsed; ++i) {
    EXPECT_EQ(phases[i], before.phases[i]);
    EXPECT_EQ(phaseActive[i], before.active[i]);
  }
  EXPECT_DOUBLE_EQ(phaseRates[12], before.rates[12] * 0.999);
  EXPECT_DOUBLE_EQ(phaseRates[13], before.rates[13] + (-0.035 - before.rates[13]) * 0.001);
}

TEST(PhaseBankDrift, SpeedSettingsScaleTheirGroups) {
  seedRandom(22);
  seedPhaseBank(kPhasesUsed);
  for (int i = 0; i < kPhasesUsed; ++i) phaseTargets[i] = phaseRates[i] = 0.035;
  SceneSettings settings = unitSpeeds();
  settings.rotateSpeed = 2;
  settings.movementSpeed = 3;
  settings.mainSpeed = 4;
  settings.lightRotateSpeed = 5;
  const BankCopy before = copyBank();
  driftPhaseBank(kPhasesUsed, 0.01f, settings, 0);
  // A rate changes by at most 0.1 % in one frame, so each phase step shows its factor.
  const double base = 0.035 * 0.01f;
  EXPECT_NEAR(phases[2] - before.phases[2], 2 * 57.3 * base, 57.3 * base * 0.01);
  EXPECT_NEAR(phases[5] - before.phases[5], 3 * base, base * 0.01);
  EXPECT_NEAR(phases[30] - before.phases[30], 4 * base, base * 0.01);
  EXPECT_NEAR(phases[55] - before.phases[55], 5 * base, base * 0.01);
  for (int i = kPhasesUsed; i < kPhaseSlots; ++i) EXPECT_EQ(phases[i], 0.0);
}

}  // namespace
