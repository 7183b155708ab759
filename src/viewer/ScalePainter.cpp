// The dB colour bar beside the small spectrum pane.
#include "viewer/PaintRoutines.h"
#include "viewer/PaneDrawing.h"

namespace vode {

void PaintdBScale(QPainter& p, const QRect& pane, const WindowPalette& palette) {
  // A 1-by-64 image, highest level on top, stretched over the pane.
  QImage bar(1, Palette::Size, QImage::Format_Indexed8);
  bar.setColorTable(indexedColorTable(palette));
  for (int y = 0; y < Palette::Size; ++y) bar.scanLine(y)[0] = static_cast<uchar>(Palette::Size - 1 - y);
  p.drawImage(pane, bar);
}

void DBBoxPaint(QPainter& p, QSize pane, PaintContext& ctx) {
  p.save();
  draw::beginPane(p, pane);
  PaintdBScale(p, QRect(QPoint(0, 0), pane), ctx.palette);
  p.restore();
}

}  // namespace vode
