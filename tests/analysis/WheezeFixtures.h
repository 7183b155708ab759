// Documents with hand-made spectra for the wheeze tests.
#pragma once

#include <cmath>
#include <functional>
#include <memory>

#include "analysis/WheezeMap.h"
#include "document/Document.h"

namespace vode::test {

// power(c, s, b) in watts for every channel, segment and bin. The recording is
// silent (only its dimensions matter); the tag table is all zero.
inline void fillSpectraDocument(Document& doc, int channels, int segments,
                                const std::function<float(int c, int s, int b)>& power) {
  doc.recording = std::make_unique<Recording>(Recording::create(segments, channels));
  doc.tagTable = std::make_unique<TagTable>();
  doc.tagTable->create(channels, segments);
  doc.spectra = std::make_unique<SegmentSpectra>();
  doc.spectra->create(segments, channels);
  for (int c = 0; c < channels; ++c) {
    for (int s = 0; s < segments; ++s) {
      float* row = doc.spectra->power(c, s);
      for (int b = 0; b < BinCount; ++b) row[b] = power(c, s, b);
    }
    doc.spectra->sonogram[c].allocate(segments, ImageRows);
  }
}

// A smooth breath-noise floor falling with frequency, with no peaks.
inline float smoothFloor(int b) { return 1e-9f * std::exp(-static_cast<float>(b) / 300.0f); }

// The floor with a tone of the given strength at bin `centre` (the window's
// main lobe spreads it over three bins).
inline float floorWithTone(int b, int centre, float strength) {
  const int d = b > centre ? b - centre : centre - b;
  const float lobe = d == 0 ? 1.0f : d == 1 ? 0.5f : 0.0f;
  return smoothFloor(b) * (1.0f + strength * lobe);
}

}  // namespace vode::test
