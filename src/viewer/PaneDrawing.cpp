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

namespace {

bool isScaled(const QPainter& p) { return p.deviceTransform().type() > QTransform::TxTranslate; }

}  // namespace

LineCanvas::LineCanvas(QPainter& target, QSize pane)
    : target_(target), pane_(pane), layered_(isScaled(target)) {}

LineCanvas::~LineCanvas() { finish(); }

QPainter& LineCanvas::lines() {
  if (!layered_) return target_;
  if (!layerPainter_) {
    layer_ = QImage(pane_, QImage::Format_ARGB32_Premultiplied);
    layer_.fill(Qt::transparent);
    layerPainter_ = std::make_unique<QPainter>(&layer_);
    layerPainter_->setRenderHint(QPainter::Antialiasing, false);
  }
  return *layerPainter_;
}

void LineCanvas::polyline(const QPolygon& points, const QColor& colour) {
  if (points.size() < 2) return;
  QPainter& p = lines();
  p.save();
  // Pixel centres and square caps: both end pixels belong to the line.
  p.setPen(QPen(colour, 1.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
  p.translate(0.5, 0.5);
  p.drawPolyline(points);
  p.restore();
}

void LineCanvas::hline(int y, int x0, int x1, const QColor& colour) {
  QPolygon line;
  line << QPoint(x0, y) << QPoint(x1, y);
  polyline(line, colour);
}

void LineCanvas::finish() {
  if (!layerPainter_) return;
  layerPainter_.reset();
  target_.save();
  target_.setRenderHint(QPainter::SmoothPixmapTransform, false);
  target_.drawImage(QRect(QPoint(0, 0), pane_), layer_);
  target_.restore();
}

void Trace::flush(LineCanvas& canvas, const QColor& colour) {
  if (points_.isEmpty()) return;
  canvas.polyline(points_, colour);
  const QPoint from = points_.constLast();
  points_.clear();
  points_.append(from);
}

}  // namespace vode::draw
