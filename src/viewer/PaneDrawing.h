// Pens, colours and line drawing shared by the painters.
#pragma once

#include <QColor>
#include <QPainter>
#include <QPolygon>
#include <QRect>

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

// One-pixel lines. The pen scales with the device pixel ratio and the points
// sit on pixel centres, so a line covers exactly the logical pixels a fill of
// the same coordinates would, at any ratio.
void drawPolyline(QPainter& p, const QPolygon& points, const QColor& colour);
void drawHLine(QPainter& p, int y, int x0, int x1, const QColor& colour);

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
  void flush(QPainter& p, const QColor& colour);

 private:
  QPolygon points_;
};

}  // namespace vode::draw
