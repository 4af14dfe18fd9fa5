// Test support for the robustness tests: a small real window with the whole scene initialised
// once, a synthetic toolkit clock, and the invariants the scene must keep whatever happens.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/camera.h"
#include "app/frame_step.h"
#include "app/phase_bank.h"
#include "app/settings.h"
#include "app/startup.h"
#include "fx/particles.h"
#include "sim/impact.h"
#include "support/gl_context.h"
#include "text/text_display.h"

constexpr int kRobustWindowWidth = 320;
constexpr int kRobustWindowHeight = 240;

class RobustScene : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    testsupport::ensureGlContext(kRobustWindowWidth, kRobustWindowHeight);
    if (std::filesystem::is_directory(KRATEON_ASSET_DIR)) {
      std::filesystem::current_path(KRATEON_ASSET_DIR);
    }
    static bool initialised = false;
    if (!initialised) initScene();
    initialised = true;
  }

  void SetUp() override {
    onReshape(kRobustWindowWidth, kRobustWindowHeight);
    resetFrameClock();
    toolkitMs = 0;
  }

  // One frame stepMs after the previous one, as onDisplay runs it (the toolkit's 32-bit count
  // wraps as the real one does).
  static void frameAfter(int stepMs) {
    toolkitMs = static_cast<int>(static_cast<std::uint32_t>(toolkitMs) +
                                 static_cast<std::uint32_t>(stepMs));
    elapsedMs = toolkitMs;
    frameStep();
  }

  static inline int toolkitMs = 0;  // the synthetic toolkit clock, milliseconds
};

// The first broken invariant of the scene's state (settings in range, speed factors usable,
// camera, clocks and particles finite), or an empty string when all hold.
inline std::string brokenInvariant() {
  const SceneSettings& s = sceneSettings;
  auto outside = [](const char* name, double value, double low, double high) -> std::string {
    if (value >= low && value <= high) return {};
    return std::string(name) + " = " + std::to_string(value) + " outside " + std::to_string(low) +
           ".." + std::to_string(high);
  };
  auto usableFactor = [](const char* name, float value) -> std::string {
    if (std::isnormal(value) && value > 0) return {};
    return std::string(name) + " = " + std::to_string(value) + " is not a usable factor";
  };
  auto finite = [](const char* name, double value) -> std::string {
    if (std::isfinite(value)) return {};
    return std::string(name) + " is not finite";
  };
  const std::string checks[] = {
      outside("fieldOfView", s.fieldOfView, 1, 179),
      outside("letterbox", s.letterbox, 0, 6),
      outside("tessellation", s.tessellation, 3, 40),
      outside("polyMode", s.polyMode, 0, 2),
      outside("planetImage", s.planetImage, 0, 9),
      outside("cameraMode", s.cameraMode, 0, 1),
      outside("impactSoundOn", s.impactSoundOn, 0, 1),
      outside("universeOn", s.universeOn, 0, 1),
      outside("clearEachFrame", s.clearEachFrame, 0, 1),
      outside("spotlightsOn", s.spotlightsOn, 0, 1),
      outside("fpsClockOn", s.fpsClockOn, 0, 1),
      outside("paused", paused, 0, 1),
      outside("fullScreen", fullScreen, 0, 1),
      outside("helpShown", helpShown, 0, 1),
      outside("forceClear", forceClear, 0, 1),
      outside("readoutMode", readoutMode, 0, 2),
      outside("letterboxStep", letterboxStep, -5, 6),
      outside("fadeLevel", fadeLevel, 0, 1),
      outside("impactClock", impactClock, -7, 9),
      usableFactor("rotateSpeed", s.rotateSpeed),
      usableFactor("movementSpeed", s.movementSpeed),
      usableFactor("mainSpeed", s.mainSpeed),
      usableFactor("homeEndSpeed", s.homeEndSpeed),
      usableFactor("lightRotateSpeed", s.lightRotateSpeed),
      usableFactor("objectSize", s.objectSize),
      finite("cameraZ", s.cameraZ),
      finite("cameraHeading", cameraHeading),
      finite("cameraPitch", cameraPitch),
      finite("cameraOffset.x", cameraOffset.x),
      finite("cameraOffset.y", cameraOffset.y),
      finite("cameraOffset.z", cameraOffset.z),
      finite("cameraJolt.x", cameraJolt.x),
      finite("cameraJolt.y", cameraJolt.y),
      finite("cameraJolt.z", cameraJolt.z),
      finite("impactPoint.x", impactPoint.x),
      finite("impactPoint.y", impactPoint.y),
      finite("impactPoint.z", impactPoint.z),
      finite("impactHeading", impactHeading),
      finite("impactPitch", impactPitch),
      finite("phases[0]", phases[0]),
  };
  for (const std::string& check : checks) {
    if (!check.empty()) return check;
  }
  int live = 0;
  for (const Particle& p : particleSystem.particles) {
    if (!p.active) continue;
    ++live;
    for (float c : p.position) {
      if (!std::isfinite(c)) return "a live particle has a non-finite position";
    }
  }
  if (live > kMaxParticles) return "more live particles than slots";
  if (std::memchr(textDisplay.recordedText, 0, kTextBufferSize) == nullptr) {
    return "the recorded text is not terminated";
  }
  return {};
}
