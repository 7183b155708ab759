// The developer's test recording: one sound channel of sine bursts whose
// frequency doubles in steps, a silent gap, then the same steps again at
// falling amplitudes. Known tones at known times let the spectra, the
// sonogram and playback be checked by eye and by ear.
#pragma once

#include "model/Recording.h"

namespace vode {

constexpr int SineTestSegments = 200;

// 200 segments, one channel, zero flow. Samples are round(v / 5 × 32767) of
// v = a·sin(φ), φ advancing by 2π·f/10240 per sample.
Recording makeSineTestRecording();

}  // namespace vode
