#include "analysis/WheezeMap.h"

#include <new>

namespace vode {

bool WheezeMap::create(int channels, int segments, int bins) {
  scoreData.clear();
  for (auto& picture : image) picture = IndexedImage{};
  channelCount = 0;
  segmentCount = 0;
  binCount = bins;
  lowBin = 20;
  highBin = 350;
  if (channels < 1 || segments < 1 || segments > MaxSegments || bins < 1 || bins > BinCount) return false;
  if (channels > MaxChannels) channels = MaxChannels;
  try {
    scoreData.assign(static_cast<size_t>(channels) * segments * bins, 0.0f);
  } catch (const std::bad_alloc&) {
    scoreData.clear();
    return false;
  }
  channelCount = channels;
  segmentCount = segments;
  return true;
}

int WheezeMap::setBinRange(int low, int high) {
  if (!(1 <= low && low < high && high < binCount - 1)) return 3;
  lowBin = low;
  highBin = high;
  return 0;
}

}  // namespace vode
