// Krateon's options: the table itself, what the options that are no setting do, and the usage
// text that --help prints from the table.
#include "app/option_table.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/program_options.h"

namespace {

constexpr int kUsageColumn = 22;  // where the descriptions start in the usage text
constexpr int kUsageWidth = 79;   // the usage text's longest line

// Per kind of value: what a missing one is called, and the range a wrong one is told (with the
// option's lowest and highest number for %g).
struct ValueKindText {
  const char* noun;
  const char* accepted;
};

constexpr ValueKindText kValueKindTexts[] = {
    {"", ""},
    {"a number", "a whole number from %g to %g"},
    {"a number", "a number from %g to %g"},
    {"a planet",
     "0 to 9, random, or moon, cloud layer, venus, earth, mars, jupiter, saturn, neptune, "
     "neptune 2, pluto"},
    {"a drawing mode", "polygons, lines or points"},
    {"a window id", "hex 0x... or decimal, not 0"},
    {"a file name", "a file name"},
};

int showVersion(double, const char*) {
  std::printf("krateon %s\n", KRATEON_VERSION);
  return 0;
}

// --root: the daemon names its window in the environment; without it, the screen itself.
int chooseScreensaverWindow(double, const char*) {
  programOptions.foreignWindow = true;
  programOptions.windowId = 0;
  const char* named = std::getenv("XSCREENSAVER_WINDOW");
  if (named == nullptr || named[0] == '\0') return kKeepRunning;
  if (parseWindowId(named, programOptions.windowId)) return kKeepRunning;
  std::fprintf(stderr, "krateon: XSCREENSAVER_WINDOW is not a window id: '%s'\n", named);
  return 1;
}

int chooseWindow(double id, const char*) {
  programOptions.foreignWindow = true;
  programOptions.windowId = static_cast<unsigned long>(id);
  return kKeepRunning;
}

int capFrameRate(double framesPerSecond, const char*) {
  programOptions.maxFramesPerSecond = static_cast<int>(framesPerSecond);
  return kKeepRunning;
}

int askForSound(double, const char*) {
  programOptions.soundAsked = true;
  return kKeepRunning;
}

int startWindowed(double, const char*) {
  programOptions.startWindowed = true;
  return kKeepRunning;
}

int addImageFile(double, const char* file) {
  if (programOptions.imageFileCount == kMaxImageFiles) {
    return refuseCommandLine("too many --image files (at most %d)", kMaxImageFiles);
  }
  programOptions.imageFiles[programOptions.imageFileCount++] = file;
  return kKeepRunning;
}

int scaleText(double scale, const char*) {
  programOptions.textScale = static_cast<int>(scale);
  return kKeepRunning;
}

int showUsage(double, const char*);  // prints the table below

// Every option, in the order of the usage text. The speed factors take two orders of magnitude
// each way, about 44 key presses: slower, the motion stands still to the eye; faster, a blur.
// Size and distance run from a speck to a planet that fills the view from any distance.
constexpr Option kOptions[] = {
    {.name = "--help",
     .shortName = "-h",
     .act = showUsage,
     .description = "show this help and exit"},
    {.name = "--version", .act = showVersion, .description = "show the version number and exit"},
    {.name = "--window",
     .act = startWindowed,
     .description = "start in a 512 x 512 window, not full screen",
     .keys = "key f"},
    {.description = "Screensaver mode:"},
    {.name = "--root",
     .act = chooseScreensaverWindow,
     .description = "draw into the screensaver's window, the one named by the XSCREENSAVER_WINDOW "
                    "environment variable (else the root window)"},
    {.name = "--window-id",
     .valueName = "ID",
     .kind = kWindowId,
     .act = chooseWindow,
     .description = "draw into the existing X window ID (hex 0x... or decimal)"},
    {.name = "--max-fps",
     .valueName = "N",
     .kind = kWholeNumber,
     .low = 1,
     .high = 1000,
     .act = capFrameRate,
     .description = "draw at most N frames a second",
     .defaultText = "60 with --root or --window-id, else no cap"},
    {.name = "--sound",
     .act = askForSound,
     .description = "play the impact sounds with --root or --window-id too"},
    {.description = "The picture to start with, which the key r returns to:"},
    {.name = "--planet",
     .valueName = "NAME",
     .kind = kPlanet,
     .wholeSetting = &SceneSettings::planetImage,
     .description = "the first planet: 0 to 9, random, or its name: moon, cloud layer, venus, "
                    "earth, mars, jupiter, saturn, neptune, neptune 2, pluto",
     .defaultText = "earth",
     .keys = "keys 0-9, i"},
    {.name = "--image",
     .valueName = "FILE",
     .kind = kFile,
     .act = addImageFile,
     .description = "show the picture FILE as a planet in place of the ten built-in ones; "
                    "again for more, up to 32, shown in turn"},
    {.name = "--facets",
     .valueName = "N",
     .kind = kWholeNumber,
     .low = 3,
     .high = 40,
     .wholeSetting = &SceneSettings::tessellation,
     .description = "facets around the planet",
     .defaultText = "30",
     .keys = "keys < >"},
    {.name = "--size",
     .valueName = "X",
     .kind = kRealNumber,
     .low = 0.1,
     .high = 10,
     .realSetting = &SceneSettings::objectSize,
     .description = "planet size",
     .defaultText = "1",
     .keys = "keys [ ]"},
    {.name = "--distance",
     .valueName = "X",
     .kind = kRealNumber,
     .low = 0.1,
     .high = 10,
     .realSetting = &SceneSettings::cameraZ,
     .description = "camera distance from the planet's centre",
     .defaultText = "0.35",
     .keys = "keys { }"},
    {.name = "--fov",
     .valueName = "DEGREES",
     .kind = kWholeNumber,
     .low = 1,
     .high = 179,
     .wholeSetting = &SceneSettings::fieldOfView,
     .description = "field of view",
     .defaultText = "70",
     .keys = "keys , ."},
    {.name = "--letterbox",
     .valueName = "N",
     .kind = kWholeNumber,
     .low = 0,
     .high = 6,
     .wholeSetting = &SceneSettings::letterbox,
     .description = "black bars of N times 5 % of the height at the top and bottom",
     .defaultText = "0",
     .keys = "key l"},
    {.name = "--speed",
     .valueName = "X",
     .kind = kRealNumber,
     .low = 0.01,
     .high = 100,
     .realSetting = &SceneSettings::mainSpeed,
     .description = "speed of the slow motions: trembling, meteor tumble, colour cycling, "
                    "flying pieces",
     .defaultText = "1",
     .keys = "keys PageUp PageDown"},
    {.name = "--spin",
     .valueName = "X",
     .kind = kRealNumber,
     .low = 0.01,
     .high = 100,
     .realSetting = &SceneSettings::rotateSpeed,
     .description = "speed of the camera's turning",
     .defaultText = "1",
     .keys = "keys - ="},
    {.name = "--sway",
     .valueName = "X",
     .kind = kRealNumber,
     .low = 0.01,
     .high = 100,
     .realSetting = &SceneSettings::movementSpeed,
     .description = "speed of the camera's sway",
     .defaultText = "1",
     .keys = "keys _ +"},
    {.name = "--sun-speed",
     .valueName = "X",
     .kind = kRealNumber,
     .low = 0.01,
     .high = 100,
     .realSetting = &SceneSettings::lightRotateSpeed,
     .description = "the light rotation value, which the picture does not show",
     .defaultText = "1",
     .keys = "keys ( )"},
    {.name = "--draw",
     .valueName = "MODE",
     .kind = kDrawingMode,
     .wholeSetting = &SceneSettings::polyMode,
     .description = "draw polygons, lines or points",
     .defaultText = "polygons",
     .keys = "key w"},
    {.name = "--no-stars",
     .wholeSetting = &SceneSettings::universeOn,
     .flagValue = 0,
     .description = "no stars",
     .keys = "key u"},
    {.name = "--no-light",
     .wholeSetting = &SceneSettings::spotlightsOn,
     .flagValue = 0,
     .description = "the planet without the sun's shading",
     .keys = "key s"},
    {.name = "--hyperspace",
     .wholeSetting = &SceneSettings::clearEachFrame,
     .flagValue = 0,
     .description = "never clear the screen, so that everything leaves trails",
     .keys = "key Space"},
    {.name = "--fps",
     .wholeSetting = &SceneSettings::fpsClockOn,
     .flagValue = 1,
     .description = "show the frames-per-second line",
     .keys = "key c"},
    {.name = "--no-sound",
     .wholeSetting = &SceneSettings::impactSoundOn,
     .flagValue = 0,
     .description = "impact sounds off in Krateon's own window",
     .keys = "key o"},
    {.name = "--text-scale",
     .valueName = "N",
     .kind = kWholeNumber,
     .low = 1,
     .high = 8,
     .act = scaleText,
     .description = "letters N times their size",
     .defaultText = "from the desktop's Xft.dpi, else the screen height"},
};

constexpr const char kUsageStart[] =
    "Usage: krateon [OPTION]... [TOOLKIT-OPTION]...\n"
    "A planet among the stars, struck by meteors until it shatters; full screen.\n"
    "\n";
constexpr const char kUsageEnd[] =
    "\n"
    "With --root or --window-id Krateon fills that window and follows its size, does\n"
    "not go full screen, move the pointer or hide it, and is silent unless --sound\n"
    "is given; it exits with status 0 on SIGTERM or SIGINT and when the window is\n"
    "destroyed.\n"
    "Toolkit options such as -display HOST:N and -geometry WxH go to freeglut.\n"
    "Press ? in the program for the keys; 'man krateon' tells the rest.\n";

// The length of the unit of text that starts at `text`: a word, with the words of one or two
// characters that follow it ("keys < >"), which a line break would leave stranded.
std::size_t unbreakableLength(const char* text) {
  std::size_t length = std::strcspn(text, " ");
  for (;;) {
    const std::size_t next = std::strcspn(text + length + 1, " ");
    if (text[length] != ' ' || next == 0 || next > 2) return length;
    length += 1 + next;
  }
}

// Prints `text` from `column` on, broken between words before kUsageWidth, each further line
// indented to kUsageColumn.
void printWrapped(const char* text, int column) {
  while (*text != '\0') {
    const std::size_t word = unbreakableLength(text);
    if (column > kUsageColumn && column + 1 + static_cast<int>(word) > kUsageWidth) {
      std::printf("\n%*s", kUsageColumn, "");
      column = kUsageColumn;
    } else if (column > kUsageColumn) {
      std::putchar(' ');
      ++column;
    }
    std::printf("%.*s", static_cast<int>(word), text);
    column += static_cast<int>(word);
    text += word;
    while (*text == ' ') ++text;
  }
  std::putchar('\n');
}

void printOption(const Option& option) {
  char left[48];
  std::snprintf(left, sizeof left, "  %s%s%s%s", option.shortName ? option.shortName : "",
                option.shortName ? ", " : "    ", option.name, option.valueName ? " " : "");
  std::printf("%s%s", left, option.valueName ? option.valueName : "");
  const int width = static_cast<int>(std::strlen(left)) +
                    static_cast<int>(std::strlen(option.valueName ? option.valueName : ""));
  std::printf("%*s", width < kUsageColumn ? kUsageColumn - width : 1, "");
  // The description, then in brackets the range of a number with its default, and the keys.
  char brackets[160] = "";
  const bool number = option.kind == kWholeNumber || option.kind == kRealNumber;
  if (number) {
    std::snprintf(brackets, sizeof brackets, "%g to %g, default %s", option.low, option.high,
                  option.defaultText);
  } else if (option.defaultText != nullptr) {
    std::snprintf(brackets, sizeof brackets, "default %s", option.defaultText);
  }
  const bool both = brackets[0] != '\0' && option.keys != nullptr;
  const char* keys = option.keys != nullptr ? option.keys : "";
  char description[400];
  if (brackets[0] == '\0' && keys[0] == '\0') {
    std::snprintf(description, sizeof description, "%s", option.description);
  } else {
    std::snprintf(description, sizeof description, "%s (%s%s%s)", option.description, brackets,
                  both ? "; " : "", keys);
  }
  printWrapped(description, width < kUsageColumn ? kUsageColumn : width + 1);
}

// --help: the usage text, its options' entries made from the table.
int showUsage(double, const char*) {
  std::fputs(kUsageStart, stdout);
  for (const Option& option : kOptions) {
    if (option.name == nullptr) {
      std::printf("\n%s\n", option.description);
    } else {
      printOption(option);
    }
  }
  std::fputs(kUsageEnd, stdout);
  return 0;
}

}  // namespace

const Option* findOption(const char* arg, const char*& attached) {
  attached = nullptr;
  for (const Option& option : kOptions) {
    if (option.name == nullptr) continue;
    if (option.shortName != nullptr && std::strcmp(arg, option.shortName) == 0) return &option;
    const std::size_t length = std::strlen(option.name);
    if (std::strncmp(arg, option.name, length) != 0) continue;
    if (arg[length] == '=') attached = arg + length + 1;
    if (arg[length] == '=' || arg[length] == '\0') return &option;
  }
  return nullptr;
}

const char* missingValueName(ValueKind kind) {
  return kValueKindTexts[kind].noun;
}

void describeAcceptedValues(const Option& option, char* text, std::size_t size) {
  std::snprintf(text, size, kValueKindTexts[option.kind].accepted, option.low, option.high);
}

int refuseCommandLine(const char* format, ...) {
  std::fputs("krateon: ", stderr);
  va_list arguments;
  va_start(arguments, format);
  std::vfprintf(stderr, format, arguments);
  va_end(arguments);
  std::fputs("\nTry 'krateon --help'.\n", stderr);
  return kUsageError;
}
