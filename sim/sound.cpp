// Placeholder until sound playback lands: silence.
#include "sim/sound.h"

void initSound() {}
void playSound(const char*) {}
void shutdownSound() {}
int soundRequestCount() { return 0; }
const char* lastSoundRequested() { return ""; }
