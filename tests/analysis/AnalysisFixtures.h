// Small hand-built recordings and documents for the analysis tests.
#pragma once

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "analysis/SoundBands.h"
#include "document/Document.h"

namespace vode::test {

// A recording whose flow is constant over each segment: flowPerSegment in
// mL/s, so the segment value is that number / 1000. Sound is silent; volume
// and peaks are computed.
inline Recording flowRecording(const std::vector<int>& flowPerSegment, int channels = 1) {
  Recording r = Recording::create(static_cast<int>(flowPerSegment.size()), channels);
  for (size_t s = 0; s < flowPerSegment.size(); ++s)
    for (int k = 0; k < SegmentFlowSamples; ++k)
      r.flow[s * SegmentFlowSamples + k] = static_cast<int16_t>(flowPerSegment[s]);
  ChannelSetup setup;
  r.computeVolume(setup);
  return r;
}

// Thresholds for a 500 mL/s target (400..600 mL/s) and 100 mL/s background.
inline void setTestThresholds(PhaseTable& phases) {
  PreferencesRecord prefs;
  prefs.backgroundFlowMode = 1;
  prefs.backgroundFlowAbsolute = 100.0f;
  SubjectRecord subject;
  phases.SetThresholds(0.4f, 0.6f, -0.6f, -0.4f, prefs, subject);
}

// n segments at +v then n at -v, repeated to the given length.
inline std::vector<int> squareBreathing(int segments, int halfPeriod, int value) {
  std::vector<int> flow(segments);
  for (int s = 0; s < segments; ++s) flow[s] = (s / halfPeriod) % 2 == 0 ? value : -value;
  return flow;
}

// Samples as a chest piece that passes nearly nothing above 1 kHz would give
// them: eight low-pass sections at 700 Hz (about 40 dB down at 1200 Hz).
inline std::vector<int16_t> narrowed(std::vector<int16_t> samples) {
  const std::vector<Biquad> sections(4, LowPassSection(700.0, 0.70710678));
  std::vector<float> out;
  for (int pass = 0; pass < 2; ++pass) {
    FilterSamples(samples.data(), static_cast<int64_t>(samples.size()), sections, out);
    for (size_t i = 0; i < out.size(); ++i) samples[i] = static_cast<int16_t>(std::clamp(std::lround(out[i]), -32768L, 32767L));
  }
  return samples;
}

}  // namespace vode::test
