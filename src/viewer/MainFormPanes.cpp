// The panes' painting and mouse read-outs: the window hands each pane the
// document and the display state; the painters and read-outs do the rest.
#include "viewer/MainForm.h"
#include "viewer/PaneWidget.h"

namespace vode {

void TMainForm::connectPainters() {
  FlowBox->setPaintFunction([this](QPainter& p, QSize pane, QRect) {
    PaintContext ctx{doc_, state_, windowPalette_};
    FlowBoxPaint(p, pane, ctx);
  });
  SonoBox->setPaintFunction([this](QPainter& p, QSize pane, QRect) {
    PaintContext ctx{doc_, state_, windowPalette_};
    SonoBoxPaint(p, pane, ctx, sonoMemory_);
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
    FreqBoxPaint(p, pane, ctx, freqMemory_);
  });
  DBBox->setPaintFunction([this](QPainter& p, QSize pane, QRect) {
    PaintContext ctx{doc_, state_, windowPalette_};
    DBBoxPaint(p, pane, ctx);
  });
}

void TMainForm::paneMouseMove(PaneWidget* pane, QPoint pos) {
  if (pane->frozen()) return;
  TrackCursorLine(pane, pos.x());
}

}  // namespace vode
