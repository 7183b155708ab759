// Marking breath phases by hand over a range of segments, for recordings
// whose breath signal is missing or wrong: the range's phase bytes are set
// and a matching breath signal is written into it, so the phases, breaths
// and averages follow the marks and the marks survive a save.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/Progress.h"

namespace vode {

struct AnalysisResults;
struct Recording;
struct RecordingBundle;
class Prompter;

// The breath trace holds a sample other than zero.
bool hasBreathSignal(const Recording& recording);

// The window's status text for a recording without one.
inline constexpr const char* NoBreathSignalStatus = "No breath signal: mark phases by hand or import labels";

// path + " has no breath signal: phase averages are empty"
std::string noBreathSignalWarning(const std::string& path);

// What a mark can change in segments first..last: the phase bytes, every
// channel's flags and the breath samples. An editor takes one before and one
// after an edit and puts either back to undo or redo it.
struct SegmentSnapshot {
  int32_t first = 0;
  int32_t last = -1;
  std::vector<uint8_t> phases;
  std::vector<uint8_t> flags;  // channel after channel, last - first + 1 each
  std::vector<int16_t> flow;   // 32 per segment

  bool empty() const { return last < first; }
};

// first..last limited to the recording and its tag table; empty without them.
SegmentSnapshot captureSegments(const RecordingBundle& doc, int32_t first, int32_t last);

// Writes the snapshot back, then recalculates as a mark does.
void restoreSegments(RecordingBundle& doc, AnalysisResults& results, const SegmentSnapshot& snapshot,
                     ProgressSink& progress, Prompter& prompter);

enum class PhaseMark { Inspiration, Expiration, Background };

// The breath sample a mark writes: +TargetFlow, -TargetFlow or 0 by the
// recording's target (in the breath signal's own unit, within 16 bits).
int16_t markFlowValue(const RecordingBundle& doc, PhaseMark mark);

// Without recalculating: sets the phase byte of every segment of first..last
// (limited to the recording) to the mark, writes markFlowValue into its
// breath samples and clears its Rejected flag on every channel, as including
// a single segment does. Segments clipped on `channel` stay as they were
// (-1: no channel protects). Needs a tag table. Returns the segments marked.
int32_t applyPhaseMark(RecordingBundle& doc, int32_t first, int32_t last, PhaseMark mark, int channel);

// Without recalculating: sets Rejected on every channel of first..last.
int32_t applyExclusion(RecordingBundle& doc, int32_t first, int32_t last);

// After marks: the volume from the new breath signal, then CalculateTags
// keeping the phase bytes, so phases, breaths, averages and band power follow.
void recalculateAfterMarks(RecordingBundle& doc, AnalysisResults& results, ProgressSink& progress,
                           Prompter& prompter);

struct RangeMarkResult {
  SegmentSnapshot before;  // empty when nothing was marked
  SegmentSnapshot after;
  int32_t marked = 0;
  int32_t clippedSkipped = 0;  // segments left alone because they are clipped on the channel
};

// One hand mark as an edit: tags the recording first when it has no tag
// table yet, snapshots the range, applies the mark, recalculates and marks
// the document modified.
RangeMarkResult markRange(RecordingBundle& doc, AnalysisResults& results, int32_t first, int32_t last,
                          PhaseMark mark, int channel, ProgressSink& progress, Prompter& prompter);

}  // namespace vode
