#include "analysis/SegmentSpectra.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <new>

namespace vode {

namespace {

// One set of power storage kept between two analyses. A new document's
// spectra are made right after the previous ones were released, and its
// pages are then already in place.
std::mutex spareLock;
LargeVector<float> spare;

}  // namespace

SegmentSpectra::~SegmentSpectra() {
  if (powerData.capacity() == 0) return;
  const std::lock_guard<std::mutex> hold(spareLock);
  if (powerData.capacity() > spare.capacity()) spare = std::move(powerData);
}

bool SegmentSpectra::create(int segments, int channels, bool zeroed) {
  channelCount = std::min(channels, MaxChannels);
  segmentCount = std::min(segments, MaxSegments);
  powerData.clear();
  for (auto& image : sonogram) image = IndexedImage{};
  for (auto& row : bandPower) row.clear();
  peakBandPower.fill(0.0f);
  backgroundReference.fill(0.0f);
  if (channelCount < 1 || segmentCount < 1) return false;
  try {
    const size_t values = static_cast<size_t>(channelCount) * segmentCount * BinCount;
    if (powerData.capacity() < values) {
      const std::lock_guard<std::mutex> hold(spareLock);
      if (spare.capacity() >= values) {
        powerData.swap(spare);
        spare = LargeVector<float>{};
      }
    }
    powerData.resize(values);
    if (zeroed) std::fill(powerData.begin(), powerData.end(), 0.0f);
    for (int c = 0; c < channelCount; ++c) {
      sonogram[c].allocate(segmentCount, ImageRows);
      bandPower[c].assign(segmentCount, 0.0f);
    }
  } catch (const std::bad_alloc&) {
    powerData.clear();
    for (auto& image : sonogram) image = IndexedImage{};
    for (auto& row : bandPower) row.clear();
    return false;
  }
  return true;
}

float SegmentSpectra::BandMean(int c, int s, int bHigh, int bLow) const {
  if (bLow > bHigh || bHigh > BinCount - 1 || bLow < 0) return 0.0f;
  if (!hasPower(c) || s < 0 || s >= segmentCount) return 0.0f;
  const float* row = power(c, s);
  float sum = 0.0f;
  for (int b = bLow; b <= bHigh; ++b) sum += row[b];
  return sum / static_cast<float>(bHigh - bLow + 1);
}

float PowerTodB(float p, float dBReference) {
  if (p <= 1e-200) return -200.0f;
  return static_cast<float>(4.342944819 * std::log(static_cast<double>(p) / static_cast<double>(dBReference)));
}

}  // namespace vode
