// The analysis command, shared by the window and vode-cli: spectra, sonogram
// images, tags and phases, averages and band power.
#pragma once

#include "model/Progress.h"

namespace vode {

struct AnalysisResults;
struct RecordingBundle;
class Prompter;
struct Palette;

// Wall-clock milliseconds of each stage, for vode-cli.
struct AnalysisTimings {
  double spectra = 0.0;
  double images = 0.0;
  double tags = 0.0;
  double averages = 0.0;
};

// The tag calculation: target flow, the tag table (made when missing) and the
// phase table, thresholds, TagRecording(retag), then with spectra the phase
// averages, new overall averages and the band power. Progress "Calculating Tags".
void CalculateTags(RecordingBundle& doc, AnalysisResults& results, bool retag, ProgressSink& progress, Prompter& prompter,
                   AnalysisTimings* timings = nullptr);

// "&FFT" and the open sequence: new spectra for the recording, their power and
// images, then CalculateTags, re-deriving the phase bytes only when the
// recording had no tag table (stored and hand-made tags survive). The
// spectra and images are spread over `threads` (0: every core), which does
// not change them.
void DoAnalyzeClick(RecordingBundle& doc, AnalysisResults& results, const Palette& palette, ProgressSink& progress,
                    Prompter& prompter, AnalysisTimings* timings = nullptr, int threads = 0);

// The re-analysis without a sender (after preferences, copyPowerToFlow):
// CalculateTags with retag.
void DoAnalyzeClick(RecordingBundle& doc, AnalysisResults& results, ProgressSink& progress, Prompter& prompter);

// Turns channel c's band power into the breath signal: bursts at or above the
// SpindB threshold become alternating half-breaths scaled by the channel's
// peak band power. Then volume, the flow-holds-power preference and the
// re-analysis. Does nothing without band power for c.
void copyPowerToFlow(RecordingBundle& doc, AnalysisResults& results, int c, ProgressSink& progress, Prompter& prompter);

}  // namespace vode
