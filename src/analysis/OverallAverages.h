// Mean spectra of all inspiration, expiration and background segments.
#pragma once

#include <array>
#include <vector>

#include "analysis/SegmentSpectra.h"

namespace vode {

struct OverallAverages {
  int channelCount = 0;
  // [channel × BinCount + bin], watts.
  std::vector<float> insp, exp, background;
  std::array<int, MaxChannels> inspCount{}, expCount{}, backgroundCount{};

  void allocate(int channels) {
    channelCount = channels;
    insp.assign(static_cast<size_t>(channels) * BinCount, 0.0f);
    exp.assign(insp.size(), 0.0f);
    background.assign(insp.size(), 0.0f);
    inspCount.fill(0);
    expCount.fill(0);
    backgroundCount.fill(0);
  }
  bool contains(int c) const { return c >= 0 && c < channelCount; }
  const float* inspAverage(int c) const { return insp.data() + static_cast<size_t>(c) * BinCount; }
  const float* expAverage(int c) const { return exp.data() + static_cast<size_t>(c) * BinCount; }
  const float* backgroundAverage(int c) const { return background.data() + static_cast<size_t>(c) * BinCount; }
  // -1 for a channel out of range.
  int inspCountOf(int c) const { return contains(c) ? inspCount[c] : -1; }
  int expCountOf(int c) const { return contains(c) ? expCount[c] : -1; }
  int backgroundCountOf(int c) const { return contains(c) ? backgroundCount[c] : -1; }
};

}  // namespace vode
