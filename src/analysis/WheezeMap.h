// Wheeze scores per channel, segment and bin, and the wheeze images.
#pragma once

#include <array>
#include <vector>

#include "analysis/SegmentSpectra.h"

namespace vode {

struct WheezeMap {
  int channelCount = 0;
  int segmentCount = 0;
  int binCount = BinCount;
  int lowBin = 20;    // 100 Hz
  int highBin = 350;  // 1750 Hz

  // score[(c × segmentCount + s) × binCount + b]
  std::vector<float> scoreData;
  std::array<IndexedImage, MaxChannels> image;

  bool hasScores(int c) const { return !scoreData.empty() && c >= 0 && c < channelCount; }
  float score(int c, int s, int b) const {
    return scoreData[(static_cast<size_t>(c) * segmentCount + s) * binCount + b];
  }
};

}  // namespace vode
