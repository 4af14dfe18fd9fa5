// What the command line asked for, in one place every part of the program reads, and the
// reading of a window id that --window-id and the screensaver daemon's variable share.
#include "app/program_options.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace {

constexpr unsigned long kLargestWindowId = 0xffffffffUL;

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
