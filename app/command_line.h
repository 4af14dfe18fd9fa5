// The command line: Krateon's own GNU-style options, read before any display is opened.
// Everything else on it (-display, -geometry, ...) is left for the window toolkit.
#pragma once

#include "app/program_options.h"

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
