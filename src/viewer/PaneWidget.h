// The widget of a paint pane of the main window: it shows what its pane object
// (PaneView) paints, carries the hair-line cursor and the play line as
// overlays, reports the mouse, and can keep showing its last picture while a
// worker thread owns the document.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>
#include <functional>
#include <utility>

#include "viewer/PaneView.h"

namespace vode {

class PaneWidget : public QWidget {
  Q_OBJECT

 public:
  // Runs after each paint with what the pane left for the window to do.
  using AfterPaint = std::function<void(const PaintOutcome&)>;

  PaneWidget(const QString& name, QColor background, QWidget* parent);

  // The pane object that paints this widget and reads the mouse over it.
  void attach(PaneView* view, AfterPaint afterPaint = {});
  PaneView* view() const { return view_; }

  // While frozen the pane shows a snapshot taken now and never calls the paint
  // function, so nothing reads the document while a worker changes it.
  void freeze();
  void thaw();
  bool frozen() const { return frozen_; }

  // The hair-line cursor: one vertical line at x, or none (-1).
  void showCursorLine(int x);
  void eraseCursorLine();
  int cursorLine() const { return cursorX_; }

  // The play line: one vertical line at x, or none (-1).
  void showPlayLine(int x);
  int playLine() const { return playX_; }

  // A shaded band over pane columns [left, right): the range a drag chose,
  // while it is dragged and while it plays; none when right <= left.
  void showRange(int left, int right);
  std::pair<int, int> range() const { return {rangeLeft_, rangeRight_}; }

  // Paints the pane as it would appear, into any painter (snapshots, tests).
  // invalid is in widget pixels.
  void paintContent(QPainter& painter, QRect invalid);

  // The pane's own size, which its painter and read-outs work in; the widget
  // shows it stretched to its own size when the window is zoomed.
  QSize logicalSize() const;
  QRect logicalRect() const { return QRect(QPoint(0, 0), logicalSize()); }
  // Widget pixels per logical pixel, across and down.
  QSizeF scale() const;

 signals:
  void pressed(QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
  void moved(QPoint pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
  void released(QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
  void left();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void updateColumn(int x);
  void drawLines(QPainter& painter);
  QPoint logicalPixel(QMouseEvent* event) const;

  QColor background_;
  PaneView* view_ = nullptr;
  AfterPaint afterPaint_;
  bool frozen_ = false;
  QPixmap snapshot_;
  int cursorX_ = -1;
  int playX_ = -1;
  int rangeLeft_ = 0;
  int rangeRight_ = 0;
};

// The white outline that marks the current segment over a pane. The mouse
// over it belongs to the pane: its events go on to the pane at the pane's
// coordinates, so a press on the outline (which lies a pixel outside the
// segment's cells) selects, tags or drags as the pane would.
class MarkerFrame : public QWidget {
 public:
  MarkerFrame(const QString& name, QWidget* parent, PaneWidget* pane);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void forward(QMouseEvent* event);
  PaneWidget* pane_;
};

}  // namespace vode
