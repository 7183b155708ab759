#include "analysis/PhaseMarks.h"

#include <algorithm>

#include "analysis/AnalysisCommand.h"
#include "analysis/TargetFlow.h"
#include "model/RecordingBundle.h"

namespace vode {

namespace {

struct SegmentSpan {
  int32_t first = 0;
  int32_t last = -1;
};

// first..last inside the recording and, when there is one, its tag table.
SegmentSpan limitedSpan(const RecordingBundle& doc, int32_t first, int32_t last) {
  if (!doc.recording) return {};
  int32_t end = doc.recording->segmentCount - 1;
  if (doc.tagTable) end = std::min(end, doc.tagTable->segments() - 1);
  end = std::min<int32_t>(end, static_cast<int32_t>(doc.recording->flow.size() / SegmentFlowSamples) - 1);
  return {std::max(first, 0), std::min(last, end)};
}

std::ptrdiff_t flowOffset(int32_t s) { return static_cast<std::ptrdiff_t>(s) * SegmentFlowSamples; }

}  // namespace

bool hasBreathSignal(const Recording& recording) {
  return std::any_of(recording.flow.begin(), recording.flow.end(), [](int16_t v) { return v != 0; });
}

std::string noBreathSignalWarning(const std::string& path) {
  return path + " has no breath signal: phase averages are empty";
}

SegmentSnapshot captureSegments(const RecordingBundle& doc, int32_t first, int32_t last) {
  SegmentSnapshot snap;
  if (!doc.tagTable || doc.tagTable->empty()) return snap;
  const SegmentSpan span = limitedSpan(doc, first, last);
  if (span.last < span.first) return snap;
  snap.first = span.first;
  snap.last = span.last;
  const TagTable& tags = *doc.tagTable;
  const std::size_t n = static_cast<std::size_t>(span.last - span.first + 1);
  snap.phases.assign(tags.phaseData() + span.first, tags.phaseData() + span.first + n);
  for (int c = 0; c < tags.rows(); ++c)
    snap.flags.insert(snap.flags.end(), tags.flagRow(c) + span.first, tags.flagRow(c) + span.first + n);
  const auto& flow = doc.recording->flow;
  snap.flow.assign(flow.begin() + flowOffset(span.first), flow.begin() + flowOffset(span.last + 1));
  return snap;
}

void restoreSegments(RecordingBundle& doc, AnalysisResults& results, const SegmentSnapshot& snap,
                     ProgressSink& progress, Prompter& prompter) {
  if (snap.empty() || !doc.tagTable) return;
  // A snapshot of another shape (the recording changed since) is not put back.
  const SegmentSpan span = limitedSpan(doc, snap.first, snap.last);
  const std::size_t n = static_cast<std::size_t>(snap.last - snap.first + 1);
  TagTable& tags = *doc.tagTable;
  if (span.first != snap.first || span.last != snap.last || snap.phases.size() != n ||
      snap.flags.size() != n * static_cast<std::size_t>(tags.rows()) || snap.flow.size() != n * SegmentFlowSamples)
    return;
  std::copy(snap.phases.begin(), snap.phases.end(), tags.phaseData() + snap.first);
  for (int c = 0; c < tags.rows(); ++c)
    std::copy_n(snap.flags.begin() + static_cast<std::ptrdiff_t>(n * c), n, tags.flagRow(c) + snap.first);
  std::copy(snap.flow.begin(), snap.flow.end(), doc.recording->flow.begin() + flowOffset(snap.first));
  recalculateAfterMarks(doc, results, progress, prompter);
}

int16_t markFlowValue(const RecordingBundle& doc, PhaseMark mark) {
  if (mark == PhaseMark::Background) return 0;
  const TargetFlow target = get_target_flow(doc.channelSetup.targetFlowChoice, doc.channelSetup.targetFlow,
                                            doc.subject.weight, doc.isResp());
  const int16_t value = static_cast<int16_t>(std::clamp<int32_t>(target.target, 0, 32767));
  return mark == PhaseMark::Inspiration ? value : static_cast<int16_t>(-value);
}

int32_t applyPhaseMark(RecordingBundle& doc, int32_t first, int32_t last, PhaseMark mark, int channel) {
  if (!doc.tagTable) return 0;
  const SegmentSpan span = limitedSpan(doc, first, last);
  const uint8_t phase = mark == PhaseMark::Inspiration ? Inspiration
                        : mark == PhaseMark::Expiration ? Expiration
                                                        : Background;
  const int16_t flow = markFlowValue(doc, mark);
  TagTable& tags = *doc.tagTable;
  int32_t marked = 0;
  for (int32_t s = span.first; s <= span.last; ++s) {
    if (channel >= 0 && (tags.flags(channel, s) & Clipped)) continue;
    tags.setPhase(s, phase);
    for (int c = 0; c < tags.rows(); ++c) tags.clearFlags(c, s, Rejected);
    std::fill_n(doc.recording->flow.begin() + flowOffset(s), SegmentFlowSamples, flow);
    ++marked;
  }
  return marked;
}

int32_t applyExclusion(RecordingBundle& doc, int32_t first, int32_t last) {
  if (!doc.tagTable) return 0;
  const SegmentSpan span = limitedSpan(doc, first, last);
  for (int32_t s = span.first; s <= span.last; ++s)
    for (int c = 0; c < doc.tagTable->rows(); ++c) doc.tagTable->addFlags(c, s, Rejected);
  return std::max(0, span.last - span.first + 1);
}

void recalculateAfterMarks(RecordingBundle& doc, AnalysisResults& results, ProgressSink& progress,
                           Prompter& prompter) {
  doc.computeVolume();
  CalculateTags(doc, results, false, progress, prompter);
}

RangeMarkResult markRange(RecordingBundle& doc, AnalysisResults& results, int32_t first, int32_t last,
                          PhaseMark mark, int channel, ProgressSink& progress, Prompter& prompter) {
  RangeMarkResult result;
  if (!doc.recording) return result;
  if (!doc.tagTable) CalculateTags(doc, results, true, progress, prompter);
  SegmentSnapshot before = captureSegments(doc, first, last);
  if (before.empty()) return result;
  result.marked = applyPhaseMark(doc, before.first, before.last, mark, channel);
  result.clippedSkipped = before.last - before.first + 1 - result.marked;
  if (result.marked == 0) return result;
  recalculateAfterMarks(doc, results, progress, prompter);
  doc.state.modified = true;
  result.before = std::move(before);
  result.after = captureSegments(doc, first, last);
  return result;
}

}  // namespace vode
