// How large the text is drawn: --text-scale when given, else the desktop's Xft.dpi, else the
// window's height, so that the help screen and the messages stay readable on large screens.
#pragma once

constexpr int kMaxTextScale = 8;  // pixels per text unit at most

// Takes Xft.dpi, the resolution desktops set for their text on HiDPI screens, from X resources
// in the form xrdb keeps them ("Xft.dpi:\t192\n..."). A null string, or an Xft.dpi that is
// missing or not a positive number, leaves none.
void useDesktopResources(const char* resources);

// The same from the resources of the display the current GLX context draws on (what
// `xrdb -query` shows), as they stand now; none without a context or resources.
void readDesktopDpi();

// Sets textDisplay.scale for a window `windowHeight` pixels high: programOptions.textScale when
// given; else round(Xft.dpi / 96); else round(windowHeight / 1080); within 1..kMaxTextScale.
void followTextScale(int windowHeight);
