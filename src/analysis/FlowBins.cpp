#include <algorithm>
#include <cmath>

#include "analysis/Averages.h"
#include "analysis/AnalysisResults.h"
#include "model/RecordingBundle.h"
#include "model/Numeric.h"

namespace vode {

void CalculateFlowBins(RecordingBundle& doc, AnalysisResults& results, int c, int binSize) {
  SegmentSpectra* spectra = results.spectra.get();
  if (!spectra) return;
  SegmentSpectra& t = *spectra;
  if (!doc.recording || !results.phaseTable || !t.hasPower(c) || binSize < 1) {
    // No table for a channel without band power or a bin width of nothing.
    t.flowBinCount = 0;
    t.binFlow.clear();
    t.binMean.clear();
    t.binSpread.clear();
    t.binCount.clear();
    return;
  }
  const PhaseTable& phases = *results.phaseTable;
  const std::vector<float>& band = t.bandPower[c];

  // Bins reach the largest flow of the recording on both sides of zero.
  const int R = roundEven(static_cast<double>(doc.recording->peakFlow) / binSize);
  t.flowBinCount = 2 * R + 1;
  const size_t count = static_cast<size_t>(t.flowBinCount);
  t.binFlow.assign(count, 0.0f);

  // Flow offset (L/s) and bins per L/s.
  const float half = static_cast<float>(binSize) / 1000.0f * static_cast<float>(R);
  const float scale = 1000.0f / static_cast<float>(binSize);
  t.binMean.assign(count, 0.0f);
  t.binSpread.assign(count, 0.0f);
  t.binCount.assign(count, 0);

  // Sum the band power of every clean segment into its flow bin.
  const int last = std::min<int>(t.segmentCount, static_cast<int>(band.size())) - 1;
  auto binOf = [&](int s) {
    const int k = roundEven(scale * (phases.segmentFlowAt(s) + half));
    return std::clamp(k, 0, t.flowBinCount - 1);
  };
  const TagTable* tags = doc.tagTable.get();
  auto clean = [&](int s) { return tags && tags->clean(c, s); };
  for (int s = 0; s <= last; ++s) {
    if (!clean(s)) continue;
    const int k = binOf(s);
    t.binMean[k] += band[s];
    t.binCount[k] += 1;
  }

  // Bin centres and means.
  for (size_t k = 0; k < count; ++k) {
    t.binFlow[k] = static_cast<float>(k) / scale - half;
    if (t.binCount[k] > 0) t.binMean[k] /= static_cast<float>(t.binCount[k]);
  }

  // Squared deviations from the bin means.
  for (int s = 0; s <= last; ++s) {
    if (!clean(s)) continue;
    const int k = binOf(s);
    const float d = band[s] - t.binMean[k];
    t.binSpread[k] += d * d;
  }

  // Two standard deviations.
  for (size_t k = 0; k < count; ++k)
    if (t.binCount[k] > 0) t.binSpread[k] = 2.0f * std::sqrt(t.binSpread[k] / static_cast<float>(t.binCount[k]));
}

}  // namespace vode
