// The sound the program played, as SDL's disk audio driver writes it: raw signed 16-bit
// samples, interleaved channels, appended in real time while the audio device is open.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

struct AudioFormat {
  int rate = 44100;  // frames per second
  int channels = 2;  // interleaved
};

struct AudioTrack {
  AudioFormat format;
  std::vector<int16_t> samples;

  double seconds() const;
  // Largest absolute sample value (0..32768) between two times, seconds from the file start.
  int peak(double from, double to) const;
  // Root mean square of all channels between two times.
  double rms(double from, double to) const;
};

// Reads the whole file (empty when it does not exist).
AudioTrack readDiskAudio(const std::string& path, AudioFormat format = {});

// How many seconds of sound the file holds now; -1 when it does not exist.
double diskAudioSeconds(const std::string& path, AudioFormat format = {});

// Start times (seconds from the file start) of the sounds that begin between two times: a
// 10 ms window whose level is at least minLevel and at least `rise` times the level of the
// 200 ms before it. Starts within 0.3 s of an earlier one belong to the same sound.
std::vector<double> soundStarts(const AudioTrack& track, double from, double to, double minLevel,
                                double rise);

}  // namespace e2e
