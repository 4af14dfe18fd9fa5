// Krateon's options in one table: each one's name, the kind of value it takes and the range of
// that value, the setting it starts (or what else it does), and its entry in the usage text.
#pragma once

#include <cstddef>

#include "core/settings.h"

constexpr int kKeepRunning = -1;  // an option's action, when the program goes on
constexpr int kUsageError = 2;    // the exit status of a mistake on the command line

// How an option's value is written.
enum ValueKind { kNoValue, kWholeNumber, kRealNumber, kPlanet, kDrawingMode, kWindowId, kFile };

// One option: its name, its value and the range that value may take, the setting whose start
// value it gives (or what else it does), and its line in the usage text. A row without a name
// is a heading of the usage text.
struct Option {
  const char* name = nullptr;       // "--facets"
  const char* shortName = nullptr;  // "-h"
  const char* valueName = nullptr;  // "N" in the usage text; null for an option without a value
  ValueKind kind = kNoValue;
  double low = 0, high = 0;                     // the range of a number
  int SceneSettings::*wholeSetting = nullptr;   // the start value it gives: the number read, or
  float SceneSettings::*realSetting = nullptr;  // flagValue for an option without a value
  int flagValue = 0;
  int (*act)(double number, const char* text) = nullptr;  // or this: kKeepRunning or exit status
  const char* description = "";                           // for the usage text, followed by
  const char* defaultText = nullptr;  // ... the range of a number and this default,
  const char* keys = nullptr;         // ... and the keys that change the setting
};

// The option that `arg` names, alone or (a long name) as "--name=value"; null when none does.
// Sets `attached` to the value after '=', or null.
const Option* findOption(const char* arg, const char*& attached);

// What a missing value of this kind is called: "a number".
const char* missingValueName(ValueKind kind);

// Writes the values `option` accepts as a refusal names them ("a whole number from 3 to 40"),
// cut to `size` bytes.
void describeAcceptedValues(const Option& option, char* text, std::size_t size);

// On stderr: "krateon: ", the printf-formatted message, a line end, "Try 'krateon --help'.".
// Returns kUsageError.
int refuseCommandLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
