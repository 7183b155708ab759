// Lookups the report bodies share.
#include "model/Document.h"
#include "reports/ReportBodies.h"

namespace vode {

int reportSegmentCount(const Document& doc) {
  int n = doc.spectra->segmentCount;
  if (doc.recording && doc.recording->segmentCount < n) n = doc.recording->segmentCount;
  return n;
}

float runningVolumeAt(const PhaseTable& phases, int s) {
  return s >= 0 && s <= phases.lastSegment ? phases.runningVolume[s] : 0.0f;
}

}  // namespace vode
