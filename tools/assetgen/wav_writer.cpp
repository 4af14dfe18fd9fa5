// Encoding sounds as RIFF/WAVE files: "fmt " chunk of PCM format 1, then one "data" chunk.
// Little-endian fields, 16 bits per sample, interleaved channels.
#include "wav_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>

namespace assetgen {

namespace {

constexpr int kBitsPerSample = 16;

void putTag(std::vector<unsigned char>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(tag[i]));
}

void putU16(std::vector<unsigned char>& out, std::uint16_t value) {
  out.push_back(static_cast<unsigned char>(value & 0xFF));
  out.push_back(static_cast<unsigned char>(value >> 8));
}

void putU32(std::vector<unsigned char>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    out.push_back(static_cast<unsigned char>((value >> shift) & 0xFF));
  }
}

std::int16_t toPcm16(double sample) {
  const double scaled = std::floor(sample * 32768.0 + 0.5);
  return static_cast<std::int16_t>(std::clamp(scaled, -32768.0, 32767.0));
}

}  // namespace

double peakDbfs(const Sound& sound) {
  int peak = 0;
  for (double sample : sound.samples) peak = std::max(peak, std::abs(int{toPcm16(sample)}));
  if (peak == 0) return -HUGE_VAL;
  return 20.0 * std::log10(peak / 32768.0);
}

std::vector<unsigned char> encodeWav(const Sound& sound) {
  const auto channels = static_cast<std::uint16_t>(sound.channels);
  const std::uint16_t blockAlign = channels * (kBitsPerSample / 8);
  const auto dataBytes = static_cast<std::uint32_t>(sound.samples.size() * 2);
  std::vector<unsigned char> out;
  out.reserve(kWavHeaderBytes + dataBytes);

  putTag(out, "RIFF");
  putU32(out, 36 + dataBytes);  // everything after this field
  putTag(out, "WAVE");
  putTag(out, "fmt ");
  putU32(out, 16);  // size of the PCM format chunk
  putU16(out, 1);   // PCM
  putU16(out, channels);
  putU32(out, kSampleRate);
  putU32(out, kSampleRate * static_cast<std::uint32_t>(blockAlign));  // bytes per second
  putU16(out, blockAlign);
  putU16(out, kBitsPerSample);
  putTag(out, "data");
  putU32(out, dataBytes);
  for (double sample : sound.samples) putU16(out, static_cast<std::uint16_t>(toPcm16(sample)));
  return out;
}

bool writeWav(const std::string& path, const Sound& sound) {
  const std::vector<unsigned char> bytes = encodeWav(sound);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

}  // namespace assetgen
