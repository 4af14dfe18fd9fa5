// One run of Krateon on a private X desktop: starts it with its sound going to a file, knows
// when it was started, and keeps the screenshots a test looked at for inspection.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "disk_audio.h"
#include "screen_image.h"
#include "x_session.h"

namespace e2e {

// In a command, stands for the display of the run's own X server.
inline const std::string kDisplayArgument = "@display@";

class KrateonRun {
 public:
  KrateonRun(int width, int height);

  // Starts the X session and the program in workDir, waits for its window titled "Krateon"
  // and gives it the keyboard focus. False with error() set when any step fails. An argument
  // kDisplayArgument stands for the session's display; `env` adds to the program's environment
  // (DISPLAY included: the session's display unless given).
  bool start(const Command& command, const std::string& workDir,
             const std::map<std::string, std::string>& env = {});
  const std::string& error() const { return error_; }

  XSession& session() { return session_; }
  ChildProcess& process() { return process_; }
  unsigned long window() const { return window_; }

  // Seconds since the program was started: its own clock starts a moment later.
  double elapsed() const { return secondsSince(launched_); }
  void waitUntil(double elapsedSeconds) const { sleepSeconds(elapsedSeconds - elapsed()); }

  // Captures the screen and remembers the picture under the name.
  Image shot(const std::string& name);
  // Remembers a picture taken earlier, so that it is kept if the current test fails.
  void remember(const std::string& name, const Image& image);
  // Writes the remembered pictures as <folder>/<prefix>-<name>.png and forgets them.
  void keepShots(const std::string& folder, const std::string& prefix);
  void forgetShots() { shots_.clear(); }

  const std::string& audioPath() const { return audioPath_; }
  // How many seconds of sound the disk audio file holds now (-1: no file).
  double audioSeconds() const { return diskAudioSeconds(audioPath_); }
  AudioTrack audio() const { return readDiskAudio(audioPath_); }
  // What the program printed so far.
  std::string output() const;

 private:
  XSession session_;
  ChildProcess process_;
  unsigned long window_ = 0;
  Clock::time_point launched_;
  std::string error_;
  std::string audioPath_;
  std::string outputPath_;
  std::vector<std::pair<std::string, Image>> shots_;
};

// The folder for pictures of failed tests (made when missing).
std::string artifactFolder();

}  // namespace e2e
