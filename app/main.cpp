// Krateon's entry point: a full-screen planet, a meteor, and what follows.
// Everything else lives in the scene library.
#include "app/program.h"

int main(int argc, char** argv) {
  return runKrateon(argc, argv);
}
