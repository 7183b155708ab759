#include <algorithm>
#include <cmath>

#include "analysis/Averages.h"
#include "analysis/AnalysisResults.h"
#include "analysis/ChannelWorkers.h"
#include "model/RecordingBundle.h"

namespace vode {

float bandPowerLevels(const SegmentSpectra& spectra, const OverallAverages* avg, int c, int spinMin, int spinMax,
                      std::vector<float>& levels) {
  levels.assign(spectra.segmentCount, 0.0f);
  // The band in bins; limited to the bins that exist.
  const int lo = std::max(spinMin / BinWidth, 0);
  const int hi = std::min(spinMax / BinWidth - 1, BinCount - 1);
  const int n = hi - lo + 1;

  // The background's power in the band.
  float B = 0.0f;
  if (avg && avg->contains(c))
    for (int b = lo; b <= hi; ++b) B += avg->backgroundAverage(c)[b];

  // Every segment against it: 10·log10 of the ratio of the band means.
  for (int s = 0; s < spectra.segmentCount; ++s) {
    const float* power = spectra.power(c, s);
    float S = 0.0f;
    for (int b = lo; b <= hi; ++b) S += power[b];
    if (B != 0.0f && S != 0.0f)
      levels[s] = static_cast<float>(4.342944819 * std::log(static_cast<double>(S) / static_cast<double>(B)));
  }
  return n > 0 ? B / static_cast<float>(n) : 0.0f;
}

void CalculateBandPower(AnalysisResults& results) {
  SegmentSpectra* spectra = results.spectra.get();
  const OverallAverages* avg = results.averages.get();
  if (!avg || !spectra || !spectra->hasPower()) return;

  // Channels share nothing: one worker each, the same for any thread count.
  NullProgress quiet;
  forEachChannel(spectra->channelCount, 0, quiet, [&](int c, int, SegmentCounter&) {
    std::vector<float>& band = spectra->bandPower[c];
    spectra->backgroundReference[c] =
        bandPowerLevels(*spectra, avg, c, results.panel.spinMin, results.panel.spinMax, band);

    // The peak, at least 0.
    float peak = 0.0f;
    for (float v : band) peak = std::max(peak, v);
    spectra->peakBandPower[c] = peak;
  });
}

}  // namespace vode
