// One run of Krateon on a private X desktop: starts it with its sound going to a file, knows
// when it was started, and keeps the screenshots a test looked at for inspection.
#include "krateon_run.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace e2e {

namespace {

constexpr double kWindowTimeoutSeconds = 60.0;  // a loaded machine can take long to map it
constexpr double kFullScreenSeconds = 5.0;
// Like the X server (see x_session.cpp): a busy machine must not stall the timed frames.
constexpr int kProgramNiceness = -5;

// Why the program ended, from its exit status (the harness uses 126 and 127 for a failed start).
std::string endedBecause(std::optional<int> status, const std::string& workDir) {
  if (!status) return "";
  if (*status == 126) return " (cannot change to " + workDir + ")";
  if (*status == 127) return " (cannot execute the program)";
  return " (the program ended with status " + std::to_string(*status) + ")";
}

}  // namespace

KrateonRun::KrateonRun(int width, int height) : session_(width, height) {}

bool KrateonRun::start(const Command& command, const std::string& workDir,
                       const std::map<std::string, std::string>& env) {
  if (!session_.start()) {
    error_ = session_.error();
    return false;
  }
  Command resolved = command;
  for (std::string& argument : resolved) {
    if (argument == kDisplayArgument) argument = session_.display();
  }
  audioPath_ = session_.scratchDir() + "/sound.raw";
  outputPath_ = session_.scratchDir() + "/program.log";
  SpawnOptions options;
  options.workDir = workDir;
  options.outputFile = outputPath_;
  options.niceness = kProgramNiceness;
  options.env = env;
  options.env["SDL_AUDIODRIVER"] = "disk";
  options.env["SDL_DISKAUDIOFILE"] = audioPath_;
  launched_ = Clock::now();
  process_ = session_.launch(resolved, options);
  if (!process_.started()) {
    error_ = "cannot start " + resolved.front();
    return false;
  }
  window_ = session_.waitForWindow("^Krateon$", kWindowTimeoutSeconds, &process_);
  if (window_ == 0) {
    error_ = "no window titled Krateon appeared" +
             endedBecause(process_.waitForExit(0.1), workDir) + "; it printed: " + output();
    return false;
  }
  // The toolkit maps a small window first and asks for full screen right after; wait for that
  // (the tests that care check the size themselves).
  const Clock::time_point mapped = Clock::now();
  while (secondsSince(mapped) < kFullScreenSeconds) {
    const auto geometry = session_.geometry(window_);
    if (geometry && geometry->width == session_.width() && geometry->height == session_.height()) {
      break;
    }
    sleepSeconds(0.02);
  }
  if (!session_.activate(window_)) {
    error_ = "cannot give the Krateon window the focus";
    return false;
  }
  return true;
}

Image KrateonRun::shot(const std::string& name) {
  Image image = session_.capture();
  remember(name, image);
  return image;
}

void KrateonRun::remember(const std::string& name, const Image& image) {
  shots_.emplace_back(name, image);
}

void KrateonRun::keepShots(const std::string& folder, const std::string& prefix) {
  for (const auto& [name, image] : shots_)
    image.savePng(folder + "/" + prefix + "-" + name + ".png");
  shots_.clear();
}

std::string KrateonRun::output() const {
  std::ifstream in(outputPath_);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string artifactFolder() {
  const std::string folder = KRATEON_E2E_ARTIFACT_DIR;
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  return folder;
}

}  // namespace e2e
