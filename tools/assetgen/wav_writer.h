// Writing sample buffers as canonical 16-bit PCM RIFF/WAVE files.
// The 44-byte header is the plain form that every player and SDL_mixer read.
#pragma once

#include <string>
#include <vector>

namespace assetgen {

constexpr int kSampleRate = 44100;  // samples per second per channel
constexpr int kWavHeaderBytes = 44;

// Interleaved samples (one frame = `channels` samples), each nominally in -1..1.
struct Sound {
  int channels = 1;
  std::vector<double> samples;
};

// Largest absolute sample value after rounding to 16 bits, in dBFS (0 dB = 32768).
double peakDbfs(const Sound& sound);

// The complete file; samples are rounded and clamped to -32768..32767.
std::vector<unsigned char> encodeWav(const Sound& sound);

// Encodes and writes the file; false when it cannot be written.
bool writeWav(const std::string& path, const Sound& sound);

}  // namespace assetgen
