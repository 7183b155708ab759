// The window's side of the panes: each pane widget shows its pane object, and
// the window carries out what a paint or a read-out leaves for it (edge
// times, messages, the cursor status).
#include <QLabel>
#include <QTimer>

#include "viewer/MainForm.h"
#include "viewer/PaneWidget.h"

namespace vode {

void TMainForm::createPaneViews() {
  panes_ = std::make_unique<PaneSet>(PaneContext{doc_, state_, windowPalette_});
  const auto apply = [this](const PaintOutcome& outcome) { applyPaintOutcome(outcome); };
  FlowBox->attach(&panes_->flow);
  SonoBox->attach(&panes_->large, apply);
  TagBox->attach(&panes_->tagStrip);
  TimeBox->attach(&panes_->waveform);
  FreqBox->attach(&panes_->spectrum, apply);
  DBBox->attach(&panes_->dbBar);
}

void TMainForm::applyPaintOutcome(const PaintOutcome& outcome) {
  // The expanded waveform sets the edge times of its own window.
  if (outcome.waveformDrawn && state_.ViewMode == WaveformView) {
    LeftTimeLabel->setText(outcome.leftTimeLabel);
    RightTimeLabel->setText(outcome.rightTimeLabel);
  }
  if (outcome.powerNil) showPlainMessageLater(PowerNilMessage);
  // A new view or waveform window moves the play line over the large pane.
  if (playLineSegment_ >= 0) placePlayLine();
}

void TMainForm::showPlainMessageLater(const QString& text) {
  // Never a modal box inside a paint or a mouse event; and one at a time, as
  // repaints and mouse moves would ask again and again.
  if (plainMessagePending_) return;
  plainMessagePending_ = true;
  QTimer::singleShot(0, this, [this, text] {
    prompter_.message(MessageKind::Plain, text.toStdString());
    plainMessagePending_ = false;
  });
}

void TMainForm::paneMouseMove(PaneWidget* pane, QPoint pos, Qt::MouseButtons buttons,
                              Qt::KeyboardModifiers modifiers) {
  if (pane->frozen() || !pane->view()) return;
  // A move without a button after a drag began means its release went
  // elsewhere (a warning box took it): the drag is over.
  if (buttons == Qt::NoButton) endMouseGestures();
  // A drag with "MultiTag" applies its gesture to each segment it reaches;
  // a drag from the flow or large pane marks the end of a range to play.
  if (pane == TagBox && state_.MultiTagging && pos.x() >= 0) {
    const int32_t s = panes_->tagStrip.segmentAt(pos.x());
    if (s != state_.CurrentSegment) TagSegment(s, buttons, modifiers);
  } else if (pane == FlowBox || pane == SonoBox || pane == TagBox) {
    moveRangeDrag(pos.x());
  }
  TrackCursorLine(pane, pos.x());
  hoverPane_ = pane;
  hoverPos_ = pos;
  const Readout readout = pane->view()->readout(pane->logicalSize(), pos);
  if (readout.status) CursorStatus->setText(*readout.status);
  if (!readout.message.isEmpty()) showPlainMessageLater(readout.message);
}

void TMainForm::endMouseGestures() {
  if (state_.MultiTagging) {
    state_.MultiTagging = false;
    TagLabel->clear();
  }
  if (state_.Dragging) {
    XorPlayCounter(state_.PlayCounter);
    state_.Dragging = false;
    state_.PlayCounter = -1;
  }
}

void TMainForm::refreshHoverReadout() {
  // An edit under a still mouse changes what the pane there reads.
  if (!hoverPane_ || hoverPane_->frozen() || !hoverPane_->view()) return;
  const Readout readout = hoverPane_->view()->readout(hoverPane_->logicalSize(), hoverPos_);
  if (readout.status) CursorStatus->setText(*readout.status);
}

}  // namespace vode
