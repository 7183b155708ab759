#include "analysis/OverallAverages.h"

#include <algorithm>
#include <memory>

#include "analysis/Averages.h"
#include "analysis/AnalysisResults.h"
#include "model/RecordingBundle.h"

namespace vode {

namespace {

void addRow(std::vector<float>& sums, int c, const float* power) {
  float* row = sums.data() + static_cast<size_t>(c) * BinCount;
  for (int b = 0; b < BinCount; ++b) row[b] += power[b];
}

void divideRows(std::vector<float>& sums, const std::array<int, MaxChannels>& counts, int channels) {
  for (int c = 0; c < channels; ++c) {
    if (counts[c] <= 0) continue;  // no segment: the average stays 0
    float* row = sums.data() + static_cast<size_t>(c) * BinCount;
    const float n = static_cast<float>(counts[c]);
    for (int b = 0; b < BinCount; ++b) row[b] /= n;
  }
}

}  // namespace

void CalculateOverallAverages(RecordingBundle& doc, AnalysisResults& results, Gauge* gauge) {
  const SegmentSpectra* spectra = results.spectra.get();
  if (!spectra || !spectra->hasPower() || !doc.tagTable || !results.phaseTable) return;
  if (!results.averages) results.averages = std::make_unique<OverallAverages>();
  OverallAverages& avg = *results.averages;
  const TagTable& tags = *doc.tagTable;
  const int channels = spectra->channelCount;

  // Zero all sums and counts.
  avg.allocate(channels);

  // Sum the clean segments of each phase kind.
  const int last = std::min(results.phaseTable->lastSegment, spectra->segmentCount - 1);
  for (int s = 0; s <= last; ++s) {
    const uint8_t p = tags.phase(s);
    for (int c = 0; c < channels; ++c) {
      if (!tags.taggedClean(c, s)) continue;
      const float* power = spectra->power(c, s);
      if (p & Inspiration) {
        addRow(avg.insp, c, power);
        ++avg.inspCount[c];
      }
      if (p & Expiration) {
        addRow(avg.exp, c, power);
        ++avg.expCount[c];
      }
      if (p & Background) {
        addRow(avg.background, c, power);
        ++avg.backgroundCount[c];
      }
    }
    if ((s + 1) % 30 == 0 && gauge) gauge->advance();
  }

  // Sums to means.
  divideRows(avg.insp, avg.inspCount, channels);
  divideRows(avg.exp, avg.expCount, channels);
  divideRows(avg.background, avg.backgroundCount, channels);

  // The band power is measured against these background means.
  CalculateBandPower(results);
}

}  // namespace vode
