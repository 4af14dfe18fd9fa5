// The command line: every option's accepted values and bounds, the settings a reset then gives;
// values out of range or malformed refused (the option and range named, the hint, status 2).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "core/settings.h"

namespace {

#define READ(expression) [] { return static_cast<double>(expression); }

const SceneSettings& s = sceneSettings;
const ProgramOptions& o = programOptions;

struct Outcome {
  int status;
  std::string error;  // what stderr got
  std::string kept;   // the words left for the toolkit, each after a '|'
};

// Runs readCommandLine on "krateon" and the words of `line`, split at '|', then the reset's
// restoreDefaults. The words stay until the next run: the options point into them.
Outcome run(const std::string& line) {
  static std::vector<std::string> words;
  words.clear();
  for (std::size_t at = 0, end = 0; !line.empty() && end != std::string::npos; at = end + 1) {
    end = line.find('|', at);
    words.push_back(line.substr(at, end - at));
  }
  std::vector<char*> argv{const_cast<char*>("krateon")};
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  int argc = static_cast<int>(argv.size()) - 1;
  testing::internal::CaptureStderr();
  Outcome outcome{readCommandLine(argc, argv.data()), testing::internal::GetCapturedStderr(), ""};
  for (int i = 1; i < argc; ++i) outcome.kept += std::string("|") + argv[i];
  restoreDefaults(sceneSettings);
  return outcome;
}

// Every field of the settings, in order.
std::string settingsText() {
  char text[400];
  std::snprintf(text, sizeof text,
                "fov %d, letterbox %d, facets %d, stars %d, clear %d, light %d, draw %d, "
                "camera %d, sound %d, planet %d, fps %d, spin %g, sway %g, distance %g, size %g, "
                "speed %g, home/end %g, sun %g",
                s.fieldOfView, s.letterbox, s.tessellation, s.universeOn, s.clearEachFrame,
                s.spotlightsOn, s.polyMode, s.cameraMode, s.impactSoundOn, s.planetImage,
                s.fpsClockOn, s.rotateSpeed, s.movementSpeed, s.cameraZ, s.objectSize, s.mainSpeed,
                s.homeEndSpeed, s.lightRotateSpeed);
  return text;
}

std::string refusal(const std::string& line) {
  return "krateon: " + line + "\nTry 'krateon --help'.\n";
}

// The numeric options: the bounds as a user writes them, values just outside, the range named.
struct NumberRow {
  std::string name, low, high, below, above, range;
  double (*read)();
};

const NumberRow kNumbers[] = {
    {"--facets", "3", "40", "2", "41", "a whole number from 3 to 40", READ(s.tessellation)},
    {"--fov", "1", "179", "0", "180", "a whole number from 1 to 179", READ(s.fieldOfView)},
    {"--letterbox", "0", "6", "-1", "7", "a whole number from 0 to 6", READ(s.letterbox)},
    {"--size", "0.1", "10", "0.0999", "10.001", "a number from 0.1 to 10", READ(s.objectSize)},
    {"--distance", ".1", "1e1", "0.09", "11", "a number from 0.1 to 10", READ(s.cameraZ)},
    {"--speed", "0.01", "100", "0.009", "100.5", "a number from 0.01 to 100", READ(s.mainSpeed)},
    {"--spin", "0.01", "100.0", "0", "1e3", "a number from 0.01 to 100", READ(s.rotateSpeed)},
    {"--sway", "1e-2", "100", "0.001", "101", "a number from 0.01 to 100", READ(s.movementSpeed)},
    {"--sun-speed", "0.010", "100", "-1", "200", "a number from 0.01 to 100",
     READ(s.lightRotateSpeed)},
    {"--max-fps", "1", "1000", "0", "1001", "a whole number from 1 to 1000",
     READ(o.maxFramesPerSecond)},
    {"--text-scale", "1", "8", "0", "9", "a whole number from 1 to 8", READ(o.textScale)},
};

TEST(CommandLine, NumbersAreTakenWithinTheirRangeAndRefusedOutsideIt) {
  for (const NumberRow& row : kNumbers) {
    SCOPED_TRACE(row.name);
    for (const auto& [line, value] : {std::pair{row.name + "|" + row.low, row.low},
                                      std::pair{row.name + "=" + row.high, row.high}}) {
      const Outcome outcome = run(line);
      EXPECT_EQ(outcome.status, -1) << outcome.error;
      EXPECT_EQ(row.read(), static_cast<float>(std::atof(value.c_str()))) << value;
    }
    std::vector<std::string> refused{row.below, row.above, "",     "x",     "3x", " 3",
                                     "nan",     "inf",     "0x10", "1e999", "+5"};
    if (row.range.starts_with("a whole")) refused.push_back("5.0");
    for (const std::string& value : refused) {
      const Outcome outcome = run(row.name + "|" + value);
      EXPECT_EQ(outcome.status, 2) << value;
      EXPECT_EQ(outcome.error,
                refusal("invalid value '" + value + "' for " + row.name + " (" + row.range + ")"));
    }
    EXPECT_EQ(run(row.name).error, refusal("option '" + row.name + "' needs a number"));
  }
}

// Words, flags and the rest: a command line, its status, the refusal's line, one value it sets.
struct Row {
  std::string line;
  int status;
  std::string error;
  double (*read)() = nullptr;
  double expected = 0;
};

const std::string kPlanets =
    "(0 to 9, random, or moon, cloud layer, venus, earth, mars, jupiter, saturn, neptune, "
    "neptune 2, pluto)";
const std::string kWindowIds = "(hex 0x... or decimal, not 0)";

const Row kRows[] = {
    {"--planet|mars", -1, "", READ(s.planetImage), 4},
    {"--planet=Neptune 2", -1, "", READ(s.planetImage), 8},
    {"--planet|NEPTUNE2", -1, "", READ(s.planetImage), 8},
    {"--planet|cloud-layer", -1, "", READ(s.planetImage), 1},
    {"--planet|0", -1, "", READ(s.planetImage), 0},
    {"--planet|9", -1, "", READ(s.planetImage), 9},
    {"--planet|10", 2, "invalid value '10' for --planet " + kPlanets},
    {"--planet|earthling", 2, "invalid value 'earthling' for --planet " + kPlanets},
    {"--planet", 2, "option '--planet' needs a planet"},
    {"--draw|lines", -1, "", READ(s.polyMode), 1},
    {"--draw|Polygons", -1, "", READ(s.polyMode), 0},
    {"--draw=POINTS", -1, "", READ(s.polyMode), 2},
    {"--draw|line", 2, "invalid value 'line' for --draw (polygons, lines or points)"},
    {"--draw", 2, "option '--draw' needs a drawing mode"},
    {"--fps=1", 2, "option '--fps' takes no value"},
    {"--window", -1, "", READ(o.startWindowed), 1},
    {"--windows", 2, "unrecognized option '--windows'"},
    {"--facets|5|--facets=6", -1, "", READ(s.tessellation), 6},
    {"--window-id|0x1c00005", -1, "", READ(o.windowId), 0x1c00005},
    {"--window-id=4194305|--sound", -1, "", READ(o.soundOn), 1},
    {"--window-id|4194305", -1, "", READ(o.soundOn + 2 * o.maxFramesPerSecond), 120},
    {"--root", -1, "", READ(o.foreignWindow + 2 * o.windowId), 1},
    {"", -1, "", READ(o.soundOn + 2 * o.maxFramesPerSecond), 1},
    {"--window-id|0x", 2, "invalid value '0x' for --window-id " + kWindowIds},
    {"--window-id|0x100000000", 2, "invalid value '0x100000000' for --window-id " + kWindowIds},
    {"--window-id|0", 2, "invalid value '0' for --window-id " + kWindowIds},
    {"--window-id", 2, "option '--window-id' needs a window id"},
    {"--image|a.png|--image=b.jpg", -1, "", READ(o.imageFileCount), 2},
    {"--image=", 2, "invalid value '' for --image (a file name)"},
    {"--image", 2, "option '--image' needs a file name"},
    {"--root|--help-me|--help", 2, "unrecognized option '--help-me'"},
};

TEST(CommandLine, WordsFlagsRandomPlanetsAndTheImageLimit) {
  for (const Row& row : kRows) {
    SCOPED_TRACE("krateon " + row.line);
    const Outcome outcome = run(row.line);
    EXPECT_EQ(outcome.status, row.status);
    EXPECT_EQ(outcome.error, row.error.empty() ? "" : refusal(row.error));
    EXPECT_EQ(row.read ? row.read() : row.expected, row.expected);
  }
  // random: one of the ten, not always the same one; 32 images are taken, one more is refused.
  std::set<int> seen;
  for (int i = 0; i < 100; ++i)
    seen.insert(run("--planet|Random").status == -1 ? s.planetImage : -1);
  EXPECT_TRUE(*seen.begin() >= 0 && *seen.rbegin() <= 9 && seen.size() >= 5) << seen.size();
  std::string images = "--image=0";
  for (int i = 1; i < 32; ++i) images += "|--image=" + std::to_string(i);
  ASSERT_EQ(run(images).status, -1);
  EXPECT_STREQ(o.imageFiles[31], "31");
  EXPECT_EQ(run(images + "|--image=32").error, refusal("too many --image files (at most 32)"));
}

// All setting options give the reset values, the toolkit the other words ("--" ends ours).
TEST(CommandLine, SettingsGivenBecomeTheResetValues) {
  const Outcome outcome =
      run("-display|:5|--planet|jupiter|--facets|12|--size|2.5|--distance|0.8|--fov|40|"
          "--letterbox=3|--speed|0.5|--spin|2|--sway|3|--sun-speed|4|--draw|lines|--no-stars|"
          "--no-light|--hyperspace|--fps|--no-sound|-geometry|10x10|--|--fps");
  ASSERT_EQ(outcome.status, -1) << outcome.error;
  EXPECT_EQ(outcome.kept, "|-display|:5|-geometry|10x10|--fps");
  EXPECT_STREQ(o.displayName, ":5");
  EXPECT_EQ(settingsText(),
            "fov 40, letterbox 3, facets 12, stars 0, clear 0, light 0, draw 1, camera 0, "
            "sound 0, planet 5, fps 1, spin 2, sway 3, distance 0.8, size 2.5, speed 0.5, "
            "home/end 1, sun 4");
  run("");
  EXPECT_EQ(settingsText(),
            "fov 70, letterbox 0, facets 30, stars 1, clear 1, light 1, draw 0, camera 0, "
            "sound 1, planet 3, fps 0, spin 1, sway 1, distance 0.35, size 1, speed 1, "
            "home/end 1, sun 1");
}

}  // namespace
