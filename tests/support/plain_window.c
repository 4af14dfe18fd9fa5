/* A plain X window for the tests to hand to `krateon --window-id`: no toolkit, no OpenGL.
   Prints the window's id and keeps it until killed, which destroys it with the connection. */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* plain_window WIDTH HEIGHT X Y [input-only]: an override-redirect window (no window manager
   frame, so it stays where it is put) with a dark blue background, or an input-only one. */
int main(int argc, char** argv) {
  Display* display = argc < 5 ? NULL : XOpenDisplay(NULL);
  if (display == NULL) {
    fputs("usage: plain_window WIDTH HEIGHT X Y [input-only], with a display to open\n", stderr);
    return 2;
  }
  const int inputOnly = argc > 5 && strcmp(argv[5], "input-only") == 0;
  XSetWindowAttributes attributes;
  memset(&attributes, 0, sizeof attributes);
  attributes.override_redirect = True;
  attributes.background_pixel = 0x203050;
  const unsigned long mask = CWOverrideRedirect | (inputOnly ? 0 : CWBackPixel);
  Window window =
      XCreateWindow(display, DefaultRootWindow(display), atoi(argv[3]), atoi(argv[4]),
                    (unsigned)atoi(argv[1]), (unsigned)atoi(argv[2]), 0, CopyFromParent,
                    inputOnly ? InputOnly : InputOutput, CopyFromParent, mask, &attributes);
  XMapWindow(display, window);
  XSync(display, False);
  printf("0x%lx\n", window);
  fflush(stdout);
  for (;;) {
    XEvent event;
    XNextEvent(display, &event);
  }
}
