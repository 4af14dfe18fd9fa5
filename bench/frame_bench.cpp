// The frame cost per phase of the impact cycle: the scene library's own frame step driven by a
// synthetic clock in a window of the given size, milliseconds per frame and start-up time.
#include <GL/freeglut.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "app/frame_step.h"
#include "app/startup.h"
#include "core/frame_clock.h"
#include "core/settings.h"
#include "fx/particles.h"
#include "sim/impact.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kStepMs = 16;      // synthetic frame interval: a 60 Hz display
constexpr int kStartMs = 20000;  // past the intro title and fade, like a running program
constexpr int kDefaultFrames = 150;

struct Options {
  int width = 1920;
  int height = 1080;
  int frames = kDefaultFrames;  // frames measured per phase (at least)
  bool swap = true;
  bool fullScreen = false;
  const char* assets = KRATEON_ASSET_DIR;
};

// One stretch of the cycle: the clock is set to `from` and runs to `to`; the frames before
// `measureFrom` are run but not timed (they trigger the impact or the break).
struct Phase {
  const char* name;
  float from;
  float measureFrom;
  float to;
  bool clearParticles;
  int help;
};

constexpr Phase kPhases[] = {
    {"idle", -3.0f, -3.0f, -1.0f, true, 0},     {"meteor", -1.0f, -1.0f, 0.99f, true, 0},
    {"impact+160", 0.99f, 1.1f, 2.0f, true, 0}, {"glow+tremble", 0.99f, 2.0f, 5.0f, true, 0},
    {"break+200", 4.99f, 5.1f, 9.0f, true, 0},  {"help", -3.0f, -3.0f, -1.0f, true, 1},
};

int syntheticMs = kStartMs;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// CPU time of the whole process (the driver's drawing threads included), milliseconds. Less
// disturbed than the wall clock when other work shares the cores.
double processCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

struct FrameTime {
  double wallMs;
  double cpuMs;
};

// One frame as onDisplay runs it, then a finish so the driver's threads have drawn it all.
// The floor: what the empty loop does in a frame (clear, swap), in the same window and run.
FrameTime timedEmptyFrame(const Options& options) {
  const double cpuStart = processCpuMs();
  const Clock::time_point start = Clock::now();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  if (options.swap) glutSwapBuffers();
  glFinish();
  const FrameTime time{msSince(start), processCpuMs() - cpuStart};
  glutMainLoopEvent();
  return time;
}

FrameTime timedFrame(const Options& options) {
  syntheticMs += kStepMs;
  const double cpuStart = processCpuMs();
  const Clock::time_point start = Clock::now();
  elapsedMs = syntheticMs;
  frameStep();
  if (options.swap) glutSwapBuffers();
  glFinish();
  const FrameTime time{msSince(start), processCpuMs() - cpuStart};
  glutMainLoopEvent();  // the toolkit's own event handling, as between frames in its loop
  return time;
}

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

double percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[static_cast<size_t>(p * (values.size() - 1))];
}

// Runs the phase's stretch of the cycle again and again until enough frames were timed.
std::vector<FrameTime> runPhase(const Phase& phase, const Options& options) {
  std::vector<FrameTime> times;
  times.reserve(options.frames + 512);
  helpShown = phase.help;
  while (static_cast<int>(times.size()) < options.frames) {
    if (phase.clearParticles) particleSystem.clearParticles();
    sceneSettings.planetImage = 3;  // the default image, the one with clouds and a moon
    impactClock = phase.from;
    // Bounded, so a scene whose clock stands still (or a stall) cannot keep it here.
    const int maxFrames = static_cast<int>((phase.to - phase.from) * 1000 / kStepMs) + 8;
    for (int i = 0; i < maxFrames && impactClock < phase.to; ++i) {
      const bool timed = impactClock >= phase.measureFrom;
      const FrameTime time = timedFrame(options);
      if (timed) times.push_back(time);
    }
    if (times.empty()) break;
  }
  helpShown = 0;
  return times;
}

void report(const char* name, const std::vector<FrameTime>& frames) {
  if (frames.empty()) {
    std::printf("%-14s (not reached: the cycle clock did not run)\n", name);
    return;
  }
  std::vector<double> wall;
  std::vector<double> cpu;
  for (const FrameTime& f : frames) {
    wall.push_back(f.wallMs);
    cpu.push_back(f.cpuMs);
  }
  const double mid = median(wall);
  std::printf("%-14s %7zu %10.2f %10.2f %10.2f %10.1f %10.2f\n", name, frames.size(), mid,
              percentile(wall, 0.9), *std::max_element(wall.begin(), wall.end()),
              mid > 0 ? 1000.0 / mid : 0.0, median(cpu));
}

// A whole cycle as the program runs it from a click: clock 0.5 to the wrap and on to the
// next meteor, every frame timed.
std::vector<FrameTime> runCycle(const Options& options) {
  std::vector<FrameTime> times;
  times.reserve(1024);
  particleSystem.clearParticles();
  impactClock = 0.5f;
  const int frames = 14000 / kStepMs;
  for (int i = 0; i < frames; ++i) times.push_back(timedFrame(options));
  return times;
}

bool parseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (std::strcmp(arg, "--size") == 0 && value) {
      if (std::sscanf(value, "%dx%d", &options.width, &options.height) != 2) return false;
      ++i;
    } else if (std::strcmp(arg, "--frames") == 0 && value) {
      options.frames = std::max(1, std::atoi(value));
      ++i;
    } else if (std::strcmp(arg, "--assets") == 0 && value) {
      options.assets = value;
      ++i;
    } else if (std::strcmp(arg, "--no-swap") == 0) {
      options.swap = false;
    } else if (std::strcmp(arg, "--fullscreen") == 0) {
      options.fullScreen = true;
    } else {
      return false;
    }
  }
  return options.width > 0 && options.height > 0;
}

}  // namespace

int main(int argc, char** argv) {
  glutInit(&argc, argv);
  Options options;
  if (!parseOptions(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: %s [--size WxH] [--frames N] [--no-swap] [--fullscreen] "
                 "[--assets DIR]\n",
                 argv[0]);
    return 2;
  }
  if (chdir(options.assets) != 0) std::fprintf(stderr, "no asset folder %s\n", options.assets);

  // Start-up as the program does it: the window, the scene, the first frame on screen.
  const Clock::time_point start = Clock::now();
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(options.width, options.height);
  glutCreateWindow("Krateon");
  if (options.fullScreen) glutFullScreen();
  glutReshapeFunc(onReshape);
  glutDisplayFunc([] {});
  const Clock::time_point sceneStart = Clock::now();
  initScene();
  const double sceneMs = msSince(sceneStart);
  for (int i = 0; i < 20 && windowWidth == 0; ++i) glutMainLoopEvent();
  if (windowWidth == 0) onReshape(options.width, options.height);
  elapsedMs = 0;
  frameStep();
  glutSwapBuffers();
  glFinish();
  const double startupMs = msSince(start);

  std::printf("# renderer: %s, window %dx%d, swap %s, LP_NUM_THREADS=%s\n",
              reinterpret_cast<const char*>(glGetString(GL_RENDERER)), windowWidth, windowHeight,
              options.swap ? "on" : "off",
              std::getenv("LP_NUM_THREADS") ? std::getenv("LP_NUM_THREADS") : "default");
  std::printf("# start-up: %.1f ms from window creation to the first frame (initScene %.1f ms)\n",
              startupMs, sceneMs);

  // Warm-up: past the intro and its messages, every path run once.
  syntheticMs = kStartMs;
  for (int i = 0; i < 30; ++i) timedFrame(options);

  std::printf("%-14s %7s %10s %10s %10s %10s %10s\n", "phase", "frames", "median_ms", "p90_ms",
              "max_ms", "fps(med)", "cpu_ms");
  std::vector<FrameTime> floor;
  for (int i = 0; i < options.frames; ++i) floor.push_back(timedEmptyFrame(options));
  report("empty (floor)", floor);
  for (const Phase& phase : kPhases) report(phase.name, runPhase(phase, options));
  report("whole cycle", runCycle(options));
  return 0;
}
