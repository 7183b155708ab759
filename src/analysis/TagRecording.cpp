#include <algorithm>
#include <vector>

#include "analysis/PhaseTable.h"
#include "model/Recording.h"
#include "model/TagTable.h"

namespace vode {

void TagRecording(PhaseTable& phases, TagTable& tags, const Recording& recording, bool resp, bool retag) {
  const int segments = std::min<int>(recording.segmentCount, PhaseTable::Capacity);

  // Keep the phase bytes aside when the user's tags must survive.
  std::vector<uint8_t> kept;
  if (!retag && !tags.empty()) kept.assign(tags.phaseData(), tags.phaseData() + tags.segments());

  // The half-empty analysis windows at both ends make those segments unusable.
  if (segments > 0) {
    for (int c = 0; c < tags.rows(); ++c) {
      tags.addFlags(c, 0, Rejected);
      tags.addFlags(c, segments - 1, Rejected);
    }
  }

  // Feed every segment and close the last phase.
  phases.tags = &tags;
  phases.resp = resp;
  phases.peakVolume = recording.peakVolume;
  phases.recordingSegments = segments;
  phases.ResetPhaseTable();
  for (int s = 0; s < segments; ++s) phases.AddSegment(segmentValue(recording, s));
  phases.ClosePhase();

  // Entries and counters stay as computed; only the bytes go back.
  if (!kept.empty()) std::copy(kept.begin(), kept.end(), tags.phaseData());
}

}  // namespace vode
