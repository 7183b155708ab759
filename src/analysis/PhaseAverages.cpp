#include <algorithm>
#include <new>

#include "analysis/Averages.h"
#include "analysis/AnalysisResults.h"
#include "model/RecordingBundle.h"
#include "model/Prompter.h"

namespace vode {

int CalculatePhaseAverages(RecordingBundle& doc, AnalysisResults& results, int channelCount, int binCount, Prompter& prompter, Gauge* gauge) {
  // Nothing to make.
  if (channelCount < 1 || binCount < 1) return 10;
  const SegmentSpectra* spectra = results.spectra.get();
  if (!spectra || !spectra->hasPower() || !doc.tagTable || !results.phaseTable) return 10;
  PhaseTable& phases = *results.phaseTable;
  const TagTable& tags = *doc.tagTable;

  // Spectra of another shape are of no use.
  if (phases.spectraChannels != channelCount || phases.spectraBins != binCount) {
    for (PhaseEntry& e : phases.entries) {
      e.averageSpectrum.clear();
      e.averageSpectrum.shrink_to_fit();
    }
  }
  phases.spectraChannels = channelCount;
  phases.spectraBins = binCount;

  // Only what the spectra hold is added; other rows and bins stay 0.
  const int channels = std::min(channelCount, spectra->channelCount);
  const int bins = std::min(binCount, BinCount);

  // Every recorded phase.
  for (int k = 0; k <= phases.lastPhase; ++k) {
    PhaseEntry& e = phases.entries[k];
    const int first = std::max(e.firstSegment, 0);
    const int last = std::min(e.lastSegment, spectra->segmentCount - 1);
    e.cleanCount = 0;
    for (int m = e.firstSegment; m <= e.lastSegment; ++m)
      if (tags.breathClean(0, m)) ++e.cleanCount;

    if (e.cleanCount > 0) {
      if (e.averageSpectrum.empty()) {
        try {
          e.averageSpectrum.assign(static_cast<size_t>(channelCount) * binCount, 0.0f);
        } catch (const std::bad_alloc&) {
          prompter.message(MessageKind::Error, "Memory allocation failed: AllocPhasePSD's");
          return 3;
        }
      }
      const float count = static_cast<float>(e.cleanCount);
      for (int c = 0; c < channelCount; ++c) {
        float* row = e.averageSpectrum.data() + static_cast<size_t>(c) * binCount;
        std::fill(row, row + binCount, 0.0f);
        if (c >= channels) continue;
        for (int m = first; m <= last; ++m) {
          if (!tags.breathClean(c, m)) continue;
          const float* power = spectra->power(c, m);
          for (int b = 0; b < bins; ++b) row[b] += power[b];
        }
        // Every channel is divided by the first channel's count.
        for (int b = 0; b < binCount; ++b) row[b] /= count;
      }
    } else if (!e.averageSpectrum.empty()) {
      e.averageSpectrum.clear();
      e.averageSpectrum.shrink_to_fit();
    }
    if (gauge) gauge->advance();
  }
  return 0;
}

}  // namespace vode
