#include "viewer/PaneDrawing.h"

namespace vode::draw {

void beginPane(QPainter& p, QSize pane) {
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  p.setClipRect(QRect(QPoint(0, 0), pane), Qt::IntersectClip);
}

QColor paneBackground(Pane pane) {
  // The large pane sits on black; the others show the window's button face.
  return pane == Pane::Sono ? Black : QColor(0xC0, 0xC0, 0xC0);
}

void fillBackground(QPainter& p, const QRect& area, Pane pane) { p.fillRect(area, paneBackground(pane)); }

void drawPolyline(QPainter& p, const QPolygon& points, const QColor& colour) {
  if (points.size() < 2) return;
  p.save();
  // Square caps: both end pixels belong to the line.
  p.setPen(QPen(colour, 1.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
  p.translate(0.5, 0.5);
  p.drawPolyline(points);
  p.restore();
}

void drawHLine(QPainter& p, int y, int x0, int x1, const QColor& colour) {
  QPolygon line;
  line << QPoint(x0, y) << QPoint(x1, y);
  drawPolyline(p, line, colour);
}

void Trace::flush(QPainter& p, const QColor& colour) {
  if (points_.isEmpty()) return;
  drawPolyline(p, points_, colour);
  const QPoint from = points_.constLast();
  points_.clear();
  points_.append(from);
}

}  // namespace vode::draw
