// The dB colour bar beside the small spectrum pane.
#include "viewer/PaneDrawing.h"
#include "viewer/Panes.h"

namespace vode {

PaintOutcome DbBarPane::paint(QPainter& p, QSize pane, QRect) {
  p.save();
  draw::beginPane(p, pane);
  // A 1-by-64 image, highest level on top, stretched over the pane.
  QImage bar(1, Palette::Size, QImage::Format_Indexed8);
  bar.setColorTable(indexedColorTable(palette()));
  for (int y = 0; y < Palette::Size; ++y) bar.scanLine(y)[0] = static_cast<uchar>(Palette::Size - 1 - y);
  p.drawImage(QRect(QPoint(0, 0), pane), bar);
  p.restore();
  return {};
}

}  // namespace vode
