// The small spectrum pane: the spectrum choice of the current segment.
#include "viewer/Panes.h"

namespace vode {

PaintOutcome SpectrumPane::paint(QPainter& p, QSize pane, QRect) {
  PaintOutcome outcome;
  p.save();
  draw::beginPane(p, pane);
  draw::fillBackground(p, QRect(QPoint(0, 0), pane), Pane::Freq);
  draw::LineCanvas canvas(p, pane);
  display_psd(canvas, pane, draw::Navy, context(), false, outcome);
  p.restore();
  return outcome;
}

Readout SpectrumPane::readout(QSize pane, QPoint pos) const { return spectrum_move(context(), pane, pos, false); }

}  // namespace vode
