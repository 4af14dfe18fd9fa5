// The text's scale: the command line's choice, the desktop's Xft.dpi read from the X server's
// resources, or the window's height, in that order.
#include "app/text_scale.h"

#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xresource.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/program_options.h"
#include "text/text_display.h"

namespace {

constexpr double kBaseDpi = 96;              // the resolution scale 1 is drawn for
constexpr double kBaseLines = 1080;          // the window height scale 1 is drawn for
constexpr long kMaxResourceWords = 1 << 18;  // read at most 1 MiB of resources

double desktopDpi = 0;  // Xft.dpi; 0 when the desktop sets none

// A positive finite number, perhaps with blanks after it; 0 for anything else.
double positiveNumber(const char* text) {
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  if (end == text) return 0;
  while (*end == ' ' || *end == '\t') ++end;
  return *end == '\0' && std::isfinite(value) && value > 0 ? value : 0;
}

// The rounded ratio, kept within 1..kMaxTextScale before rounding so that no value overflows.
int wholeScale(double ratio) {
  return static_cast<int>(std::lround(std::clamp(ratio, 1.0, double{kMaxTextScale})));
}

}  // namespace

// Read by Xlib's own resource parser, so that comments, continued lines and wildcards count as
// they do for every other program on the desktop.
void useDesktopResources(const char* resources) {
  desktopDpi = 0;
  if (resources == nullptr) return;
  XrmInitialize();
  const XrmDatabase database = XrmGetStringDatabase(resources);
  if (database == nullptr) return;
  char* type = nullptr;
  XrmValue value{};
  if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr != nullptr) {
    desktopDpi = positiveNumber(value.addr);
  }
  XrmDestroyDatabase(database);
}

void readDesktopDpi() {
  desktopDpi = 0;
  Display* display = glXGetCurrentDisplay();
  if (display == nullptr) return;
  // The resources live on the first screen's root window. Read them afresh rather than take the
  // copy Xlib made when the display was opened: a desktop may set them after that.
  Atom type = None;
  int format = 0;
  unsigned long length = 0, left = 0;
  unsigned char* data = nullptr;
  const int status =
      XGetWindowProperty(display, RootWindow(display, 0), XA_RESOURCE_MANAGER, 0, kMaxResourceWords,
                         False, XA_STRING, &type, &format, &length, &left, &data);
  // Xlib ends the data it returns with a zero byte, so it reads as a string.
  if (status == Success && data != nullptr && type == XA_STRING && format == 8) {
    useDesktopResources(reinterpret_cast<const char*>(data));
  }
  if (data != nullptr) XFree(data);
}

void followTextScale(int windowHeight) {
  if (programOptions.textScale > 0) {
    textDisplay.scale = wholeScale(programOptions.textScale);
  } else if (desktopDpi > 0) {
    textDisplay.scale = wholeScale(desktopDpi / kBaseDpi);
  } else {
    textDisplay.scale = wholeScale(windowHeight / kBaseLines);
  }
}
