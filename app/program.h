// The whole program: the command line, then the scene in Krateon's own window or in a window
// another program owns.
#pragma once

// Reads the command line, then either runs in its own window (freeglut's loop never returns) or
// in a foreign window. Returns the command line's status after --help, --version or a mistake,
// and 1 (after printing "App cannot initialize.\n") when initialisation fails.
int runKrateon(int argc, char** argv);
