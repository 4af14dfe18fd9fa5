// Drawing into a window another program owns: an OpenGL context on the window's own visual,
// its size followed through ConfigureNotify, and a loop that sleeps between capped frames; it
// ends at once on SIGTERM or SIGINT and quietly when the window is destroyed (how a screensaver
// daemon stops it).
#include "app/foreign_window.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>

#include "app/frame_pacing.h"
#include "app/program_options.h"
#include "app/startup.h"

namespace {

int foreignWindowWidth = 0;  // pixels, as the window system last reported; 0 until open
int foreignWindowHeight = 0;
Display* display = nullptr;
Window window = 0;
GLXContext context = nullptr;
bool windowGone = false;  // destroyed, or drawing into it failed

// A daemon that stops its screensaver wants the screen back now, not after the frame being drawn
// and an orderly release: the process ends on the spot, and the X server and the system free the
// window's context, the textures and the sound device with it. _exit is safe in a handler.
void stopNow(int) {
  _exit(0);
}

void catchStopSignals() {
  struct sigaction action {};
  action.sa_handler = stopNow;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

// Once the owner destroys the window, drawing into it fails with errors about it; they end the
// program as quietly as the DestroyNotify that may not have arrived yet.
int noteXError(Display*, XErrorEvent* error) {
  if (error->resourceid == window) windowGone = true;
  return 0;
}

bool glxSays(XVisualInfo* visual, int attribute) {
  int value = 0;
  return glXGetConfig(display, visual, attribute, &value) == 0 && value != 0;
}

// A context on the window's own visual: the owner chose it (a screensaver daemon picks one fit
// for OpenGL), and a window can only be drawn with a context of its visual.
bool createContext(const XWindowAttributes& attributes) {
  if (attributes.c_class == InputOnly) {
    std::fprintf(stderr, "krateon: window 0x%lx cannot show OpenGL: it is input-only\n", window);
    return false;
  }
  XVisualInfo wanted{};
  wanted.visualid = XVisualIDFromVisual(attributes.visual);
  wanted.screen = XScreenNumberOfScreen(attributes.screen);
  int count = 0;
  XVisualInfo* visual = XGetVisualInfo(display, VisualIDMask | VisualScreenMask, &wanted, &count);
  if (visual != nullptr && glxSays(visual, GLX_USE_GL) && glxSays(visual, GLX_RGBA) &&
      glxSays(visual, GLX_DOUBLEBUFFER) && glxSays(visual, GLX_DEPTH_SIZE)) {
    context = glXCreateContext(display, visual, nullptr, True);
  }
  if (visual != nullptr) XFree(visual);
  if (context != nullptr && glXMakeCurrent(display, window, context)) return true;
  std::fprintf(stderr,
               "krateon: window 0x%lx cannot show OpenGL: its visual 0x%lx has no "
               "double-buffered RGBA with a depth buffer\n",
               window, wanted.visualid);
  return false;
}

bool openWindow() {
  display = XOpenDisplay(programOptions.displayName);
  if (display == nullptr) {
    const char* name = XDisplayName(programOptions.displayName);
    if (name[0] == '\0') name = "(DISPLAY is not set)";
    std::fprintf(stderr, "krateon: cannot open the X display %s\n", name);
    return false;
  }
  XSetErrorHandler(noteXError);
  window = programOptions.windowId != 0 ? programOptions.windowId : DefaultRootWindow(display);
  XWindowAttributes attributes{};
  if (!XGetWindowAttributes(display, window, &attributes)) {
    std::fprintf(stderr, "krateon: there is no window 0x%lx on display %s\n", window,
                 DisplayString(display));
    return false;
  }
  if (!createContext(attributes)) return false;
  XSelectInput(display, window, StructureNotifyMask);  // its size and its end
  foreignWindowWidth = attributes.width;
  foreignWindowHeight = attributes.height;
  return true;
}

void closeWindow() {
  if (display == nullptr) return;
  if (context != nullptr) {
    glXMakeCurrent(display, None, nullptr);
    glXDestroyContext(display, context);
  }
  XCloseDisplay(display);
  display = nullptr;
}

void followWindowEvents() {
  while (!windowGone && XPending(display) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == ConfigureNotify && event.xconfigure.window == window) {
      foreignWindowWidth = event.xconfigure.width;
      foreignWindowHeight = event.xconfigure.height;
      onReshape(foreignWindowWidth, foreignWindowHeight);
    } else if (event.type == DestroyNotify && event.xdestroywindow.window == window) {
      windowGone = true;
    }
  }
}

// Follows the window's events until the next frame is due or the window is gone.
void waitForNextFrame() {
  pollfd connection{ConnectionNumber(display), POLLIN, 0};
  followWindowEvents();
  for (double wait = secondsUntilNextFrame(); wait > 0 && !windowGone;
       wait = secondsUntilNextFrame()) {
    poll(&connection, 1, static_cast<int>(std::ceil(wait * 1000)));
    followWindowEvents();
  }
}

// Milliseconds since the first call (the foreign window's elapsed time).
int foreignElapsedMs() {
  static const double start = monotonicSeconds();
  return static_cast<int>((monotonicSeconds() - start) * 1000.0);
}

void swapForeignWindow() {
  glXSwapBuffers(display, window);
}

// A foreign window belongs to its owner: its size, the pointer and the cursor stay theirs.
void ownerKeepsScreen() {}
void ownerKeepsSize(int, int) {}
void ownerKeepsPointer(int, int) {}
void ownerKeepsCursor(int) {}

}  // namespace

const WindowHost foreignWindowHost = {
    true,           foreignElapsedMs,  swapForeignWindow, ownerKeepsScreen,
    ownerKeepsSize, ownerKeepsPointer, ownerKeepsCursor};

int runInForeignWindow() {
  catchStopSignals();
  if (!openWindow()) {
    closeWindow();
    return 1;
  }
  onReshape(foreignWindowWidth, foreignWindowHeight);
  if (!initScene()) {
    std::fputs("App cannot initialize.\n", stdout);
    closeWindow();
    return 1;
  }
  while (!windowGone) {
    showNextFrame();
    waitForNextFrame();
  }
  shutdownScene();
  closeWindow();
  return 0;
}
