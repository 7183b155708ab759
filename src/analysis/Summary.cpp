#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "analysis/Averages.h"
#include "analysis/AnalysisResults.h"
#include "model/RecordingBundle.h"
#include "model/Prompter.h"

namespace vode {

namespace {

constexpr int MaxSummaryBreaths = 100;
constexpr int StatisticCount = 9;
const char* const StatisticNames[StatisticCount] = {"RR", "Ti", "Te", "Tep", "Ttot", "Ti/Te", "Ti/Ttot", "Vt", "Vt/Ti"};

std::string format(const char* pattern, auto... values) {
  char text[160];
  std::snprintf(text, sizeof text, pattern, values...);
  return text;
}

// Breath-by-breath timing of a series v[0..last] (one value per 0.1 s
// segment) against the threshold d. Returns the first breath start found.
int BreathTiming(const std::vector<float>& v, float d, bool pauseMode, int startIndex,
                 std::vector<std::string>& lines, Prompter& prompter) {
  const int last = static_cast<int>(v.size()) - 1;

  // The first upward crossing of the threshold.
  int i = startIndex + 1;
  while (i <= last && !(v[i - 1] < d && v[i] >= d)) ++i;
  const int firstStart = i;

  // Breath after breath.
  std::vector<std::array<float, StatisticCount>> kept;
  int breaths = 0;
  for (int s = firstStart; s < last;) {
    // Inspiration: the run at or above the threshold (in pause mode with the
    // quiet stretch after it).
    int j = s;
    float vin = 0.0f;
    while (j <= last && v[j] >= d) vin += v[j++];
    if (pauseMode)
      while (j <= last && v[j] < d) vin += v[j++];
    const int e = j;
    const float ti = static_cast<float>(e - s) / 10.0f;
    const float vt = vin / 10.0f;

    // Expiration.
    if (pauseMode)
      while (j <= last && v[j] >= d) ++j;
    while (j <= last && v[j] < d) ++j;
    const float te = static_cast<float>(j - e) / 10.0f;

    // An unfinished breath at the end is dropped.
    if (j > last) break;

    // The expiratory pause at the end of the expiration.
    int k = j - 1;
    if (pauseMode)
      while (k > e && v[k] < d) --k;
    else
      while (k > e && v[k] > -d) --k;
    const float tep = static_cast<float>(j - k - 1) / 10.0f;

    lines.push_back(format("startin = %d, startout = %d, Ti:Te = %0.1f : %0.1f, Tep = %0.1f", s, e,
                           static_cast<double>(ti), static_cast<double>(te), static_cast<double>(tep)));
    ++breaths;
    if (breaths <= MaxSummaryBreaths) {
      const float ttot = ti + te;
      kept.push_back({60.0f / ttot, ti, te, tep, ttot, ti / te, ti / ttot, vt, vt / ti});
    }
    s = j;
  }

  // The statistics use at most 100 breaths.
  if (breaths > MaxSummaryBreaths) {
    prompter.message(MessageKind::Warning, format("Breaths = %d", breaths) + "\n" +
                                               format("Only the first %d will be used", MaxSummaryBreaths));
    breaths = MaxSummaryBreaths;
  }

  // Count, means and two population standard deviations.
  lines.push_back("Breaths = " + std::to_string(breaths));
  if (breaths > 0) {
    const float n = static_cast<float>(breaths);
    for (int q = 0; q < StatisticCount; ++q) {
      float sum = 0.0f;
      for (const auto& b : kept) sum += b[q];
      const float mean = sum / n;
      float squares = 0.0f;
      for (const auto& b : kept) squares += (b[q] - mean) * (b[q] - mean);
      const float spread = 2.0f * std::sqrt(squares / n);
      lines.push_back(format("%s = %0.2f +/- %0.2f", StatisticNames[q], static_cast<double>(mean),
                             static_cast<double>(spread)));
    }
  }
  return firstStart;
}

}  // namespace

void WriteSummary(const AnalysisResults& results, int c, std::vector<std::string>& lines, Prompter& prompter) {
  // Without this channel's spectra or a phase table there is nothing to sum up.
  const SegmentSpectra* spectra = results.spectra.get();
  if (!spectra || !spectra->hasPower(c) || !results.phaseTable) {
    lines.push_back("No FFT Analysis Results");
    return;
  }
  const PhaseTable& phases = *results.phaseTable;
  const std::vector<float>& band = spectra->bandPower[c];

  // The two series, one value per segment.
  std::vector<float> flow, power;
  for (int s = 0; s <= phases.lastSegment; ++s) {
    flow.push_back(phases.segmentFlow[s]);
    float p = s < static_cast<int>(band.size()) ? std::max(band[s], 0.0f) : 0.0f;
    // Unrectified, expiratory sound counts as negative.
    if (!results.panel.rectifydB && phases.segmentFlow[s] < 0.0f) p = -p;
    power.push_back(p);
  }

  // From the flow, against the background flow.
  lines.push_back("Flow Summary");
  const int firstStart = BreathTiming(flow, phases.backgroundFlow, false, 0, lines, prompter);

  // From the band power, against the dB threshold, from the flow's first breath.
  lines.push_back("");
  lines.push_back("Power Summary");
  BreathTiming(power, static_cast<float>(results.panel.spindB), results.panel.rectifydB, firstStart - 1, lines, prompter);
}

}  // namespace vode
