// The end-to-end harness: child processes in their own process groups, a private X server with
// a window manager, the program under test on it, and the tools that drive and inspect it.
#include "x_session.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

extern char** environ;

namespace e2e {

namespace {

constexpr double kServerStartSeconds = 15.0;
constexpr double kWindowManagerStartSeconds = 15.0;
constexpr double kPollSeconds = 0.05;
constexpr int kHighestInheritedFd = 4096;
// A busy machine (a build next door) must not stall the frames whose timing the tests check, so
// the X server and the program under test run a little ahead of other work where allowed.
constexpr int kDisplayNiceness = -5;

// Everything a child needs, prepared before fork so the child only calls async-signal-safe
// functions between fork and exec.
struct ExecPlan {
  std::vector<std::string> argStorage;
  std::vector<std::string> envStorage;
  std::vector<char*> argv;
  std::vector<char*> envp;
};

ExecPlan makeExecPlan(const Command& command, const SpawnOptions& options) {
  ExecPlan plan;
  plan.argStorage = command;
  std::map<std::string, std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const size_t equals = text.find('=');
    if (equals != std::string::npos) env[text.substr(0, equals)] = text.substr(equals + 1);
  }
  for (const auto& [name, value] : options.env) env[name] = value;
  for (const auto& [name, value] : env) plan.envStorage.push_back(name + "=" + value);
  for (std::string& arg : plan.argStorage) plan.argv.push_back(arg.data());
  plan.argv.push_back(nullptr);
  for (std::string& entry : plan.envStorage) plan.envp.push_back(entry.data());
  plan.envp.push_back(nullptr);
  return plan;
}

// Forks and execs; the child leads a new process group and dies with the test process.
// Output goes to outFd and errFd (-1: /dev/null). Returns the pid, or -1.
pid_t forkExec(const Command& command, const SpawnOptions& options, int outFd, int errFd) {
  if (command.empty()) return -1;
  ExecPlan plan = makeExecPlan(command, options);
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    if (options.niceness != 0) setpriority(PRIO_PROCESS, 0, options.niceness);
    if (!options.workDir.empty() && chdir(options.workDir.c_str()) != 0) _exit(126);
    const int devNull = open("/dev/null", O_RDWR);
    dup2(devNull, STDIN_FILENO);
    dup2(outFd >= 0 ? outFd : devNull, STDOUT_FILENO);
    dup2(errFd >= 0 ? errFd : devNull, STDERR_FILENO);
    for (int fd = 3; fd < kHighestInheritedFd; ++fd) {
      if (fd != options.keepFd) close(fd);
    }
    if (options.keepFd >= 0) fcntl(options.keepFd, F_SETFD, 0);
    execvpe(plan.argv[0], plan.argv.data(), plan.envp.data());
    _exit(127);
  }
  setpgid(pid, pid);  // also from the parent, so a kill right after fork finds the group
  return pid;
}

int statusFromWait(int waitStatus) {
  if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
  if (WIFSIGNALED(waitStatus)) return 128 + WTERMSIG(waitStatus);
  return -1;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string makeScratchDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/krateon-e2e-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return "";
  return pattern;
}

// The lowest set bit of a colour mask, so a channel can be shifted down to 0..255.
int maskShift(unsigned long mask) {
  int shift = 0;
  while (mask != 0 && (mask & 1) == 0) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}

}  // namespace

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void sleepSeconds(double seconds) {
  if (seconds > 0) std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// ---- ChildProcess

ChildProcess::ChildProcess(const Command& command, const SpawnOptions& options) {
  int outFd = -1;
  if (!options.outputFile.empty()) {
    outFd = open(options.outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  }
  pid_ = forkExec(command, options, outFd, outFd);
  if (outFd >= 0) close(outFd);
}

ChildProcess::~ChildProcess() {
  stop(1.0);
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(other.pid_), status_(other.status_) {
  other.pid_ = -1;
  other.status_.reset();
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    stop(1.0);
    pid_ = other.pid_;
    status_ = other.status_;
    other.pid_ = -1;
    other.status_.reset();
  }
  return *this;
}

void ChildProcess::reap(int waitStatus) {
  status_ = statusFromWait(waitStatus);
  // Whatever the leader left behind in its group goes with it.
  kill(-pid_, SIGKILL);
}

bool ChildProcess::running() {
  if (pid_ <= 0 || status_) return false;
  int waitStatus = 0;
  const pid_t result = waitpid(pid_, &waitStatus, WNOHANG);
  if (result == pid_) {
    reap(waitStatus);
    return false;
  }
  return result == 0;
}

std::optional<int> ChildProcess::waitForExit(double timeoutSeconds) {
  const Clock::time_point start = Clock::now();
  while (running()) {
    if (secondsSince(start) >= timeoutSeconds) return std::nullopt;
    sleepSeconds(0.005);
  }
  return status_;
}

void ChildProcess::stop(double graceSeconds) {
  if (pid_ <= 0 || status_) return;
  kill(-pid_, SIGTERM);
  if (waitForExit(graceSeconds)) return;
  kill(-pid_, SIGKILL);
  int waitStatus = 0;
  if (waitpid(pid_, &waitStatus, 0) == pid_) reap(waitStatus);
}

// ---- Commands

CommandResult runCommand(const Command& command, const SpawnOptions& options,
                         double timeoutSeconds) {
  CommandResult result;
  int outPipe[2];
  int errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0) return result;
  if (pipe2(errPipe, O_CLOEXEC) != 0) {
    close(outPipe[0]);
    close(outPipe[1]);
    return result;
  }
  const pid_t pid = forkExec(command, options, outPipe[1], errPipe[1]);
  close(outPipe[1]);
  close(errPipe[1]);
  if (pid < 0) {
    close(outPipe[0]);
    close(errPipe[0]);
    return result;
  }

  const Clock::time_point start = Clock::now();
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int openPipes = 2;
  bool timedOut = false;
  while (openPipes > 0) {
    const double left = timeoutSeconds - secondsSince(start);
    if (left <= 0) {
      timedOut = true;
      break;
    }
    if (poll(fds, 2, static_cast<int>(left * 1000) + 1) < 0 && errno != EINTR) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --openPipes;
      }
    }
  }
  for (pollfd& fd : fds) {
    if (fd.fd >= 0) close(fd.fd);
  }

  int waitStatus = 0;
  while (!timedOut) {
    const pid_t done = waitpid(pid, &waitStatus, WNOHANG);
    if (done == pid) {
      result.status = statusFromWait(waitStatus);
      kill(-pid, SIGKILL);
      return result;
    }
    if (secondsSince(start) >= timeoutSeconds) break;
    sleepSeconds(0.002);
  }
  kill(-pid, SIGKILL);
  waitpid(pid, &waitStatus, 0);
  result.status = -1;
  return result;
}

bool onPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  std::stringstream folders(path);
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    const std::string candidate = (folder.empty() ? "." : folder) + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return true;
  }
  return false;
}

// ---- XSession

XSession::XSession(int width, int height) : width_(width), height_(height) {}

XSession::~XSession() {
  if (connection_ != nullptr) XCloseDisplay(static_cast<Display*>(connection_));
  connection_ = nullptr;
  windowManager_.stop(2.0);
  server_.stop(2.0);
  if (!scratch_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(scratch_, ignored);
  }
}

bool XSession::start() {
  for (const char* tool : {"Xvfb", "openbox", "xdotool", "xwininfo", "xprop"}) {
    if (!onPath(tool)) {
      error_ = std::string(tool) + " is not installed (scripts/setup.sh installs it)";
      return false;
    }
  }
  scratch_ = makeScratchDir();
  if (scratch_.empty()) {
    error_ = "cannot make a scratch folder";
    return false;
  }
  return startServer() && startWindowManager();
}

bool XSession::startServer() {
  int ready[2];
  if (pipe2(ready, O_CLOEXEC) != 0) {
    error_ = "pipe failed";
    return false;
  }
  SpawnOptions options;
  options.keepFd = ready[1];
  options.outputFile = scratch_ + "/xvfb.log";
  options.niceness = kDisplayNiceness;
  const std::string screen = std::to_string(width_) + "x" + std::to_string(height_) + "x24";
  server_ = ChildProcess({"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0", screen,
                          "-nolisten", "tcp", "-noreset"},
                         options);
  close(ready[1]);

  // The server writes its display number to the descriptor once it accepts connections.
  std::string number;
  const Clock::time_point start = Clock::now();
  pollfd fd = {ready[0], POLLIN, 0};
  while (number.find('\n') == std::string::npos && secondsSince(start) < kServerStartSeconds) {
    if (poll(&fd, 1, 100) <= 0) continue;
    char buffer[32];
    const ssize_t got = read(ready[0], buffer, sizeof buffer);
    if (got <= 0) break;
    number.append(buffer, static_cast<size_t>(got));
  }
  close(ready[0]);
  if (number.find('\n') == std::string::npos) {
    error_ = "Xvfb did not start: " + readFile(scratch_ + "/xvfb.log");
    return false;
  }
  display_ = ":" + number.substr(0, number.find('\n'));
  connection_ = XOpenDisplay(display_.c_str());
  if (connection_ == nullptr) {
    error_ = "cannot connect to Xvfb on " + display_;
    return false;
  }
  return true;
}

bool XSession::windowManagerReady() {
  Display* x = static_cast<Display*>(connection_);
  const Atom check = XInternAtom(x, "_NET_SUPPORTING_WM_CHECK", False);
  Atom type = 0;
  int format = 0;
  unsigned long items = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  const int status = XGetWindowProperty(x, DefaultRootWindow(x), check, 0, 1, False,
                                        AnyPropertyType, &type, &format, &items, &after, &data);
  const bool ready = status == Success && items > 0;
  if (data != nullptr) XFree(data);
  return ready;
}

bool XSession::startWindowManager() {
  SpawnOptions options;
  options.outputFile = scratch_ + "/openbox.log";
  options.env["XDG_CONFIG_HOME"] = scratch_ + "/config";
  options.env["XDG_CACHE_HOME"] = scratch_ + "/cache";
  windowManager_ = launch({"openbox", "--sm-disable"}, options);
  const Clock::time_point start = Clock::now();
  while (secondsSince(start) < kWindowManagerStartSeconds) {
    if (windowManagerReady()) return true;
    if (!windowManager_.running()) break;
    sleepSeconds(kPollSeconds);
  }
  error_ = "openbox did not start: " + readFile(scratch_ + "/openbox.log");
  return false;
}

CommandResult XSession::run(const Command& command, double timeoutSeconds) {
  SpawnOptions options;
  options.env["DISPLAY"] = display_;
  return runCommand(command, options, timeoutSeconds);
}

ChildProcess XSession::launch(const Command& command, SpawnOptions options) {
  options.env.try_emplace("DISPLAY", display_);
  return ChildProcess(command, options);
}

Image XSession::capture() {
  return capture({0, 0, width_, height_});
}

Image XSession::capture(Rect area) {
  Image image;
  Display* x = static_cast<Display*>(connection_);
  if (x == nullptr) return image;
  XImage* shot = XGetImage(x, DefaultRootWindow(x), area.x, area.y, area.width, area.height,
                           AllPlanes, ZPixmap);
  if (shot == nullptr) return image;
  const int redShift = maskShift(shot->red_mask);
  const int greenShift = maskShift(shot->green_mask);
  const int blueShift = maskShift(shot->blue_mask);
  image.width = area.width;
  image.height = area.height;
  image.rgb.resize(static_cast<size_t>(area.width) * area.height * 3);
  size_t out = 0;
  // Xvfb's 24-bit screens hold 32-bit little-endian pixels: read them straight, which keeps a
  // capture short enough to follow the flash frame by frame.
  const bool direct = shot->bits_per_pixel == 32 && shot->byte_order == LSBFirst &&
                      __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;
  for (int row = 0; row < area.height; ++row) {
    const char* line = shot->data + static_cast<size_t>(row) * shot->bytes_per_line;
    for (int column = 0; column < area.width; ++column) {
      uint32_t word = 0;
      if (direct) std::memcpy(&word, line + 4 * column, 4);
      const unsigned long pixel = direct ? word : XGetPixel(shot, column, row);
      image.rgb[out++] = static_cast<uint8_t>((pixel & shot->red_mask) >> redShift);
      image.rgb[out++] = static_cast<uint8_t>((pixel & shot->green_mask) >> greenShift);
      image.rgb[out++] = static_cast<uint8_t>((pixel & shot->blue_mask) >> blueShift);
    }
  }
  XDestroyImage(shot);
  return image;
}

double XSession::changesPerSecond(Rect area, double seconds) {
  const Clock::time_point start = Clock::now();
  Image last = capture(area);
  int changes = 0;
  while (secondsSince(start) < seconds) {
    Image next = capture(area);
    if (next.rgb != last.rgb) ++changes;
    last = std::move(next);
    sleepSeconds(0.002);
  }
  return changes / secondsSince(start);
}

std::vector<unsigned long> XSession::findWindows(const std::string& titlePattern) {
  std::vector<unsigned long> windows;
  const CommandResult found = run({"xdotool", "search", "--name", titlePattern}, 5);
  std::stringstream lines(found.out);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty()) windows.push_back(std::stoul(line));
  }
  return windows;
}

unsigned long XSession::waitForWindow(const std::string& titlePattern, double timeoutSeconds,
                                      ChildProcess* opener) {
  const Clock::time_point start = Clock::now();
  do {
    if (opener != nullptr && !opener->running()) return 0;
    for (unsigned long window : findWindows(titlePattern)) {
      // Only a mapped window counts: the toolkit names its window before showing it.
      const CommandResult info = run({"xwininfo", "-id", std::to_string(window)}, 5);
      if (info.out.find("Map State: IsViewable") != std::string::npos) return window;
    }
    sleepSeconds(kPollSeconds);
  } while (secondsSince(start) < timeoutSeconds);
  return 0;
}

std::optional<WindowGeometry> XSession::geometry(unsigned long window) {
  const CommandResult info = run({"xwininfo", "-id", std::to_string(window)}, 5);
  if (info.status != 0) return std::nullopt;
  auto field = [&](const std::string& name) -> std::optional<int> {
    const std::regex pattern(name + R"(:\s*(-?\d+))");
    std::smatch match;
    if (!std::regex_search(info.out, match, pattern)) return std::nullopt;
    return std::stoi(match[1]);
  };
  const auto x = field("Absolute upper-left X");
  const auto y = field("Absolute upper-left Y");
  const auto width = field("Width");
  const auto height = field("Height");
  if (!x || !y || !width || !height) return std::nullopt;
  return WindowGeometry{*x, *y, *width, *height};
}

std::string XSession::property(unsigned long window, const std::string& name) {
  const CommandResult info = run({"xprop", "-id", std::to_string(window), name}, 5);
  if (info.status != 0 || info.out.find("not found") != std::string::npos) return "";
  return info.out;
}

bool XSession::activate(unsigned long window) {
  const std::string id = std::to_string(window);
  const bool activated = run({"xdotool", "windowactivate", "--sync", id}, 5).status == 0;
  return run({"xdotool", "windowfocus", "--sync", id}, 5).status == 0 || activated;
}

bool XSession::key(const std::vector<std::string>& keys) {
  Command command = {"xdotool", "key", "--delay", "40"};
  command.insert(command.end(), keys.begin(), keys.end());
  return run(command, 10).status == 0;
}

bool XSession::click(int x, int y, int button) {
  return run({"xdotool", "mousemove", std::to_string(x), std::to_string(y), "click",
              std::to_string(button)},
             5)
             .status == 0;
}

}  // namespace e2e
