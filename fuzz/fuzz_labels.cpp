// Label tracks: read through the in-memory file system, taken into a small
// recording without a breath signal, undone, and written out again; the
// written track must give the same marks to the untagged recording.
#include <cmath>

#include "FuzzSupport.h"
#include "analysis/AnalysisCommand.h"
#include "document/LabelImport.h"

using namespace vode;
using namespace vode::fuzz;

namespace {

constexpr int Segments = 40;

std::unique_ptr<Document> untagged() {
  auto doc = std::make_unique<Document>();
  doc->recording = std::make_unique<Recording>(Recording::create(Segments, 2));
  doc->computeVolume();
  SilentPrompter quiet;
  NullProgress none;
  CalculateTags(*doc, *doc, true, none, quiet);
  return doc;
}

// Per segment: X when rejected on a channel, else the phase byte.
std::vector<int> marks(const Document& doc) {
  std::vector<int> out;
  const TagTable& tags = *doc.tagTable;
  for (int s = 0; s < tags.segments(); ++s) {
    const bool x = (tags.flags(0, s) | tags.flags(1, s)) & Rejected;
    FUZZ_CHECK(((tags.flags(0, s) ^ tags.flags(1, s)) & Rejected) == 0);
    out.push_back(x ? 'X' : tags.phase(s));
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  MemoryFileSystem fs;
  fs.files["/l/track.txt"].assign(data, data + size);
  std::vector<TrackLabel> labels;
  std::string error;
  const int code = readLabelTrack("/l/track.txt", labels, error, fs);
  if (code != 0) {
    FUZZ_CHECK(code == ErrFormat && error.compare(0, 5, "line ") == 0 && labels.empty());
    return 0;
  }
  for (const TrackLabel& label : labels) {
    FUZZ_CHECK(std::isfinite(label.start) && std::isfinite(label.end));
    FUZZ_CHECK(label.start >= 0.0 && label.end >= label.start && label.line >= 1);
    FUZZ_CHECK(labelSegments(label).first >= 0);
  }

  auto doc = untagged();
  const std::vector<int> before = marks(*doc);
  const std::vector<int16_t> flatFlow = doc->recording->flow;
  FuzzPrompter prompter;
  CheckingProgress progress;
  const LabelImport result = applyLabelTrack(*doc, *doc, labels, "/l/track.txt", progress, prompter);
  FUZZ_CHECK(progress.depth == 0);
  FUZZ_CHECK(doc->tagTable->rows() == 2 && doc->tagTable->segments() == Segments);
  FUZZ_CHECK(result.used + result.outside + static_cast<int>(result.unknown.size()) ==
             static_cast<int>(labels.size()));
  const std::vector<int> after = marks(*doc);
  for (int m : after) FUZZ_CHECK(m == 0 || m == Inspiration || m == Expiration || m == Background || m == 'X');
  FUZZ_CHECK(doc->state.modified == (result.used > 0));

  // The exported track gives the untagged recording the same marks.
  const std::string text = labelTrackText(*doc->tagTable);
  std::vector<TrackLabel> again;
  FUZZ_CHECK(parseLabelTrack(text, again, error));
  auto fresh = untagged();
  applyLabelTrack(*fresh, *fresh, again, "again", progress, prompter);
  FUZZ_CHECK(marks(*fresh) == after);
  // And the same breath signal, except under an exclusion, which keeps what
  // an earlier label wrote there.
  for (int s = 0; s < Segments; ++s)
    if (after[s] != 'X')
      for (int k = s * SegmentFlowSamples; k < (s + 1) * SegmentFlowSamples; ++k)
        FUZZ_CHECK(fresh->recording->flow[k] == doc->recording->flow[k]);

  // Undo puts back every segment the track changed.
  restoreSegments(*doc, *doc, result.before, progress, prompter);
  FUZZ_CHECK(marks(*doc) == before);
  FUZZ_CHECK(doc->recording->flow == flatFlow);
  return 0;
}
