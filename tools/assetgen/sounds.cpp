// Sound synthesis: biquad-filtered noise, a falling sine, decaying envelopes and a DC blocker,
// then normalisation to the peak level and short fades so playback starts and stops cleanly.
#include "sounds.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "noise.h"

namespace assetgen {

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kRate = kSampleRate;
constexpr double kFadeInSeconds = 0.004;
constexpr double kFadeOutSeconds = 0.08;

// Second-order filter section (Robert Bristow-Johnson's cookbook), direct form I.
class Biquad {
 public:
  enum class Kind { kLowPass, kHighPass, kBandPass };
  Biquad(Kind kind, double frequency, double q) {
    const double w = kTwoPi * frequency / kRate;
    const double alpha = std::sin(w) / (2.0 * q);
    const double c = std::cos(w);
    double b0 = 0, b1 = 0, b2 = 0;
    switch (kind) {
      case Kind::kLowPass:
        b0 = (1.0 - c) / 2.0, b1 = 1.0 - c, b2 = (1.0 - c) / 2.0;
        break;
      case Kind::kHighPass:
        b0 = (1.0 + c) / 2.0, b1 = -(1.0 + c), b2 = (1.0 + c) / 2.0;
        break;
      case Kind::kBandPass:
        b0 = alpha, b1 = 0.0, b2 = -alpha;
        break;
    }
    const double a0 = 1.0 + alpha;
    b0_ = b0 / a0, b1_ = b1 / a0, b2_ = b2 / a0;
    a1_ = -2.0 * c / a0, a2_ = (1.0 - alpha) / a0;
  }
  double operator()(double x) {
    const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
    x2_ = x1_, x1_ = x, y2_ = y1_, y1_ = y;
    return y;
  }

 private:
  double b0_, b1_, b2_, a1_, a2_;
  double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// Removes any slow offset (noise through steep low-pass filters wanders).
class DcBlocker {
 public:
  double operator()(double x) {
    const double y = x - x1_ + 0.9995 * y1_;
    x1_ = x, y1_ = y;
    return y;
  }

 private:
  double x1_ = 0, y1_ = 0;
};

double noiseSample(Rng& rng) {
  return rng.uniform(-1.0, 1.0);
}

// Rises over `attack` seconds and decays with time constant `decay`, starting at `start`.
double swell(double t, double start, double attack, double decay) {
  if (t < start) return 0.0;
  const double age = t - start;
  return (1.0 - std::exp(-age / attack)) * std::exp(-age / decay);
}

// Scales every channel together so the loudest sample sits at kSoundPeakDbfs, then applies a
// raised-cosine fade at the start and the end.
void finish(Sound& sound) {
  double peak = 0.0;
  for (double s : sound.samples) peak = std::max(peak, std::fabs(s));
  const double target = std::pow(10.0, kSoundPeakDbfs / 20.0);
  const double gain = peak > 0.0 ? target / peak : 0.0;
  const std::size_t frames = sound.samples.size() / static_cast<std::size_t>(sound.channels);
  const double fadeIn = kFadeInSeconds * kRate;
  const double fadeOut = kFadeOutSeconds * kRate;
  for (std::size_t frame = 0; frame < frames; ++frame) {
    double g = gain;
    const double fromStart = static_cast<double>(frame);
    const double toEnd = static_cast<double>(frames - 1 - frame);
    if (fromStart < fadeIn) g *= 0.5 - 0.5 * std::cos(kTwoPi * 0.5 * fromStart / fadeIn);
    if (toEnd < fadeOut) g *= 0.5 - 0.5 * std::cos(kTwoPi * 0.5 * toEnd / fadeOut);
    for (int c = 0; c < sound.channels; ++c) {
      sound.samples[frame * static_cast<std::size_t>(sound.channels) + c] *= g;
    }
  }
}

}  // namespace

Sound synthesiseBoom() {
  constexpr double kSeconds = 1.6;
  const auto frames = static_cast<std::size_t>(kSeconds * kRate);
  Rng rng(12001);
  Biquad blastLow(Biquad::Kind::kLowPass, 220.0, 0.7);
  Biquad blastLow2(Biquad::Kind::kLowPass, 220.0, 0.7);
  Biquad crackLow(Biquad::Kind::kLowPass, 2400.0, 0.7);
  Biquad rumbleLow(Biquad::Kind::kLowPass, 70.0, 0.9);
  Biquad rumbleLow2(Biquad::Kind::kLowPass, 90.0, 0.7);
  DcBlocker dc;

  Sound sound;
  sound.channels = 1;
  sound.samples.resize(frames);
  double phase = 0.0;
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = i / kRate;
    // The thud: a sine whose pitch falls from 85 Hz towards 34 Hz as the blast expands.
    const double pitch = 34.0 + 51.0 * std::exp(-t / 0.11);
    phase += kTwoPi * pitch / kRate;
    const double thud = std::sin(phase) * swell(t, 0.0, 0.006, 0.32);
    // The blast: low noise with a fast attack, and a brief bright crack on top of it.
    const double n = noiseSample(rng);
    const double blast = blastLow2(blastLow(n)) * swell(t, 0.0, 0.003, 0.22) * 3.0;
    const double crack = crackLow(n) * swell(t, 0.0, 0.001, 0.028);
    // The rumble that lingers after the blast.
    const double rumble = rumbleLow2(rumbleLow(noiseSample(rng))) * swell(t, 0.02, 0.08, 0.5) * 9.0;
    const double dry = 0.9 * thud + 0.8 * blast + 0.35 * crack + 0.6 * rumble;
    // Gentle saturation makes the thud punchy, as a blast overdrives the air and the speaker.
    sound.samples[i] = dc(std::tanh(1.3 * dry));
  }
  finish(sound);
  return sound;
}

Sound synthesiseThunder() {
  constexpr double kSeconds = 3.8;
  const auto frames = static_cast<std::size_t>(kSeconds * kRate);
  Rng rng(13001);

  // The rolls: echoes of the stroke from ever farther parts of the channel, louder and softer.
  struct Roll {
    double start, attack, decay, level, pan;  // pan -1 (left) .. 1 (right)
  };
  std::vector<Roll> rolls;
  double start = 0.03;
  for (int k = 0; k < 9; ++k) {
    rolls.push_back({start, rng.uniform(0.04, 0.18), rng.uniform(0.35, 0.8),
                     rng.uniform(0.45, 1.0) * std::exp(-start / 2.2), rng.uniform(-0.7, 0.7)});
    start += rng.uniform(0.12, 0.42);
  }

  Biquad rumbleLeft(Biquad::Kind::kLowPass, 110.0, 0.8),
      rumbleLeft2(Biquad::Kind::kLowPass, 140.0, 0.7);
  Biquad rumbleRight(Biquad::Kind::kLowPass, 110.0, 0.8),
      rumbleRight2(Biquad::Kind::kLowPass, 140.0, 0.7);
  Biquad bodyLeft(Biquad::Kind::kBandPass, 320.0, 0.9),
      bodyRight(Biquad::Kind::kBandPass, 280.0, 0.9);
  Biquad crackHigh(Biquad::Kind::kHighPass, 1500.0, 0.7);
  Biquad crackleLeft(Biquad::Kind::kBandPass, 2600.0, 1.4),
      crackleRight(Biquad::Kind::kBandPass, 2200.0, 1.4);
  DcBlocker dcLeft, dcRight;

  Sound sound;
  sound.channels = 2;
  sound.samples.resize(frames * 2);
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = i / kRate;
    double left = 0.0;
    double right = 0.0;
    for (const Roll& roll : rolls) {
      const double level = roll.level * swell(t, roll.start, roll.attack, roll.decay);
      left += level * (1.0 - roll.pan) * 0.5;
      right += level * (1.0 + roll.pan) * 0.5;
    }
    // Mostly shared noise with a little of each side's own, so the rumble is wide but solid.
    const double shared = noiseSample(rng);
    const double nl = 0.8 * shared + 0.6 * noiseSample(rng);
    const double nr = 0.8 * shared + 0.6 * noiseSample(rng);
    const double lowLeft = rumbleLeft2(rumbleLeft(nl)) * 7.0;
    const double lowRight = rumbleRight2(rumbleRight(nr)) * 7.0;
    left *= lowLeft + bodyLeft(nl) * 1.2;
    right *= lowRight + bodyRight(nr) * 1.2;

    // The first crack of the stroke and the crackle of the nearby channel that follows it.
    const double crack = crackHigh(shared) * swell(t, 0.0, 0.002, 0.05) * 0.9;
    const double crackleRate = 0.012 * std::exp(-t / 0.4);
    const double crackleLevel = 5.0 * std::exp(-t / 0.6);
    const double impulseLeft =
        rng.uniform() < crackleRate ? rng.uniform(-1.0, 1.0) * crackleLevel : 0.0;
    const double impulseRight =
        rng.uniform() < crackleRate ? rng.uniform(-1.0, 1.0) * crackleLevel : 0.0;
    left += crack + crackleLeft(impulseLeft);
    right += crack + crackleRight(impulseRight);

    // Gentle saturation rounds off the loudest rolls, as a distant roar does.
    sound.samples[2 * i] = dcLeft(std::tanh(0.8 * left));
    sound.samples[2 * i + 1] = dcRight(std::tanh(0.8 * right));
  }
  finish(sound);
  return sound;
}

}  // namespace assetgen
