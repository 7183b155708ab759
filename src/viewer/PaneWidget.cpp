#include "viewer/PaneWidget.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>

#include "viewer/PaneGeometry.h"

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

void PaneWidget::paintContent(QPainter& painter, QRect invalid) {
  painter.fillRect(invalid, background_);
  if (!view_) return;
  painter.save();
  painter.setClipRect(invalid);
  const PaintOutcome outcome = view_->paint(painter, size(), invalid);
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
    painter.drawPixmap(0, 0, snapshot_);
  } else {
    paintContent(painter, event->rect());
  }
  // Inverting the pixels keeps the lines visible on any background; where
  // both lines meet they cancel, as two inverted lines do.
  painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  painter.setPen(QPen(Qt::white, 0));
  for (int x : {cursorX_, playX_})
    if (x >= 0) painter.drawLine(x, 0, x, height() - 1);
}

void PaneWidget::updateColumn(int x) {
  if (x >= 0) update(QRect(x, 0, 1, height()));
}

void PaneWidget::showCursorLine(int x) {
  if (x == cursorX_) return;
  updateColumn(cursorX_);
  cursorX_ = x < 0 || x >= width() ? -1 : x;
  updateColumn(cursorX_);
}

void PaneWidget::eraseCursorLine() { showCursorLine(-1); }

void PaneWidget::showPlayLine(int x) {
  if (x < 0 || x >= width()) x = -1;
  if (x == playX_) return;
  updateColumn(playX_);
  playX_ = x;
  updateColumn(playX_);
}

void PaneWidget::mousePressEvent(QMouseEvent* event) {
  emit pressed(PaneGeometry::pixelAt(event->position()), event->button(), event->buttons(), event->modifiers());
}

void PaneWidget::mouseMoveEvent(QMouseEvent* event) {
  emit moved(PaneGeometry::pixelAt(event->position()), event->buttons(), event->modifiers());
}

void PaneWidget::mouseReleaseEvent(QMouseEvent* event) {
  emit released(PaneGeometry::pixelAt(event->position()), event->button(), event->modifiers());
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
  painter.setPen(QPen(Qt::white, 0));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(0, 0, width() - 1, height() - 1);
}

}  // namespace vode
