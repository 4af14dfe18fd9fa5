// The command line: Krateon's own options, the usage text and the version, and the answers to
// mistakes; all of it before any display is opened, so it works without an X server.
#include "app/command_line.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kKeepRunning = -1;
constexpr int kUsageError = 2;
constexpr int kMinFramesPerSecond = 1;
constexpr int kMaxFramesPerSecond = 1000;
constexpr int kForeignWindowFramesPerSecond = 60;  // a screensaver sleeps between frames
constexpr unsigned long kLargestWindowId = 0xffffffffUL;

bool soundAsked = false;  // --sound was given

// Kept in step with the OPTIONS of docs/krateon.6 and the README.
constexpr const char kUsage[] =
    "Usage: krateon [OPTION]... [TOOLKIT-OPTION]...\n"
    "A planet among the stars, struck by meteors until it shatters; full screen.\n"
    "\n"
    "  -h, --help          show this help and exit\n"
    "      --version       show the version number and exit\n"
    "      --root          draw into the screensaver's window, the one named by the\n"
    "                      XSCREENSAVER_WINDOW environment variable (else the root window)\n"
    "      --window-id ID  draw into the existing X window ID (hex 0x... or decimal)\n"
    "      --max-fps N     draw at most N frames a second, 1 to 1000; without it there is\n"
    "                      no cap, except 60 with --root or --window-id\n"
    "      --sound         play the impact sounds with --root or --window-id too\n"
    "\n"
    "With --root or --window-id Krateon fills that window and follows its size, does not\n"
    "go full screen, move the pointer or hide it, and is silent unless --sound is given;\n"
    "it exits with status 0 on SIGTERM or SIGINT and when the window is destroyed.\n"
    "Toolkit options such as -display HOST:N and -geometry WxH go to freeglut.\n"
    "Press ? in the program for the keys; 'man krateon' tells the rest.\n";

// Whether `arg` is the option `name`, alone or as "name=value".
bool optionNameIs(const char* arg, const char* name) {
  const std::size_t length = std::strlen(name);
  return std::strncmp(arg, name, length) == 0 && (arg[length] == '\0' || arg[length] == '=');
}

int usageError(const char* format, const char* a, const char* b = "") {
  std::fprintf(stderr, "krateon: ");
  std::fprintf(stderr, format, a, b);
  std::fputs("\nTry 'krateon --help'.\n", stderr);
  return kUsageError;
}

bool parseFramesPerSecond(const char* text, int& framesPerSecond) {
  if (!std::isdigit(static_cast<unsigned char>(text[0]))) return false;
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (*end != '\0' || errno != 0) return false;
  if (value < kMinFramesPerSecond || value > kMaxFramesPerSecond) return false;
  framesPerSecond = static_cast<int>(value);
  return true;
}

// The value of an option that takes one: after '=' in the same word or the next word. Advances
// `i` past a separate value. Null when there is none.
const char* optionValue(const char* name, int argc, char** argv, int& i) {
  const char* arg = argv[i];
  const std::size_t length = std::strlen(name);
  if (arg[length] == '=') return arg + length + 1;
  if (i + 1 >= argc) return nullptr;
  return argv[++i];
}

// --root: the daemon names its window in the environment; without it, the screen itself.
int chooseScreensaverWindow() {
  programOptions.foreignWindow = true;
  programOptions.windowId = 0;
  const char* named = std::getenv("XSCREENSAVER_WINDOW");
  if (named == nullptr || named[0] == '\0') return kKeepRunning;
  if (parseWindowId(named, programOptions.windowId)) return kKeepRunning;
  std::fprintf(stderr, "krateon: XSCREENSAVER_WINDOW is not a window id: '%s'\n", named);
  return 1;
}

// One word of the command line, with its value when it takes one. Returns kKeepRunning, or the
// exit status when the word ends the program. Sets `own` when the word is one of Krateon's.
int readOption(int argc, char** argv, int& i, bool& own) {
  const char* arg = argv[i];
  own = true;
  if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (std::strcmp(arg, "--version") == 0) {
    std::printf("krateon %s\n", KRATEON_VERSION);
    return 0;
  }
  if (std::strcmp(arg, "--root") == 0) return chooseScreensaverWindow();
  if (std::strcmp(arg, "--sound") == 0) {
    soundAsked = true;
    return kKeepRunning;
  }
  if (optionNameIs(arg, "--window-id")) {
    const char* value = optionValue("--window-id", argc, argv, i);
    if (value == nullptr) return usageError("option '%s' needs a window id", "--window-id");
    if (!parseWindowId(value, programOptions.windowId)) {
      return usageError("invalid window id '%s' for %s (hex 0x... or decimal)", value,
                        "--window-id");
    }
    programOptions.foreignWindow = true;
    return kKeepRunning;
  }
  if (optionNameIs(arg, "--max-fps")) {
    const char* value = optionValue("--max-fps", argc, argv, i);
    if (value == nullptr) return usageError("option '%s' needs a number", "--max-fps");
    if (!parseFramesPerSecond(value, programOptions.maxFramesPerSecond)) {
      return usageError("invalid value '%s' for %s (a whole number from 1 to 1000)", value,
                        "--max-fps");
    }
    return kKeepRunning;
  }
  if (optionNameIs(arg, "--text-scale")) {
    const char* value = optionValue("--text-scale", argc, argv, i);
    if (value == nullptr) return usageError("option '%s' needs a number", "--text-scale");
    if (value[0] < '1' || value[0] > '8' || value[1] != '\0') {
      return usageError("invalid value '%s' for %s (a whole number from 1 to 8)", value,
                        "--text-scale");
    }
    programOptions.textScale = value[0] - '0';
    return kKeepRunning;
  }
  if (optionNameIs(arg, "--image")) {
    const char* value = optionValue("--image", argc, argv, i);
    if (value == nullptr || value[0] == '\0') {
      return usageError("option '%s' needs a file name", "--image");
    }
    static_assert(kMaxImageFiles == 32, "the message below names the limit");
    if (programOptions.imageFileCount >= kMaxImageFiles) {
      return usageError("option '%s' may be given at most %s times", "--image", "32");
    }
    programOptions.imageFiles[programOptions.imageFileCount++] = value;
    return kKeepRunning;
  }
  if (std::strncmp(arg, "--", 2) == 0 && arg[2] != '\0') {
    return usageError("unrecognized option '%s'", arg);
  }
  own = false;
  return kKeepRunning;
}

}  // namespace

ProgramOptions programOptions;

bool parseWindowId(const char* text, unsigned long& id) {
  const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const char* digits = hex ? text + 2 : text;
  const int firstDigit = static_cast<unsigned char>(digits[0]);
  if (hex ? !std::isxdigit(firstDigit) : !std::isdigit(firstDigit)) return false;
  char* end = nullptr;
  errno = 0;
  const unsigned long value = std::strtoul(digits, &end, hex ? 16 : 10);
  if (*end != '\0' || errno != 0 || value == 0 || value > kLargestWindowId) return false;
  id = value;
  return true;
}

int readCommandLine(int& argc, char** argv) {
  int kept = 1;
  int i = 1;
  for (; i < argc; ++i) {
    if (std::strcmp(argv[i], "--") == 0) break;  // the rest is the toolkit's
    bool own = false;
    const int status = readOption(argc, argv, i, own);
    if (status != kKeepRunning) return status;
    if (own) continue;
    if (std::strcmp(argv[i], "-display") == 0 && i + 1 < argc) {
      programOptions.displayName = argv[i + 1];
      argv[kept++] = argv[i++];
    }
    argv[kept++] = argv[i];
  }
  for (++i; i < argc; ++i) argv[kept++] = argv[i];
  argc = kept;
  argv[argc] = nullptr;
  if (programOptions.foreignWindow) {
    programOptions.soundOn = soundAsked;
    if (programOptions.maxFramesPerSecond == 0) {
      programOptions.maxFramesPerSecond = kForeignWindowFramesPerSecond;
    }
  }
  return kKeepRunning;
}
