// Lookups the report bodies share.
#include "analysis/AnalysisResults.h"
#include "model/RecordingBundle.h"
#include "reports/ReportBodies.h"

namespace vode {

int reportSegmentCount(const RecordingBundle& doc, const AnalysisResults& results) {
  int n = results.spectra->segmentCount;
  if (doc.recording && doc.recording->segmentCount < n) n = doc.recording->segmentCount;
  return n;
}

float runningVolumeAt(const PhaseTable& phases, int s) {
  return s >= 0 && s <= phases.lastSegment ? phases.runningVolume[s] : 0.0f;
}

}  // namespace vode
