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
inline std::vector<int16_t> narrowed(const std::vector<int16_t>& samples) {
  const Biquad section = LowPassSection(700.0, 0.70710678);
  std::vector<float> once, twice;
  FilterSamples(samples.data(), static_cast<int64_t>(samples.size()), std::vector<Biquad>(4, section), once);
  std::vector<int16_t> out(once.size());
  for (int pass = 0; pass < 2; ++pass) {
    for (size_t i = 0; i < once.size(); ++i)
      out[i] = static_cast<int16_t>(std::clamp(std::lround(once[i]), -32768L, 32767L));
    if (pass == 0) FilterSamples(out.data(), static_cast<int64_t>(out.size()), std::vector<Biquad>(4, section), once);
  }
  return out;
}

}  // namespace vode::test
