// How large the text is drawn: --text-scale when given, else the desktop's Xft.dpi, else the
// window's height, so that the help screen and the messages stay readable on large screens.
#pragma once

constexpr int kMaxTextScale = 8;  // pixels per text unit at most

// Reads Xft.dpi, the resolution desktops set for their text on HiDPI screens (what `xrdb -query`
// shows), from the X resources of the display the current GLX context draws on, as they stand
// now. Without a context, or where Xft.dpi is missing or not a positive number, there is none.
void readDesktopDpi();

// Sets textDisplay.scale for a window `windowHeight` pixels high: programOptions.textScale when
// given; else round(Xft.dpi / 96); else round(windowHeight / 1080); within 1..kMaxTextScale.
void followTextScale(int windowHeight);
