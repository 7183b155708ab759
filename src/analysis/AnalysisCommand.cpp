#include "analysis/AnalysisCommand.h"

#include <chrono>
#include <memory>

#include "analysis/Averages.h"
#include "analysis/Spectra.h"
#include "analysis/AnalysisResults.h"
#include "model/RecordingBundle.h"

namespace vode {

namespace {

class Stopwatch {
 public:
  double lap() {
    const auto now = std::chrono::steady_clock::now();
    const double ms = std::chrono::duration<double, std::milli>(now - start_).count();
    start_ = now;
    return ms;
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace

void CalculateTags(RecordingBundle& doc, AnalysisResults& results, bool retag, ProgressSink& progress, Prompter& prompter, AnalysisTimings* timings) {
  if (!doc.recording) return;
  Stopwatch clock;
  const Recording& recording = *doc.recording;

  // The gauge starts with a quarter step per segment; the averages reset it below.
  progress.begin("Calculating Tags", static_cast<int>(recording.segmentCount * 0.25));

  // The target from the recording's own set-up: a strain-gauge recording is
  // measured against amplitude scales, a pneumotach one against flows, so a
  // file is tagged the same whatever was recorded before it in this session.
  const TargetFlow target = get_target_flow(doc.channelSetup.targetFlowChoice, doc.channelSetup.targetFlow,
                                            doc.subject.weight, doc.isResp());
  if (!doc.tagTable) {
    doc.tagTable = std::make_unique<TagTable>();
    doc.tagTable->create(recording.channelCount, recording.segmentCount);
  }
  PhaseTable& phases = results.phases();

  // A refused target keeps the previous thresholds.
  const FlowLimits limits = flowLimits(target);
  phases.SetThresholds(limits.inspLow, limits.inspHigh, limits.expLow, limits.expHigh, doc.preferences, doc.subject);
  TagRecording(phases, *doc.tagTable, recording, doc.isResp(), retag);
  if (timings) timings->tags += clock.lap();

  // Averages and band power from the spectra.
  Gauge gauge{progress, 1};
  progress.set(1);
  const SegmentSpectra* spectra = results.spectra.get();
  if (spectra && spectra->hasPower()) {
    progress.setMaximum((phases.lastSegment + 1) / 30 + phases.lastPhase + 2);
    CalculatePhaseAverages(doc, results, spectra->channelCount, BinCount, prompter, &gauge);
    results.averages = std::make_unique<OverallAverages>();
    CalculateOverallAverages(doc, results, &gauge);
  } else {
    progress.setMaximum(1);
  }
  if (timings) timings->averages += clock.lap();

  progress.end();
}

void DoAnalyzeClick(RecordingBundle& doc, AnalysisResults& results, const Palette& palette, ProgressSink& progress,
                    Prompter& prompter, AnalysisTimings* timings, int threads) {
  if (!doc.recording) return;
  Stopwatch clock;
  const bool hadTags = doc.tagTable != nullptr;

  // New spectra; averages of the old ones no longer apply.
  results.spectra.reset();
  results.averages.reset();
  results.spectra = std::make_unique<SegmentSpectra>();
  results.spectra->create(doc.recording->segmentCount, doc.recording->channelCount, false);

  CalculatePower(doc, results, progress, threads);
  if (timings) timings->spectra += clock.lap();
  CalculateImage(doc, results, palette, progress, threads);
  if (timings) timings->images += clock.lap();

  CalculateTags(doc, results, !hadTags, progress, prompter, timings);
}

void DoAnalyzeClick(RecordingBundle& doc, AnalysisResults& results, ProgressSink& progress, Prompter& prompter) {
  if (!doc.recording) return;
  CalculateTags(doc, results, true, progress, prompter);
}

void copyPowerToFlow(RecordingBundle& doc, AnalysisResults& results, int c, ProgressSink& progress, Prompter& prompter) {
  const SegmentSpectra* spectra = results.spectra.get();
  if (!doc.recording || !spectra || !spectra->hasPower(c)) return;
  const std::vector<float>& band = spectra->bandPower[c];
  if (band.empty()) return;

  // The polarity starts from the first breath average; nothing there, or a
  // power (never below 0), starts with inspiration.
  float firstBreathValue = 0.0f;
  if (results.phaseTable && results.phaseTable->lastPhase >= 0 && !results.phaseTable->entries[0].averageSpectrum.empty())
    firstBreathValue = results.phaseTable->entries[0].averageSpectrum[0];

  doc.recording->copyPowerToFlow(band.data(), static_cast<int32_t>(band.size()), spectra->peakBandPower[c],
                                 static_cast<float>(results.panel.spindB), firstBreathValue);
  doc.computeVolume();
  doc.preferences.flowHoldsPower = 1;
  DoAnalyzeClick(doc, results, progress, prompter);
}

}  // namespace vode
