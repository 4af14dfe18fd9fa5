// The two sound effects, synthesised from seeded noise, oscillators, filters and envelopes:
// the boom of an impact and the thunder of the planet breaking apart.
#pragma once

#include "wav_writer.h"

namespace assetgen {

// Level of the loudest sample of every sound, in dBFS: a little headroom below full scale.
constexpr double kSoundPeakDbfs = -1.5;

Sound synthesiseBoom();     // about 1.6 s, mono: a deep explosive thud
Sound synthesiseThunder();  // about 3.8 s, stereo: a crack, crackle and a rolling rumble

}  // namespace assetgen
