// The command line: Krateon's own GNU-style options, read before any display is opened.
// Everything else on it (-display, -geometry, ...) is left for the window toolkit.
#pragma once

constexpr int kMaxImageFiles = 32;  // --image may be given this many times

// What the command line asked for. Written once by readCommandLine, read at start-up. The scene
// settings it names (--facets, --no-stars, ...) go to the start values of core/settings instead,
// so that every reset returns to them.
struct ProgramOptions {
  bool foreignWindow = false;  // --root or --window-id: draw into a window another program owns
  unsigned long windowId = 0;  // that window; 0 with --root and no XSCREENSAVER_WINDOW: the root
  bool soundOn = true;         // false in a foreign window unless --sound
  bool soundAsked = false;     // --sound was given
  int maxFramesPerSecond = 0;  // 1..1000; 0: no cap
  const char* displayName = nullptr;  // the toolkit's -display value, also for a foreign window
  const char* imageFiles[kMaxImageFiles] = {};  // --image: the user's planet maps, in order
  int imageFileCount = 0;                       // none: the ten built-in planets
  int textScale = 0;  // --text-scale 1..8; 0: from the desktop's Xft.dpi, else the window height
  bool startWindowed = false;  // --window: Krateon's own window starts 512 x 512, not full screen
};

extern ProgramOptions programOptions;

// Reads the options in argv[1..argc-1], in order, into programOptions and the settings' start
// values (both cleared first; of an option given twice the last counts) and removes Krateon's
// own from argv, so that argc and argv keep only what the toolkit understands. Returns -1 when the
// program should go on, otherwise the exit status after everything has been printed:
//   0 after --help or -h (usage on stdout) or --version ("krateon VERSION" on stdout);
//   2 for an unknown --option, a value missing, malformed or out of its range, a value given to
//     an option that takes none, or one --image too many (two lines on stderr: what is wrong,
//     with the accepted range, then "Try 'krateon --help'.");
//   1 when --root finds a malformed XSCREENSAVER_WINDOW (one line on stderr).
int readCommandLine(int& argc, char** argv);

// Reads a window id: hexadecimal with 0x or 0X, otherwise decimal; nothing else around it.
// Returns false (and leaves `id` alone) for anything else, for 0 and above 0xffffffff.
bool parseWindowId(const char* text, unsigned long& id);
