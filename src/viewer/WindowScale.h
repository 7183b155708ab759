// Uniform scaling of a client area laid out at fixed logical positions. The
// area has a natural size; when it is larger, everything in it is laid out
// again at s = min(width / natural width, height / natural height), at least 1:
// every control's geometry, font size, frame line widths, label indents and
// icon sizes from what they were at the natural size, times s, from the
// area's top-left corner (captures take that corner). Paint panes read their scale from their own
// size (PaneWidget), so this class never paints.
//
// A window wider than the ratio has room left over at the right. The controls
// that show time (a band of the area, setTimeBand) stretch across it, so the
// same seconds are drawn wider, and the controls right of the band move right
// by it; the others stay where the scale puts them.
//
// Controls are recorded the first time they are seen, with the geometry and
// font they have then: at start-up for the controls that exist, and on the
// next turn of the event loop for controls made later (adopt() does it at
// once). A control moved or resized at run time by setGeometry/move/resize in
// natural coordinates is noticed and scaled as well; code that reads a
// control's geometry back to compute a new one must use naturalGeometry() and
// setNaturalGeometry() instead, since the live geometry is scaled.
#pragma once

#include <QFont>
#include <QHash>
#include <QObject>
#include <QList>
#include <QRect>
#include <QSet>
#include <QSize>

class QProxyStyle;
class QWidget;

namespace vode {

class WindowScale : public QObject {
  Q_OBJECT

 public:
  WindowScale(QWidget* area, QSize natural);

  QWidget* area() const { return area_; }
  QSize naturalSize() const { return natural_; }
  qreal scale() const { return scale_; }
  // The scale of an area of that size: the smaller ratio, never below 1.
  static qreal scaleFor(QSize area, QSize natural);
  // The area's size at scale s.
  QSize areaSize(qreal s) const;

  // The geometry of a control at the natural size, relative to its parent.
  // For a control not (yet) recorded, its live geometry.
  QRect naturalGeometry(const QWidget* widget) const;
  // Places a control at a natural geometry; it shows at that geometry × s.
  void setNaturalGeometry(QWidget* widget, const QRect& geometry);
  // A font chosen at run time, at its natural size.
  void setNaturalFont(QWidget* widget, const QFont& font);

  // Records and scales the controls made since the last pass, and lays out
  // again for the area's present size.
  void adopt();

  // The controls that follow time, all children of the area, and the band of
  // natural x they share: from left to right they stretch across the width
  // left over, every edge between moving in proportion.
  void setTimeBand(int naturalLeft, int naturalRight, const QList<const QWidget*>& controls);
  // Off, the area is laid out at s alone (pictures at natural proportions).
  void setStretched(bool on);
  bool stretched() const { return stretched_; }
  // The width the time band gains, in area pixels.
  int extraWidth() const { return extra_; }

  // The scaler of the window that holds widget, or nullptr.
  static WindowScale* of(const QWidget* widget);
  // The scale a widget is shown at: 1 outside a scaled area.
  static qreal scaleOf(const QWidget* widget);

 signals:
  void scaleChanged(qreal scale);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Natural {
    bool placed = false;  // geometry is ours (not a layout's)
    QRect geometry;       // natural, relative to the parent
    QRect applied;        // what was last set, to notice moves by others
    bool ownFont = false;
    QFont font;
    QFont appliedFont;
    int lineWidth = -1;
    int midLineWidth = -1;
    int indent = -1;
    int margin = -1;
    QSize iconSize;
    QSize minimumSize;  // limits a control was given, which setGeometry keeps to
    QSize maximumSize;
    bool ownStyle = false;  // a style of its own, left alone
  };

  void collect(QWidget* parent);
  void track(QWidget* widget);
  void apply(QWidget* widget, Natural& n);
  void relayout();
  void noticeForeignChanges(QWidget* widget, Natural& n);
  QPointF naturalOrigin(const QWidget* widget) const;
  enum class Shift { None, Band, Right };
  Shift shiftOf(const QWidget* widget) const;
  int edgeX(qreal naturalX, Shift shift) const;
  QRect scaledGeometry(const QWidget* widget, const Natural& n) const;
  void scheduleAdopt();

  QWidget* area_;
  QSize natural_;
  qreal scale_ = 1.0;
  QFont areaFont_;
  QHash<const QWidget*, Natural> controls_;
  // The application's style with its indicator sizes, spacings and frame
  // widths × s, for every control while the window is zoomed.
  QProxyStyle* style_ = nullptr;
  bool applying_ = false;
  bool adoptPending_ = false;
  int bandLeft_ = 0;
  int bandRight_ = 0;
  QSet<const QWidget*> band_;
  bool stretched_ = true;
  int extra_ = 0;
};

}  // namespace vode
