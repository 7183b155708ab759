#include <cmath>
#include <cstring>
#include <limits>

#include "analysis/AnalysisResults.h"
#include "analysis/ChannelWorkers.h"
#include "analysis/SegmentSpectra.h"
#include "analysis/Spectra.h"
#include "model/Palette.h"
#include "model/RecordingBundle.h"

namespace vode {

uint8_t sonogramLevel(float dB) {
  if (!(dB >= 1.0f)) return 0;  // below one level, negative, or not a number
  if (dB >= 63.0f) return 63;
  return static_cast<uint8_t>(dB);  // truncation toward zero
}

DbLevels::DbLevels(float dBReference) {
  auto levelOf = [dBReference](uint32_t bits) {
    float p;
    std::memcpy(&p, &bits, sizeof p);
    return sonogramLevel(PowerTodB(p, dBReference));
  };
  const float none = std::numeric_limits<float>::quiet_NaN();
  // Non-negative floats are ordered like their bit patterns, and the level
  // never falls as the power grows: search the bits for each level's start.
  const uint32_t infinity = 0x7F800000u;
  minPower_[0] = 0.0f;
  for (int l = 1; l < 64; ++l) {
    if (levelOf(infinity) < l) {
      minPower_[l] = none;
      continue;
    }
    uint32_t lo = 0, hi = infinity;  // levelOf(hi) >= l
    while (lo < hi) {
      const uint32_t mid = lo + (hi - lo) / 2;
      if (levelOf(mid) >= l)
        hi = mid;
      else
        lo = mid + 1;
    }
    std::memcpy(&minPower_[l], &lo, sizeof lo);
  }
  minPower_[64] = none;

  // Buckets of non-negative powers; negative ones (the upper half) and NaN
  // stay at level 0. A bucket is 2^(1/16) wide, far less than the 1 dB
  // between two levels, so it holds at most one level start.
  // Subnormal buckets are wider; a tiny reference can put several level
  // starts into one of them, and then every power takes the search.
  for (uint32_t bucket = 0; bucket < infinity >> 19; ++bucket) {
    float bottom, top;
    const uint32_t first = bucket << 19, last = first | 0x7FFFFu;
    std::memcpy(&bottom, &first, sizeof bottom);
    std::memcpy(&top, &last, sizeof top);
    bucketLevel_[bucket] = search(bottom);
    if (search(top) > bucketLevel_[bucket] + 1) bucketsExact_ = false;
  }
  bucketLevel_[infinity >> 19] = search(std::numeric_limits<float>::infinity());
}

uint8_t DbLevels::search(float p) const {
  int l = 0;
  for (int step = 32; step > 0; step /= 2)
    if (l + step <= 63 && p >= minPower_[l + step]) l += step;
  return static_cast<uint8_t>(l);
}

namespace {

// Bins per image row: the range 1200, 2400 or 4800 Hz spread over 239 rows.
int binsPerRow(int frequencyIndex) {
  switch (frequencyIndex) {
    case 1: return 2;
    case 2: return 4;
    default: return 1;
  }
}

void channelImage(SegmentSpectra& spectra, int c, int a, const DbLevels& levels, SegmentCounter& counter) {
  IndexedImage& image = spectra.sonogram[c];
  for (int s = 0; s < spectra.segmentCount; ++s) {
    const float* power = spectra.power(c, s);
    for (int r = 0; r < PaintedRows; ++r) {
      // The top row is the highest frequency; bin 0 is never drawn.
      const int b = a * (PaintedRows - r);
      float p;
      if (a == 1)
        p = power[b];
      else if (a == 2)
        p = (power[b] + power[b + 1]) / 2.0f;
      else
        p = (power[b] + power[b + 1] + power[b + 2] + power[b + 3]) / 4.0f;
      image.at(s, r) = levels.level(p);
    }
    counter.step();
  }
}

}  // namespace

void CalculateImage(RecordingBundle& doc, AnalysisResults& results, const Palette& palette, ProgressSink& progress, int threads) {
  SegmentSpectra* spectra = results.spectra.get();
  if (!spectra || !spectra->hasPower()) return;
  progress.begin("Calculating Image", spectra->channelCount * spectra->segmentCount);

  const int a = binsPerRow(doc.preferences.frequency);
  const DbLevels levels(doc.preferences.dBReference);
  spectra->imagePalette = palette;
  forEachChannel(spectra->channelCount, threads, progress,
                 [&](int c, int, SegmentCounter& counter) { channelImage(*spectra, c, a, levels, counter); });

  progress.end();
}

}  // namespace vode
