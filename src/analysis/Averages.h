// Averaged spectra, band power, the flow-binned table and the breath summary,
// computed from the spectra, the tags and the phases of a document.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/Progress.h"

namespace vode {

struct AnalysisResults;
struct OverallAverages;
struct RecordingBundle;
class Prompter;
class SegmentSpectra;

// A gauge that the steps of a longer task move forward one at a time.
struct Gauge {
  ProgressSink& sink;
  int position = 0;
  void advance() { sink.set(++position); }
};

// Every phase entry's cleanCount and average spectrum over its breath-clean
// segments. 0; 10 when a count is below 1 (or there is nothing to average);
// 3 when memory ran out ("Memory allocation failed: AllocPhasePSD's").
// Advances the gauge by one per entry.
int CalculatePhaseAverages(RecordingBundle& doc, AnalysisResults& results, int channelCount, int binCount, Prompter& prompter,
                           Gauge* gauge = nullptr);

// Mean spectra of the clean inspiration, expiration and background segments
// of every channel into results.averages (made when missing), then the band power.
// Advances the gauge by one per 30 segments.
void CalculateOverallAverages(RecordingBundle& doc, AnalysisResults& results, Gauge* gauge = nullptr);

// bandPower, peakBandPower and backgroundReference of every channel for the
// band results.panel.spinMin .. spinMax. Does nothing without results.averages.
void CalculateBandPower(AnalysisResults& results);

// Channel c's band power over spinMin .. spinMax Hz, as CalculateBandPower
// computes it: levels gets the dB of every segment against the background's
// power in the band (0 without a background or a band), and the returned
// value is the background's mean power per bin (watts).
float bandPowerLevels(const SegmentSpectra& spectra, const OverallAverages* averages, int c, int spinMin, int spinMax,
                      std::vector<float>& levels);

// Band power averaged over bins of airflow, for the flow-power report and
// the panel's bin charts.
struct FlowBinTable {
  std::vector<float> flow;    // L/s, the bin centres
  std::vector<float> mean;    // dB
  std::vector<float> spread;  // two standard deviations, dB
  std::vector<int16_t> count;
  int size() const { return static_cast<int>(flow.size()); }
};

// The table of channel c for bins of binSize mL/s; empty for a channel
// without band power or a bin of no width.
FlowBinTable CalculateFlowBins(const RecordingBundle& doc, const AnalysisResults& results, int c, int binSize);

// Appends the flow and power summaries of channel c. More than 100 breaths
// give one warning through the prompter and statistics over the first 100.
void WriteSummary(const AnalysisResults& results, int c, std::vector<std::string>& lines, Prompter& prompter);

}  // namespace vode
