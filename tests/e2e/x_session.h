// The end-to-end harness: child processes in their own process groups, a private X server with
// a window manager, the program under test on it, and the tools that drive and inspect it.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "screen_image.h"

namespace e2e {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start);
void sleepSeconds(double seconds);

// A program and its arguments; argv[0] is looked up on the PATH when it holds no slash.
using Command = std::vector<std::string>;

struct SpawnOptions {
  std::string workDir;                     // empty: the test's own working directory
  std::map<std::string, std::string> env;  // added to (or replacing) the test's environment
  std::string outputFile;                  // standard output and error; empty: /dev/null
  int keepFd = -1;                         // one descriptor the child keeps open, -1: none
  int niceness = 0;  // scheduling priority, -20 (first) .. 19; raising it needs root, else ignored
};

// A child process that leads its own process group. The group is killed when the object goes,
// and the kernel kills the child if the test process dies first, so no test leaves one behind.
class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const Command& command, const SpawnOptions& options);
  ~ChildProcess();
  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }
  // True while the process has not ended; reaps it once it has.
  bool running();
  // Waits up to the timeout; the exit status (0..255, or 128 + signal number when a signal
  // ended it), nothing while it still runs.
  std::optional<int> waitForExit(double timeoutSeconds);
  std::optional<int> exitStatus() const { return status_; }
  // SIGTERM to the whole group, SIGKILL after the grace period; reaps the leader.
  void stop(double graceSeconds = 2.0);

 private:
  void reap(int waitStatus);
  pid_t pid_ = -1;
  std::optional<int> status_;
};

struct CommandResult {
  int status = -1;  // exit status, 128 + signal, or -1 when it could not run or timed out
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs a command to its end (killed after the timeout) and collects what it printed.
CommandResult runCommand(const Command& command, const SpawnOptions& options,
                         double timeoutSeconds);

// True when the program can be found on the PATH.
bool onPath(const std::string& program);

struct WindowGeometry {
  int x = 0, y = 0;  // upper-left corner relative to the root window
  int width = 0, height = 0;
};

// A private X server (Xvfb, on a display number it picks itself) with openbox running on it.
class XSession {
 public:
  XSession(int width, int height);
  ~XSession();
  XSession(const XSession&) = delete;
  XSession& operator=(const XSession&) = delete;

  // Starts the server and the window manager and waits until both are ready.
  bool start();
  const std::string& error() const { return error_; }
  const std::string& display() const { return display_; }
  int width() const { return width_; }
  int height() const { return height_; }
  // A scratch folder of this session, removed when the session ends.
  const std::string& scratchDir() const { return scratch_; }

  // Runs a tool on this display.
  CommandResult run(const Command& command, double timeoutSeconds = 10);
  // Starts a program on this display (DISPLAY is set unless the options give it).
  ChildProcess launch(const Command& command, SpawnOptions options);

  // The whole screen, or a part of it, as it is now.
  Image capture();
  Image capture(Rect area);
  // How many different pictures the area showed per second over the given time: the frame
  // rate of a program that redraws it all the time (up to the rate of polling, some hundreds).
  double changesPerSecond(Rect area, double seconds);

  // Windows whose title matches the regular expression exactly, as xdotool finds them.
  std::vector<unsigned long> findWindows(const std::string& titlePattern);
  // Polls until a mapped window with the title appears; 0 when none did within the timeout or
  // when the program that should open it has ended.
  unsigned long waitForWindow(const std::string& titlePattern, double timeoutSeconds,
                              ChildProcess* opener = nullptr);
  std::optional<WindowGeometry> geometry(unsigned long window);
  // The value of a window property as xprop prints it, empty when it is not set.
  std::string property(unsigned long window, const std::string& name);
  bool activate(unsigned long window);
  // Key names as xdotool knows them ("Escape", "question", "c"), typed one after another.
  bool key(const std::vector<std::string>& keys);
  bool click(int x, int y, int button = 1);

 private:
  bool startServer();
  bool startWindowManager();
  bool windowManagerReady();

  int width_;
  int height_;
  std::string error_;
  std::string display_;
  std::string scratch_;
  ChildProcess server_;
  ChildProcess windowManager_;
  void* connection_ = nullptr;  // the Xlib Display used for screen captures
};

}  // namespace e2e
