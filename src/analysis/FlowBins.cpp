#include <algorithm>
#include <cmath>

#include "analysis/Averages.h"
#include "analysis/AnalysisResults.h"
#include "model/RecordingBundle.h"
#include "model/Numeric.h"

namespace vode {

FlowBinTable CalculateFlowBins(const RecordingBundle& doc, const AnalysisResults& results, int c, int binSize) {
  FlowBinTable t;
  const SegmentSpectra* spectra = results.spectra.get();
  if (!spectra || !doc.recording || !results.phaseTable || !spectra->hasPower(c) || binSize < 1) return t;
  const PhaseTable& phases = *results.phaseTable;
  const std::vector<float>& band = spectra->bandPower[c];

  // Bins reach the largest flow of the recording on both sides of zero.
  const int R = roundEven(static_cast<double>(doc.recording->peakFlow) / binSize);
  const int bins = 2 * R + 1;
  const size_t count = static_cast<size_t>(bins);
  t.flow.assign(count, 0.0f);

  // Flow offset (L/s) and bins per L/s.
  const float half = static_cast<float>(binSize) / 1000.0f * static_cast<float>(R);
  const float scale = 1000.0f / static_cast<float>(binSize);
  t.mean.assign(count, 0.0f);
  t.spread.assign(count, 0.0f);
  t.count.assign(count, 0);

  // Sum the band power of every clean segment into its flow bin.
  const int last = std::min<int>(spectra->segmentCount, static_cast<int>(band.size())) - 1;
  auto binOf = [&](int s) {
    const int k = roundEven(scale * (phases.segmentFlowAt(s) + half));
    return std::clamp(k, 0, bins - 1);
  };
  const TagTable* tags = doc.tagTable.get();
  auto clean = [&](int s) { return tags && tags->clean(c, s); };
  for (int s = 0; s <= last; ++s) {
    if (!clean(s)) continue;
    const int k = binOf(s);
    t.mean[k] += band[s];
    t.count[k] += 1;
  }

  // Bin centres and means.
  for (size_t k = 0; k < count; ++k) {
    t.flow[k] = static_cast<float>(k) / scale - half;
    if (t.count[k] > 0) t.mean[k] /= static_cast<float>(t.count[k]);
  }

  // Squared deviations from the bin means.
  for (int s = 0; s <= last; ++s) {
    if (!clean(s)) continue;
    const int k = binOf(s);
    const float d = band[s] - t.mean[k];
    t.spread[k] += d * d;
  }

  // Two standard deviations.
  for (size_t k = 0; k < count; ++k)
    if (t.count[k] > 0) t.spread[k] = 2.0f * std::sqrt(t.spread[k] / static_cast<float>(t.count[k]));
  return t;
}

}  // namespace vode
