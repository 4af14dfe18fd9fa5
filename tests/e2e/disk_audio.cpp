// The sound the program played, as SDL's disk audio driver writes it: raw signed 16-bit
// samples, interleaved channels, appended in real time while the audio device is open.
#include "disk_audio.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace e2e {

namespace {

constexpr double kWindowSeconds = 0.01;
constexpr double kLookBackSeconds = 0.2;
constexpr double kSameSoundSeconds = 0.3;

// The sample range [first, last) of whole frames between two times, clipped to the track.
std::pair<size_t, size_t> sampleRange(const AudioTrack& track, double from, double to) {
  const auto frames = static_cast<long>(track.samples.size() / track.format.channels);
  auto frameAt = [&](double t) {
    return std::clamp(static_cast<long>(std::floor(t * track.format.rate)), 0L, frames);
  };
  return {static_cast<size_t>(frameAt(from)) * track.format.channels,
          static_cast<size_t>(frameAt(to)) * track.format.channels};
}

}  // namespace

double AudioTrack::seconds() const {
  return static_cast<double>(samples.size()) / format.channels / format.rate;
}

int AudioTrack::peak(double from, double to) const {
  const auto [first, last] = sampleRange(*this, from, to);
  int loudest = 0;
  for (size_t i = first; i < last; ++i) loudest = std::max(loudest, std::abs(samples[i]));
  return loudest;
}

double AudioTrack::rms(double from, double to) const {
  const auto [first, last] = sampleRange(*this, from, to);
  if (last <= first) return 0;
  double sum = 0;
  for (size_t i = first; i < last; ++i) sum += static_cast<double>(samples[i]) * samples[i];
  return std::sqrt(sum / static_cast<double>(last - first));
}

AudioTrack readDiskAudio(const std::string& path, AudioFormat format) {
  AudioTrack track;
  track.format = format;
  std::ifstream file(path, std::ios::binary);
  if (!file) return track;
  std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const size_t frameBytes = sizeof(int16_t) * format.channels;
  const size_t whole = bytes.size() / frameBytes * frameBytes;  // the writer may be mid-frame
  track.samples.resize(whole / sizeof(int16_t));
  for (size_t i = 0; i < track.samples.size(); ++i) {
    const auto low = static_cast<uint8_t>(bytes[2 * i]);
    const auto high = static_cast<uint8_t>(bytes[2 * i + 1]);
    track.samples[i] = static_cast<int16_t>(static_cast<uint16_t>(low | (high << 8)));
  }
  return track;
}

double diskAudioSeconds(const std::string& path, AudioFormat format) {
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  if (error) return -1;
  return static_cast<double>(size) / (sizeof(int16_t) * format.channels) / format.rate;
}

std::vector<double> soundStarts(const AudioTrack& track, double from, double to, double minLevel,
                                double rise) {
  std::vector<double> starts;
  for (double t = std::max(from, 0.0); t + kWindowSeconds <= std::min(to, track.seconds());
       t += kWindowSeconds) {
    const double level = track.rms(t, t + kWindowSeconds);
    if (level < minLevel) continue;
    const double before = track.rms(t - kLookBackSeconds, t);
    if (level < rise * before) continue;
    if (!starts.empty() && t - starts.back() < kSameSoundSeconds) continue;
    starts.push_back(t);
  }
  return starts;
}

}  // namespace e2e
