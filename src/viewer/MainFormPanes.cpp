// The panes' painting and mouse read-outs: the window hands each pane the
// document and the display state; the painters and read-outs do the rest, and
// the window carries out what they leave for it (edge times, messages).
#include <QLabel>
#include <QTimer>

#include "viewer/MainForm.h"
#include "viewer/PaneWidget.h"
#include "viewer/Readouts.h"

namespace vode {

void TMainForm::connectPainters() {
  FlowBox->setPaintFunction([this](QPainter& p, QSize pane, QRect) {
    PaintContext ctx{doc_, state_, windowPalette_};
    FlowBoxPaint(p, pane, ctx);
  });
  SonoBox->setPaintFunction([this](QPainter& p, QSize pane, QRect) {
    PaintContext ctx{doc_, state_, windowPalette_};
    applyPaintOutcome(SonoBoxPaint(p, pane, ctx, sonoMemory_));
  });
  TagBox->setPaintFunction([this](QPainter& p, QSize pane, QRect invalid) {
    PaintContext ctx{doc_, state_, windowPalette_};
    TagBoxPaint(p, pane, invalid, ctx);
  });
  TimeBox->setPaintFunction([this](QPainter& p, QSize pane, QRect) {
    PaintContext ctx{doc_, state_, windowPalette_};
    TimeBoxPaint(p, pane, ctx);
  });
  FreqBox->setPaintFunction([this](QPainter& p, QSize pane, QRect) {
    PaintContext ctx{doc_, state_, windowPalette_};
    applyPaintOutcome(FreqBoxPaint(p, pane, ctx, freqMemory_));
  });
  DBBox->setPaintFunction([this](QPainter& p, QSize pane, QRect) {
    PaintContext ctx{doc_, state_, windowPalette_};
    DBBoxPaint(p, pane, ctx);
  });
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
  if (pane->frozen()) return;
  TrackCursorLine(pane, pos.x());
  const QSize size = pane->size();
  Readout readout;
  if (pane == FlowBox)
    readout = FlowBoxReadout(doc_, state_, size, pos);
  else if (pane == SonoBox)
    readout = SonoBoxReadout(doc_, state_, size, pos, sonoMemory_);
  else if (pane == TagBox)
    readout = TagBoxReadout(doc_, state_, size, pos);
  else if (pane == TimeBox)
    readout = TimeBoxReadout(doc_, state_, size, pos);
  else if (pane == FreqBox)
    readout = FreqBoxReadout(doc_, state_, size, pos, freqMemory_);
  if (readout.status) CursorStatus->setText(*readout.status);
  if (!readout.message.isEmpty()) showPlainMessageLater(readout.message);
}

}  // namespace vode
