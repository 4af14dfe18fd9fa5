// What the command line asked for, read by start-up and the windows: the window to draw in, the
// frame-rate cap, the sound, the user's maps and the text scale. Also the reading of a window id.
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

// Reads a window id: hexadecimal with 0x or 0X, otherwise decimal; nothing else around it.
// Returns false (and leaves `id` alone) for anything else, for 0 and above 0xffffffff.
bool parseWindowId(const char* text, unsigned long& id);
