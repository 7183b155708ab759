#include "document/LabelImport.h"

#include <algorithm>
#include <map>

#include "analysis/AnalysisCommand.h"
#include "formats/FileErrors.h"
#include "model/Prompter.h"
#include "model/RecordingBundle.h"

namespace vode {

namespace {

constexpr std::size_t ShownLabelLength = 32;
constexpr std::size_t ShownLabels = 10;

// A label as a message quotes it: printable, and short.
std::string shownLabel(const std::string& text) {
  std::string shown;
  for (char ch : text.substr(0, ShownLabelLength))
    shown += static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F ? '?' : ch;
  if (text.size() > ShownLabelLength) shown += "...";
  return "\"" + shown + "\"";
}

void tellUnknown(const std::vector<TrackLabel>& unknown, const std::string& trackName, Prompter& prompter) {
  // Each distinct label once, in the order first met, with where it is.
  std::vector<std::string> order;
  std::map<std::string, std::pair<int, int>> seen;  // first line, count
  for (const TrackLabel& label : unknown) {
    auto [it, added] = seen.emplace(label.text, std::make_pair(label.line, 0));
    if (added) order.push_back(label.text);
    ++it->second.second;
  }
  std::string text = trackName + ": labels other than I, E, B and X skipped: ";
  for (std::size_t i = 0; i < order.size() && i < ShownLabels; ++i) {
    const auto [line, count] = seen[order[i]];
    if (i > 0) text += ", ";
    text += shownLabel(order[i]) + " on line " + std::to_string(line);
    if (count > 1) text += " and " + std::to_string(count - 1) + (count == 2 ? " more line" : " more lines");
  }
  if (order.size() > ShownLabels) text += ", and " + std::to_string(order.size() - ShownLabels) + " more labels";
  prompter.message(MessageKind::Warning, text);
}

}  // namespace

LabelImport applyLabelTrack(RecordingBundle& doc, AnalysisResults& results, const std::vector<TrackLabel>& labels,
                            const std::string& trackName, ProgressSink& progress, Prompter& prompter) {
  LabelImport result;
  if (!doc.recording) return result;
  if (!doc.tagTable) CalculateTags(doc, results, true, progress, prompter);
  const int32_t segments = doc.recording->segmentCount;

  int32_t first = segments, last = -1;
  for (const TrackLabel& label : labels) {
    if (labelMarkOf(label.text) == LabelMark::Unknown) continue;
    const SegmentRange range = labelSegments(label);
    if (range.first > range.last || range.first >= segments) continue;
    first = std::min(first, range.first);
    last = std::max(last, std::min(range.last, segments - 1));
  }
  result.before = captureSegments(doc, first, last);

  for (const TrackLabel& label : labels) {
    const LabelMark mark = labelMarkOf(label.text);
    if (mark == LabelMark::Unknown) {
      result.unknown.push_back(label);
      continue;
    }
    const SegmentRange range = labelSegments(label);
    int32_t marked = 0;
    switch (mark) {
      case LabelMark::Inspiration: marked = applyPhaseMark(doc, range.first, range.last, PhaseMark::Inspiration, -1); break;
      case LabelMark::Expiration: marked = applyPhaseMark(doc, range.first, range.last, PhaseMark::Expiration, -1); break;
      case LabelMark::Background: marked = applyPhaseMark(doc, range.first, range.last, PhaseMark::Background, -1); break;
      case LabelMark::Exclude: marked = applyExclusion(doc, range.first, range.last); break;
      case LabelMark::Unknown: break;
    }
    ++(marked > 0 ? result.used : result.outside);
  }

  if (!result.unknown.empty()) tellUnknown(result.unknown, trackName, prompter);
  if (result.outside > 0)
    prompter.message(MessageKind::Warning,
                     trackName + ": " + std::to_string(result.outside) +
                         (result.outside == 1 ? " label covers" : " labels cover") +
                         " no segment of the recording (0 to " + std::to_string(segments / 10) + "." +
                         std::to_string(segments % 10) + " s) and " + (result.outside == 1 ? "was" : "were") +
                         " skipped");
  if (result.used == 0) {
    result.before = {};
    return result;
  }
  recalculateAfterMarks(doc, results, progress, prompter);
  doc.state.modified = true;
  result.after = captureSegments(doc, result.before.first, result.before.last);
  return result;
}

int importLabelFile(RecordingBundle& doc, AnalysisResults& results, const std::string& path, ProgressSink& progress,
                    Prompter& prompter, LabelImport* result, FileSystem& fs) {
  std::vector<TrackLabel> labels;
  std::string error;
  const int code = readLabelTrack(path, labels, error, fs);
  if (code != 0) {
    // A track that is no label track names its line; any other failure its cause.
    prompter.message(MessageKind::Warning,
                     code == ErrFormat ? "Unable to open " + path + "... " + error : openFailureText(path, code));
    return code;
  }
  LabelImport applied = applyLabelTrack(doc, results, labels, path, progress, prompter);
  if (result) *result = std::move(applied);
  return 0;
}

}  // namespace vode
