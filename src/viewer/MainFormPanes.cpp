// The window's side of the panes: each pane widget shows its pane object, and
// the window carries out what a paint or a read-out leaves for it (edge
// times, messages, the cursor status).
#include <QLabel>
#include <QTimer>

#include "viewer/MainForm.h"
#include "viewer/PaneWidget.h"

namespace vode {

void TMainForm::createPaneViews() {
  const PaneContext context{doc_, state_, windowPalette_};
  flowPane_ = std::make_unique<FlowPane>(context);
  largePane_ = std::make_unique<LargePane>(context);
  tagStrip_ = std::make_unique<TagStripPane>(context);
  waveformPane_ = std::make_unique<WaveformPane>(context);
  spectrumPane_ = std::make_unique<SpectrumPane>(context);
  dbBar_ = std::make_unique<DbBarPane>(context);
  const auto apply = [this](const PaintOutcome& outcome) { applyPaintOutcome(outcome); };
  FlowBox->attach(flowPane_.get());
  SonoBox->attach(largePane_.get(), apply);
  TagBox->attach(tagStrip_.get());
  TimeBox->attach(waveformPane_.get());
  FreqBox->attach(spectrumPane_.get(), apply);
  DBBox->attach(dbBar_.get());
}

void TMainForm::applyPaintOutcome(const PaintOutcome& outcome) {
  // The expanded waveform sets the edge times of its own window.
  if (outcome.waveformDrawn && state_.ViewMode == WaveformView) {
    LeftTimeLabel->setText(outcome.leftTimeLabel);
    RightTimeLabel->setText(outcome.rightTimeLabel);
  }
  if (outcome.powerNil) showPlainMessageLater(PowerNilMessage);
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

void TMainForm::paneMouseMove(PaneWidget* pane, QPoint pos) {
  if (pane->frozen() || !pane->view()) return;
  TrackCursorLine(pane, pos.x());
  const Readout readout = pane->view()->readout(pane->size(), pos);
  if (readout.status) CursorStatus->setText(*readout.status);
  if (!readout.message.isEmpty()) showPlainMessageLater(readout.message);
}

}  // namespace vode
