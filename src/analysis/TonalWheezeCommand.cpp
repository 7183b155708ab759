#include "analysis/TonalWheezeCommand.h"

#include <memory>

#include "analysis/WheezeDetection.h"
#include "analysis/WheezeImage.h"
#include "analysis/WheezeMap.h"
#include "analysis/AnalysisResults.h"
#include "model/RecordingBundle.h"
#include "model/Prompter.h"

namespace vode {

int DetectTonalWheezes(RecordingBundle& doc, AnalysisResults& results, ProgressSink& progress, Prompter& prompter,
                       int threads, const TonalParameters& parameters) {
  if (!doc.hasRecording()) {
    prompter.message(MessageKind::Error, "No data");
    return 3;
  }
  // The tracks come from the samples, but the flags need the analysis's tag
  // table and the picture its sonogram, as for the standard detector.
  if (!results.spectra || !results.spectra->hasPower() || !doc.tagTable) {
    prompter.message(MessageKind::Error, "No PSD");
    return 3;
  }
  results.wheezeMap.reset();
  auto map = std::make_unique<WheezeMap>();
  if (!map->create(results.spectra->channelCount, results.spectra->segmentCount, BinCount)) {
    prompter.message(MessageKind::Error, "Memory allocation failed: WheezeMap");
    return 3;
  }
  DetectTonalWheezes(*doc.recording, *doc.tagTable, *map, progress, threads, parameters);
  results.wheezeMap = std::move(map);
  CalculateWheezeImage(doc, results, progress);
  prompter.message(MessageKind::Information, "Wheeze analysis completed");
  return 0;
}

int RunWheezeDetector(WheezeDetector detector, RecordingBundle& doc, AnalysisResults& results,
                      ProgressSink& progress, Prompter& prompter, int threads, const TonalParameters& parameters) {
  if (detector == WheezeDetector::Tonal)
    return DetectTonalWheezes(doc, results, progress, prompter, threads, parameters);
  return DetectWheezes(doc, results, progress, prompter, threads);
}

}  // namespace vode
