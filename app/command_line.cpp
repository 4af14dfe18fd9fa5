// The command line: Krateon's own options read by the table of app/option_table, their values
// checked against their ranges, the settings the user starts with given to the reset, and the
// rest left for the toolkit; all of it before any display is opened, so it works without an X
// server.
#include "app/command_line.h"

#include <strings.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>

#include "app/option_table.h"
#include "core/settings.h"

namespace {

constexpr int kForeignWindowFramesPerSecond = 60;  // a screensaver sleeps between frames

// The planets by number, as a name is compared: lower case, without spaces.
constexpr const char* kPlanetNames[] = {"moon",    "cloudlayer", "venus",   "earth",    "mars",
                                        "jupiter", "saturn",     "neptune", "neptune2", "pluto"};
constexpr int kPlanetCount = sizeof kPlanetNames / sizeof kPlanetNames[0];
constexpr const char* kDrawingModes[] = {"polygons", "lines", "points"};  // polyMode 0, 1, 2

// A number as the option's kind writes it, within [low, high]: a whole number is digits only,
// a real one decimal digits with a point and an exponent allowed (no hex, inf or nan).
bool parseNumber(const char* text, bool whole, double low, double high, double& number) {
  const bool startsWell =
      std::isdigit(static_cast<unsigned char>(text[0])) || (!whole && text[0] == '.');
  if (!startsWell) return false;
  const char* allowed = whole ? "0123456789" : "0123456789.eE+-";
  if (text[std::strspn(text, allowed)] != '\0') return false;
  char* end = nullptr;
  errno = 0;
  const double value =
      whole ? static_cast<double>(std::strtol(text, &end, 10)) : std::strtod(text, &end);
  if (*end != '\0' || errno != 0) return false;
  if (!(value >= low && value <= high)) return false;
  number = value;
  return true;
}

// One of the ten planets, chosen afresh at every start.
int randomPlanet() {
  std::random_device device;
  return static_cast<int>(device() % kPlanetCount);
}

// A planet's number, its name in any case with or without spaces, hyphens or underscores, or
// random.
bool parsePlanet(const char* text, double& number) {
  char name[16];
  std::size_t length = 0;
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c == ' ' || *c == '-' || *c == '_') continue;
    if (length == sizeof name - 1) return false;
    name[length++] = static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
  }
  name[length] = '\0';
  if (length == 1 && std::isdigit(static_cast<unsigned char>(name[0]))) {
    number = name[0] - '0';
    return true;
  }
  if (std::strcmp(name, "random") == 0) {
    number = randomPlanet();
    return true;
  }
  for (int planet = 0; planet < kPlanetCount; ++planet) {
    if (std::strcmp(name, kPlanetNames[planet]) != 0) continue;
    number = planet;
    return true;
  }
  return false;
}

bool parseDrawingMode(const char* text, double& number) {
  for (int mode = 0; mode < 3; ++mode) {
    if (strcasecmp(text, kDrawingModes[mode]) != 0) continue;
    number = mode;
    return true;
  }
  return false;
}

bool parseValue(const Option& option, const char* text, double& number) {
  switch (option.kind) {
    case kWholeNumber:
    case kRealNumber:
      return parseNumber(text, option.kind == kWholeNumber, option.low, option.high, number);
    case kPlanet:
      return parsePlanet(text, number);
    case kDrawingMode:
      return parseDrawingMode(text, number);
    case kWindowId: {
      unsigned long id = 0;
      if (!parseWindowId(text, id)) return false;
      number = static_cast<double>(id);
      return true;
    }
    case kFile:
      return text[0] != '\0';
    case kNoValue:
      break;
  }
  return true;
}

int applyOption(const Option& option, const char* text) {
  double number = 0;
  if (option.kind != kNoValue && !parseValue(option, text, number)) {
    char accepted[160];
    describeAcceptedValues(option, accepted, sizeof accepted);
    return refuseCommandLine("invalid value '%s' for %s (%s)", text, option.name, accepted);
  }
  if (option.act != nullptr) return option.act(number, text);
  if (option.realSetting != nullptr) setStartValue(option.realSetting, static_cast<float>(number));
  if (option.wholeSetting != nullptr) {
    setStartValue(option.wholeSetting,
                  option.kind == kNoValue ? option.flagValue : static_cast<int>(number));
  }
  return kKeepRunning;
}

// One word of the command line, with its value when it takes one. Returns kKeepRunning, or the
// exit status when the word ends the program. Sets `own` when the word is one of Krateon's.
int readOption(int argc, char** argv, int& i, bool& own) {
  const char* arg = argv[i];
  const char* attached = nullptr;
  const Option* option = findOption(arg, attached);
  own = option != nullptr || (std::strncmp(arg, "--", 2) == 0 && arg[2] != '\0');
  if (option == nullptr) {
    return own ? refuseCommandLine("unrecognized option '%s'", arg) : kKeepRunning;
  }
  if (option->kind == kNoValue) {
    if (attached != nullptr) return refuseCommandLine("option '%s' takes no value", option->name);
    return applyOption(*option, nullptr);
  }
  const char* value = attached;
  if (value == nullptr && i + 1 < argc) value = argv[++i];
  if (value == nullptr) {
    return refuseCommandLine("option '%s' needs %s", option->name, missingValueName(option->kind));
  }
  return applyOption(*option, value);
}

}  // namespace

int readCommandLine(int& argc, char** argv) {
  programOptions = ProgramOptions{};
  clearStartValues();
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
    programOptions.soundOn = programOptions.soundAsked;
    if (programOptions.maxFramesPerSecond == 0) {
      programOptions.maxFramesPerSecond = kForeignWindowFramesPerSecond;
    }
  }
  return kKeepRunning;
}
