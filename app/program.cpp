// The whole program: the options first, then the window chosen by them, each kind of window
// behind the same seam so that the scene never asks which one it is in.
#include "app/program.h"

#include "app/command_line.h"
#include "app/foreign_window.h"
#include "app/own_window.h"
#include "app/startup.h"
#include "app/window_host.h"
#include "core/frame_clock.h"
#include "core/numeric.h"

int runKrateon(int argc, char** argv) {
  const int status = readCommandLine(argc, argv);
  if (status >= 0) return status;
  useWindowHost(programOptions.foreignWindow ? foreignWindowHost : ownWindowHost);
  elapsedMs = hostElapsedMs();
  seedRandom(kInitialSeed);
  return drawingInForeignWindow ? runInForeignWindow() : runInOwnWindow(argc, argv);
}
