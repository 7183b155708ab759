#include "viewer/PaneWidget.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>

#include "viewer/PaneGeometry.h"
#include "viewer/WindowScale.h"

#include <algorithm>
#include <cmath>

namespace vode {

PaneWidget::PaneWidget(const QString& name, QColor background, QWidget* parent)
    : QWidget(parent), background_(background) {
  setObjectName(name);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PaneWidget::attach(PaneView* view, AfterPaint afterPaint) {
  view_ = view;
  afterPaint_ = std::move(afterPaint);
  update();
}

QSize PaneWidget::logicalSize() const { return view_ ? paneSize(view_->kind()) : size(); }

QSizeF PaneWidget::scale() const {
  const QSize logical = logicalSize();
  if (logical.isEmpty() || logical == size()) return {1, 1};
  return {qreal(width()) / logical.width(), qreal(height()) / logical.height()};
}

void PaneWidget::paintContent(QPainter& painter, QRect invalid) {
  painter.fillRect(invalid, background_);
  if (!view_) return;
  painter.save();
  painter.setClipRect(invalid);
  QRect logicalInvalid = invalid;
  if (const QSizeF s = scale(); s != QSizeF(1, 1)) {
    // Painted in the pane's own coordinates under a scaling transform, the
    // way a device pixel ratio would: lines go through a layer and images
    // stretch, so a zoomed pane is its natural picture enlarged.
    painter.scale(s.width(), s.height());
    logicalInvalid = painter.transform().inverted().mapRect(QRectF(invalid)).toAlignedRect() & logicalRect();
  }
  const PaintOutcome outcome = view_->paint(painter, logicalSize(), logicalInvalid);
  painter.restore();
  if (afterPaint_) afterPaint_(outcome);
}

void PaneWidget::freeze() {
  if (frozen_) return;
  const qreal ratio = devicePixelRatioF();
  snapshot_ = QPixmap(size() * ratio);
  snapshot_.setDevicePixelRatio(ratio);
  {
    QPainter painter(&snapshot_);
    paintContent(painter, rect());
  }
  frozen_ = true;
}

void PaneWidget::thaw() {
  if (!frozen_) return;
  frozen_ = false;
  snapshot_ = QPixmap();
  update();
}

void PaneWidget::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  if (frozen_) {
    // The window may have been zoomed since the snapshot.
    painter.drawPixmap(rect(), snapshot_);
  } else {
    paintContent(painter, event->rect());
  }
  if (rangeRight_ > rangeLeft_) {
    const qreal sx = scale().width();
    painter.fillRect(QRectF(rangeLeft_ * sx, 0, (rangeRight_ - rangeLeft_) * sx, height()), QColor(255, 255, 255, 64));
  }
  drawLines(painter);
}

void PaneWidget::showRange(int left, int right) {
  left = std::max(left, 0);
  right = std::min(right, logicalSize().width());
  if (right <= left) left = right = 0;
  if (left == rangeLeft_ && right == rangeRight_) return;
  rangeLeft_ = left;
  rangeRight_ = right;
  update();
}

void PaneWidget::drawLines(QPainter& painter) {
  // Inverting the pixels keeps the lines visible on any background; where
  // both lines meet they cancel, as two inverted lines do.
  painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  const QSizeF s = scale();
  if (s == QSizeF(1, 1)) {
    painter.setPen(QPen(Qt::white, 0));
    for (int x : {cursorX_, playX_})
      if (x >= 0) painter.drawLine(x, 0, x, height() - 1);
    return;
  }
  // A logical column covers the widget pixels whose centres lie in its
  // scaled cell, as a fill there would.
  for (int x : {cursorX_, playX_}) {
    if (x < 0) continue;
    const int left = static_cast<int>(std::ceil(x * s.width() - 0.5));
    const int right = static_cast<int>(std::ceil((x + 1) * s.width() - 0.5));
    painter.fillRect(QRect(left, 0, std::max(1, right - left), height()), Qt::white);
  }
}

void PaneWidget::updateColumn(int x) {
  if (x < 0) return;
  const qreal sx = scale().width();
  const int left = static_cast<int>(std::floor(x * sx));
  update(QRect(left, 0, static_cast<int>(std::ceil((x + 1) * sx)) - left + 1, height()));
}

void PaneWidget::showCursorLine(int x) {
  if (x == cursorX_) return;
  updateColumn(cursorX_);
  cursorX_ = x < 0 || x >= logicalSize().width() ? -1 : x;
  updateColumn(cursorX_);
}

void PaneWidget::eraseCursorLine() { showCursorLine(-1); }

void PaneWidget::showPlayLine(int x) {
  if (x < 0 || x >= logicalSize().width()) x = -1;
  if (x == playX_) return;
  updateColumn(playX_);
  playX_ = x;
  updateColumn(playX_);
}

QPoint PaneWidget::logicalPixel(QMouseEvent* event) const { return PaneGeometry::pixelAt(event->position(), scale()); }

void PaneWidget::mousePressEvent(QMouseEvent* event) {
  emit pressed(logicalPixel(event), event->button(), event->buttons(), event->modifiers());
}

void PaneWidget::mouseMoveEvent(QMouseEvent* event) {
  emit moved(logicalPixel(event), event->buttons(), event->modifiers());
}

void PaneWidget::mouseReleaseEvent(QMouseEvent* event) {
  emit released(logicalPixel(event), event->button(), event->modifiers());
}

void PaneWidget::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  emit left();
}

MarkerFrame::MarkerFrame(const QString& name, QWidget* parent, PaneWidget* pane) : QWidget(parent), pane_(pane) {
  setObjectName(name);
  setMouseTracking(true);
}

void MarkerFrame::forward(QMouseEvent* event) {
  const QPointF global = event->globalPosition();
  QMouseEvent moved(event->type(), pane_->mapFromGlobal(global), global, event->button(), event->buttons(),
                    event->modifiers());
  QCoreApplication::sendEvent(pane_, &moved);
}

void MarkerFrame::mousePressEvent(QMouseEvent* event) { forward(event); }
void MarkerFrame::mouseMoveEvent(QMouseEvent* event) { forward(event); }
void MarkerFrame::mouseReleaseEvent(QMouseEvent* event) { forward(event); }

void MarkerFrame::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  pane_->eraseCursorLine();
}

void MarkerFrame::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const qreal s = WindowScale::scaleOf(this);
  if (s == 1.0) {
    painter.setPen(QPen(Qt::white, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, width() - 1, height() - 1);
    return;
  }
  // The outline grows with the window, as the panes' lines do.
  const int t = std::max(1, qRound(s));
  painter.fillRect(0, 0, width(), t, Qt::white);
  painter.fillRect(0, height() - t, width(), t, Qt::white);
  painter.fillRect(0, 0, t, height(), Qt::white);
  painter.fillRect(width() - t, 0, t, height(), Qt::white);
}

}  // namespace vode
