// Taking a label track into an open recording: I, E and B labels mark their
// segments as hand marks do (phase bytes and a breath signal), X labels
// exclude theirs on every channel, and one recalculation follows.
#pragma once

#include <string>
#include <vector>

#include "analysis/PhaseMarks.h"
#include "formats/FileSystem.h"
#include "formats/LabelTrack.h"

namespace vode {

struct AnalysisResults;
struct RecordingBundle;
class Prompter;
class ProgressSink;

struct LabelImport {
  int used = 0;              // labels that marked at least one segment
  int outside = 0;           // known labels that cover no segment of the recording
  std::vector<TrackLabel> unknown;  // labels that are none of I, E, B, X, in file order
  SegmentSnapshot before;    // every segment the track could change, for undo
  SegmentSnapshot after;
};

// Applies labels in file order (a later label wins where two overlap): the
// recording is tagged first when it has no tag table yet; then the marks,
// one recalculation keeping the phase bytes, and the document is modified
// when anything was marked. Unknown labels and labels outside the recording
// are told through the prompter (trackName names the track there).
LabelImport applyLabelTrack(RecordingBundle& doc, AnalysisResults& results, const std::vector<TrackLabel>& labels,
                            const std::string& trackName, ProgressSink& progress, Prompter& prompter);

// readLabelTrack, then applyLabelTrack. A track that cannot be read changes
// nothing and is shown as "Unable to open " + path + "... " + the reason.
// 0 or the code.
int importLabelFile(RecordingBundle& doc, AnalysisResults& results, const std::string& path, ProgressSink& progress,
                    Prompter& prompter, LabelImport* result = nullptr, FileSystem& fs = FileSystem::real());

}  // namespace vode
