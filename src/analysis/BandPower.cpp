#include <algorithm>
#include <cmath>

#include "analysis/Averages.h"
#include "analysis/AnalysisResults.h"
#include "model/RecordingBundle.h"

namespace vode {

void CalculateBandPower(AnalysisResults& results) {
  SegmentSpectra* spectra = results.spectra.get();
  const OverallAverages* avg = results.averages.get();
  if (!avg || !spectra || !spectra->hasPower()) return;

  // The band in bins; limited to the bins that exist.
  const int lo = std::max(results.panel.spinMin / BinWidth, 0);
  const int hi = std::min(results.panel.spinMax / BinWidth - 1, BinCount - 1);
  const int n = hi - lo + 1;

  for (int c = 0; c < spectra->channelCount; ++c) {
    std::vector<float>& band = spectra->bandPower[c];
    band.assign(spectra->segmentCount, 0.0f);

    // The background's power in the band.
    float B = 0.0f;
    if (avg->contains(c))
      for (int b = lo; b <= hi; ++b) B += avg->backgroundAverage(c)[b];
    spectra->backgroundReference[c] = n > 0 ? B / static_cast<float>(n) : 0.0f;

    // Every segment against it: 10·log10 of the ratio of the band means.
    for (int s = 0; s < spectra->segmentCount; ++s) {
      const float* power = spectra->power(c, s);
      float S = 0.0f;
      for (int b = lo; b <= hi; ++b) S += power[b];
      if (B != 0.0f && S != 0.0f)
        band[s] = static_cast<float>(4.342944819 * std::log(static_cast<double>(S) / static_cast<double>(B)));
    }

    // The peak, at least 0.
    float peak = 0.0f;
    for (float v : band) peak = std::max(peak, v);
    spectra->peakBandPower[c] = peak;
  }
}

}  // namespace vode
