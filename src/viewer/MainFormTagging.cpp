// Tagging by mouse and menu: the tag strip's gestures, the Edit menu's tag and
// mark commands, and the recalculation after every edit. Edits run on the
// user-interface thread: a window disabled for a worker would drop the mouse
// moves and the release of a drag over the strip.
#include <QLabel>
#include <QScrollBar>

#include "analysis/AnalysisCommand.h"
#include "analysis/TagEdits.h"
#include "viewer/MainForm.h"
#include "viewer/PaneWidget.h"
#include "viewer/PowerPanel.h"

namespace vode {

bool TMainForm::haveAllResults() const {
  return doc_.recording && doc_.spectra && doc_.phaseTable && doc_.tagTable && doc_.averages;
}

void TMainForm::paneMousePress(PaneWidget* pane, QPoint pos, Qt::MouseButtons buttons,
                               Qt::KeyboardModifiers modifiers) {
  if (state_.Playing || busy_ || !doc_.hasRecording() || pos.x() < 0) return;
  if (pane == SonoBox && state_.ViewMode != SonogramView) return;
  if (pane == TagBox && doc_.tagTable) {
    state_.MultiTagging = true;
    TagLabel->setText("MultiTag");
    TagSegment(TimeAxis::of(state_).segmentAt(pos.x()), buttons, modifiers);
    return;
  }
  beginRangeDrag(pos.x());
}

void TMainForm::paneMouseRelease(PaneWidget* pane, QPoint pos) {
  EraseCursorLine();
  if (pane == TagBox && state_.MultiTagging) {
    state_.MultiTagging = false;
    TagLabel->clear();
  } else if (pane == FlowBox || pane == SonoBox || pane == TagBox) {
    endRangeDrag(pos.x());
  }
}

void TMainForm::TagSegment(int32_t s, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  set_current_segment(s);
  // Past the end of the recording the strip is empty: the selection goes to
  // the last segment, but nothing there was pointed at, so nothing is tagged.
  if (!doc_.recording || s >= doc_.recording->segmentCount) return;
  switch (TagStripPane::gestureFor(buttons, modifiers)) {
    case TagGesture::Include:
      AddCurrentSegment(true, false);
      break;
    case TagGesture::Background:
      AddCurrentSegment(true, true);
      break;
    case TagGesture::Exclude:
      RejectCurrentSegment(true);
      break;
    case TagGesture::Clear:
      AddCurrentSegment(false, false);
      break;
    case TagGesture::SelectOnly:
      break;
  }
}

void TMainForm::AddCurrentSegment(bool include, bool background) {
  if (!haveAllResults()) return;
  afterTagEdit(static_cast<int>(AddSegment(*doc_.tagTable, *doc_.phaseTable, state_.CurrentChannel,
                                           state_.CurrentSegment, include, background)));
}

void TMainForm::RejectCurrentSegment(bool neighbours) {
  if (!haveAllResults()) return;
  afterTagEdit(static_cast<int>(RejectSegment(*doc_.tagTable, state_.CurrentChannel, state_.CurrentSegment, neighbours)));
}

void TMainForm::afterTagEdit(int result) {
  switch (static_cast<TagEdit>(result)) {
    case TagEdit::Clipped:
      prompter_.message(MessageKind::Warning, ClippedSegmentMessage);
      return;
    case TagEdit::NoPhase:
      prompter_.message(MessageKind::Warning, NoValidPhaseMessage);
      return;
    case TagEdit::Outside:
      return;
    case TagEdit::Changed:
      break;
  }
  // Hand-corrected tags are saved with the recording: closing must ask.
  doc_.state.modified = true;
  CalculateTags();
}

void TMainForm::MarkFlow(int16_t value) {
  if (!haveAllResults()) return;
  Recording& recording = *doc_.recording;
  const int32_t s = state_.CurrentSegment;
  const size_t first = static_cast<size_t>(s) * SegmentFlowSamples;
  if (s < 0 || s >= recording.segmentCount || recording.flow.size() < first + SegmentFlowSamples) return;
  std::fill_n(recording.flow.begin() + static_cast<std::ptrdiff_t>(first), SegmentFlowSamples, value);
  doc_.computeVolume();
  doc_.state.modified = true;
  adjust_to_prefs();
  CalculateTags();
  repaintPane(FlowBox);
  if (state_.ViewMode == WaveformView) repaintPane(SonoBox);
  // Repeated use marks consecutive segments; the last one stays current.
  ScrollBar->setValue(s + 1);
}

void TMainForm::CalculateTags() {
  if (!doc_.recording) return;
  EraseCursorLine();
  vode::CalculateTags(doc_, doc_, false, progress(), prompter_);
  repaintPane(TagBox);
  if (state_.FlowDisplay == 2) repaintPane(FlowBox);
  powerPanel_->UpdateChart();
  set_current_segment(state_.CurrentSegment);
}

}  // namespace vode
