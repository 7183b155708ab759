// Pens, colours and line drawing shared by the painters.
#pragma once

#include <QColor>
#include <QPainter>
#include <QPolygon>
#include <QRect>
#include <memory>

#include "viewer/PaneGeometry.h"

namespace vode::draw {

// Trace colours (RGB).
inline const QColor Navy{0x00, 0x00, 0x80};
inline const QColor Olive{0x80, 0x80, 0x00};
inline const QColor Yellow{0xFF, 0xFF, 0x00};
inline const QColor Magenta{0xFF, 0x00, 0xFF};
inline const QColor Green{0x00, 0x80, 0x00};
inline const QColor Red{0xFF, 0x00, 0x00};
inline const QColor Lime{0x00, 0xFF, 0x00};
inline const QColor Aqua{0x00, 0xFF, 0xFF};
inline const QColor Grey{0x80, 0x80, 0x80};
inline const QColor Black{0x00, 0x00, 0x00};

// Sets up a painter for one pane: clipped to it, no antialiasing and no
// smoothing of stretched images (levels must stay distinct colours).
void beginPane(QPainter& p, QSize pane);

// The background a pane shows where nothing is drawn.
QColor paneBackground(Pane pane);
void fillBackground(QPainter& p, const QRect& area, Pane pane);

// One-pixel lines of a pane, drawn after its fills. On an unscaled device
// they go straight to the painter; on a scaled one (a device pixel ratio
// other than 1) they are drawn into a layer of the pane's logical size that
// is then stretched over the pane, like the images. Either way a line covers
// the logical pixels a fill of the same coordinates would, and a pane at
// ratio 2 is the ratio-1 picture doubled.
class LineCanvas {
 public:
  LineCanvas(QPainter& target, QSize pane);
  ~LineCanvas();
  LineCanvas(const LineCanvas&) = delete;
  LineCanvas& operator=(const LineCanvas&) = delete;

  void polyline(const QPolygon& points, const QColor& colour);
  void hline(int y, int x0, int x1, const QColor& colour);
  // Puts the layer onto the target; later lines start a new layer.
  void finish();

 private:
  QPainter& lines();
  QPainter& target_;
  QSize pane_;
  bool layered_;
  QImage layer_;
  std::unique_ptr<QPainter> layerPainter_;
};

// Collects the points of a trace; a point equal to the one before adds
// nothing, since long traces map many samples onto one pixel.
class Trace {
 public:
  explicit Trace(int reserve = 0) { points_.reserve(reserve); }
  void add(int x, int y) {
    const QPoint point(x, y);
    if (!points_.isEmpty() && points_.constLast() == point) return;
    points_.append(point);
  }
  bool empty() const { return points_.isEmpty(); }
  QPoint last() const { return points_.constLast(); }
  const QPolygon& points() const { return points_; }
  // Draws what was collected and starts again from the last point.
  void flush(LineCanvas& canvas, const QColor& colour);

 private:
  QPolygon points_;
};

}  // namespace vode::draw
