// Test support for the application shell: a real window with the scene initialised once,
// started in the generated asset folder when it exists.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "app/frame_step.h"
#include "app/startup.h"
#include "support/gl_context.h"

class SceneTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    testsupport::ensureGlContext(640, 480);
    if (std::filesystem::is_directory(KRATEON_ASSET_DIR)) {
      std::filesystem::current_path(KRATEON_ASSET_DIR);
    }
    static bool initialised = false;
    if (!initialised) initScene();
    initialised = true;
  }

  void SetUp() override {
    windowWidth = 640;
    windowHeight = 480;
    resetFrameClock();
  }

  // Runs one frame at the given toolkit time, as onDisplay does (without the swap).
  static void frameAt(int toolkitMs) {
    elapsedMs = toolkitMs;
    frameStep();
  }
};
