// Sound playback: WAV files from the working directory, played asynchronously.
// A missing file or no audio device at all means silence, never an error.
#pragma once

// Opens the audio device once; silent (and harmless) when there is none.
void initSound();

// Loads the named WAV, stops what this program is still playing, starts it and returns at once.
void playSound(const char* fileName);

// Stops playback and closes the device.
void shutdownSound();

// How many times playSound was asked to play, and the last name asked for (for diagnostics).
int soundRequestCount();
const char* lastSoundRequested();
