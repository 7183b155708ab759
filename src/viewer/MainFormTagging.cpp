// Tagging by mouse and menu: the tag strip's gestures and the Edit menu's tag
// and mark commands go to the workspace, which recalculates the tags on this
// thread; the window then shows the new tags.
#include <QLabel>
#include <QScrollBar>

#include "viewer/MainForm.h"
#include "viewer/PaneWidget.h"
#include "viewer/PowerPanel.h"

namespace vode {

void TMainForm::paneMousePress(PaneWidget* pane, QPoint pos, Qt::MouseButtons buttons,
                               Qt::KeyboardModifiers modifiers) {
  if (state_.Playing || busy() || !doc_.hasRecording() || pos.x() < 0) return;
  if (pane == SonoBox && state_.ViewMode != SonogramView) return;
  if (pane == TagBox && doc_.tagTable) {
    // The whole drag is one step of the edit history.
    workspace_->beginGesture();
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

void TMainForm::AddCurrentSegment(bool include, bool background) { workspace_->includeSegment(include, background); }

void TMainForm::RejectCurrentSegment(bool) { workspace_->excludeSegment(); }

void TMainForm::MarkFlow(int16_t value) {
  const int32_t s = state_.CurrentSegment;
  // Repeated use marks consecutive segments; the last one stays current.
  if (workspace_->markFlow(value)) ScrollBar->setValue(s + 1);
}

void TMainForm::afterTagsChanged() {
  EraseCursorLine();
  repaintPane(TagBox);
  if (state_.FlowDisplay == 2) repaintPane(FlowBox);
  powerPanel_->UpdateChart();
  set_current_segment(state_.CurrentSegment);
}

}  // namespace vode
