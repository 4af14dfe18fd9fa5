// Test support: the common main of every test program.
// Death tests re-run the program (threadsafe style) because the GL driver starts threads.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool allTestsFinished = false;
bool deathTestChild = false;

// The program ends its own process after the exit fade: a test that reaches that path by
// mistake would stop the run early with status 0 and hide every test after it.
void failOnPrematureExit() {
  if (allTestsFinished || deathTestChild) return;
  std::fputs("The test program exited before all of its tests had run.\n", stderr);
  _exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  for (int i = 1; i < argc; ++i) {
    if (std::strstr(argv[i], "internal_run_death_test") != nullptr) deathTestChild = true;
  }
  std::atexit(failOnPrematureExit);
  ::testing::InitGoogleTest(&argc, argv);
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const int status = RUN_ALL_TESTS();
  allTestsFinished = true;
  return status;
}
