// Keyboard and mouse commands: ASCII keys, option keys, special keys, buttons and motion.
// Each key changes one setting and confirms it with a message; nothing is drawn that lasts.
#pragma once

constexpr int kPointerHomeX = 450;  // pointer home, pixels from the window's top-left corner
constexpr int kPointerHomeY = 350;
constexpr int kWindowedSize = 512;  // pixels, both sides of the window that 'f' switches to

struct PointerOffset {
  int x = 0;  // pixels right of the pointer home
  int y = 0;  // pixels below the pointer home
};

extern PointerOffset mouseOffset;  // last motion or left-button position minus the home
extern int mouseMoved;             // set by motion and left-button events

// The cursor rule: the arrow shows only in a window (not full screen) with the auto camera.
void applyCursorRule();

void onKeyboard(unsigned char key, int x, int y);
void handleOptionKey(unsigned char key);
void onSpecialKeyDown(int key, int x, int y);
void onSpecialKeyUp(int key, int x, int y);
void onMouseButton(int button, int state, int x, int y);
void onMouseMotion(int x, int y);
