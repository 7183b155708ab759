#include "analysis/TonalWheezeCommand.h"

#include <memory>

#include "analysis/WheezeDetection.h"
#include "analysis/WheezeImage.h"
#include "analysis/WheezeMap.h"
#include "model/Document.h"
#include "model/Prompter.h"

namespace vode {

int DetectTonalWheezes(Document& doc, ProgressSink& progress, Prompter& prompter, int threads,
                       const TonalParameters& parameters) {
  if (!doc.hasRecording()) {
    prompter.message(MessageKind::Error, "No data");
    return 3;
  }
  // The tracks come from the samples, but the flags need the analysis's tag
  // table and the picture its sonogram, as for the described detector.
  if (!doc.spectra || !doc.spectra->hasPower() || !doc.tagTable) {
    prompter.message(MessageKind::Error, "No PSD");
    return 3;
  }
  doc.wheezeMap.reset();
  auto map = std::make_unique<WheezeMap>();
  if (!map->create(doc.spectra->channelCount, doc.spectra->segmentCount, BinCount)) {
    prompter.message(MessageKind::Error, "Memory allocation failed: WheezeMap");
    return 3;
  }
  DetectTonalWheezes(*doc.recording, *doc.tagTable, *map, progress, threads, parameters);
  doc.wheezeMap = std::move(map);
  CalculateWheezeImage(doc, progress);
  prompter.message(MessageKind::Information, "Wheeze analysis completed");
  return 0;
}

int RunWheezeDetector(WheezeDetector detector, Document& doc, ProgressSink& progress, Prompter& prompter,
                      int threads, const TonalParameters& parameters) {
  if (detector == WheezeDetector::Tonal) return DetectTonalWheezes(doc, progress, prompter, threads, parameters);
  return DetectWheezes(doc, progress, prompter, threads);
}

}  // namespace vode
