// Wheeze scores per channel, segment and bin, and the wheeze images.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "analysis/SegmentSpectra.h"

namespace vode {

// Wheeze points are painted with this index. The sonogram palette's darkest
// entry is not black, so every painter and picture writer maps 255 to black.
constexpr uint8_t WheezeMarkIndex = 255;

// A wheeze point is a score above this in an image row.
constexpr float WheezeMarkThreshold = 3.1f;

struct WheezeMap {
  int channelCount = 0;
  int segmentCount = 0;
  int binCount = BinCount;
  int lowBin = 20;    // 100 Hz
  int highBin = 350;  // 1750 Hz

  // score[(c × segmentCount + s) × binCount + b]
  std::vector<float> scoreData;
  std::array<IndexedImage, MaxChannels> image;

  // All scores 0, no images. Channels are capped at 8; false (and no scores)
  // for dimensions outside 1..8 channels, 1..1800 segments, or when memory
  // runs out.
  bool create(int channels, int segments, int bins = BinCount);

  // Accepted only when 1 <= low < high < binCount - 1; 0, or 3 and nothing changes.
  int setBinRange(int low, int high);

  bool hasScores(int c) const { return !scoreData.empty() && c >= 0 && c < channelCount; }
  float score(int c, int s, int b) const {
    return scoreData[(static_cast<size_t>(c) * segmentCount + s) * binCount + b];
  }
  float* scoreRow(int c, int s) {
    return scoreData.data() + (static_cast<size_t>(c) * segmentCount + s) * binCount;
  }
  const float* scoreRow(int c, int s) const {
    return scoreData.data() + (static_cast<size_t>(c) * segmentCount + s) * binCount;
  }
  bool hasImage(int c) const { return hasScores(c) && !image[c].pixels.empty(); }
};

}  // namespace vode
