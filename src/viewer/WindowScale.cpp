#include "viewer/WindowScale.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QProxyStyle>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace vode {

namespace {

// Widgets a control makes for itself (a spin box's editor, a scroll area's
// viewport) are the control's business, not the window's layout.
bool ownedByControl(const QWidget* w) {
  return w->isWindow() || w->objectName().startsWith(QLatin1String("qt_"));
}

bool hasPrivateChildren(const QWidget* w) {
  return qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QComboBox*>(w) ||
         qobject_cast<const QAbstractScrollArea*>(w);
}

bool sizeIsOwn(const QWidget* w) {
  return w->testAttribute(Qt::WA_SetFont) && (w->font().resolveMask() & QFont::SizeResolved);
}

QFont scaledFont(QFont font, qreal s) {
  if (font.pixelSize() > 0)
    font.setPixelSize(std::max(1, qRound(font.pixelSize() * s)));
  else if (font.pointSizeF() > 0)
    font.setPointSizeF(font.pointSizeF() * s);
  return font;
}

int scaled(int value, qreal s) { return qRound(value * s); }

class ScaledStyle : public QProxyStyle {
 public:
  explicit ScaledStyle(const qreal& scale) : scale_(scale) {}
  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    const int value = QProxyStyle::pixelMetric(metric, option, widget);
    switch (metric) {
      case PM_IndicatorWidth:
      case PM_IndicatorHeight:
      case PM_ExclusiveIndicatorWidth:
      case PM_ExclusiveIndicatorHeight:
      case PM_CheckBoxLabelSpacing:
      case PM_RadioButtonLabelSpacing:
      case PM_DefaultFrameWidth:
      case PM_SpinBoxFrameWidth:
      case PM_ComboBoxFrameWidth:
      case PM_ButtonMargin:
        return scaled(value, scale_);
      default:
        return value;
    }
  }

 private:
  const qreal& scale_;
};

}  // namespace

WindowScale::WindowScale(QWidget* area, QSize natural) : QObject(area), area_(area), natural_(natural) {
  setObjectName("WindowScale");
  style_ = new ScaledStyle(scale_);
  style_->setParent(this);
  areaFont_ = area_->font();
  area_->installEventFilter(this);
  relayout();
}

qreal WindowScale::scaleFor(QSize area, QSize natural) {
  if (natural.isEmpty()) return 1.0;
  const qreal s = std::min(qreal(area.width()) / natural.width(), qreal(area.height()) / natural.height());
  return std::max<qreal>(1.0, s);
}

QSize WindowScale::areaSize(qreal s) const { return {scaled(natural_.width(), s), scaled(natural_.height(), s)}; }

WindowScale* WindowScale::of(const QWidget* widget) {
  for (const QWidget* w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget())
    if (auto* scale = w->findChild<WindowScale*>(QString(), Qt::FindDirectChildrenOnly)) return scale;
  return nullptr;
}

qreal WindowScale::scaleOf(const QWidget* widget) {
  const WindowScale* scale = of(widget);
  return scale ? scale->scale() : 1.0;
}

QRect WindowScale::naturalGeometry(const QWidget* widget) const {
  const auto it = controls_.constFind(widget);
  return it != controls_.cend() && it->placed ? it->geometry : widget->geometry();
}

void WindowScale::setNaturalGeometry(QWidget* widget, const QRect& geometry) {
  auto it = controls_.find(widget);
  if (it == controls_.end() || !it->placed) {
    // Not recorded yet: placed as given, recorded on the next pass.
    widget->setGeometry(geometry);
    if (it == controls_.end()) scheduleAdopt();
    return;
  }
  it->geometry = geometry;
  apply(widget, *it);
}

void WindowScale::setNaturalFont(QWidget* widget, const QFont& font) {
  auto it = controls_.find(widget);
  if (it == controls_.end()) {
    widget->setFont(font);
    scheduleAdopt();
    return;
  }
  it->ownFont = true;
  it->font = font;
  apply(widget, *it);
}

void WindowScale::adopt() { relayout(); }

void WindowScale::scheduleAdopt() {
  if (adoptPending_) return;
  adoptPending_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        adoptPending_ = false;
        adopt();
      },
      Qt::QueuedConnection);
}

void WindowScale::track(QWidget* w) {
  Natural n;
  const QLayout* layout = w->parentWidget() ? w->parentWidget()->layout() : nullptr;
  n.placed = !layout || layout->indexOf(w) < 0;
  n.geometry = w->geometry();
  n.applied = n.geometry;
  n.ownFont = sizeIsOwn(w);
  n.font = w->font();
  // A control made while the window is zoomed whose font was copied from its
  // parent carries the parent's scaled size: its own is the natural one.
  if (n.ownFont && scale_ != 1.0 && w->parentWidget() && n.font.pixelSize() > 0 &&
      n.font.pixelSize() == w->parentWidget()->font().pixelSize())
    n.font.setPixelSize(std::max(1, qRound(n.font.pixelSize() / scale_)));
  n.appliedFont = w->font();
  if (auto* frame = qobject_cast<QFrame*>(w)) {
    n.lineWidth = frame->lineWidth();
    n.midLineWidth = frame->midLineWidth();
  }
  if (auto* label = qobject_cast<QLabel*>(w)) {
    n.indent = label->indent();
    n.margin = label->margin();
  }
  if (auto* button = qobject_cast<QAbstractButton*>(w); button && !button->icon().isNull())
    n.iconSize = button->iconSize();
  n.ownStyle = w->testAttribute(Qt::WA_SetStyle);
  n.minimumSize = w->minimumSize();
  n.maximumSize = w->maximumSize();
  controls_.insert(w, n);
  w->installEventFilter(this);
  connect(w, &QObject::destroyed, this, [this, w] { controls_.remove(w); });
}

QPointF WindowScale::naturalOrigin(const QWidget* widget) const {
  // NaN marks a parent that is not placed by us (a layout's): children then
  // scale relative to it.
  QPointF origin(0, 0);
  for (const QWidget* w = widget; w != area_; w = w->parentWidget()) {
    const auto it = controls_.constFind(w);
    if (!w || it == controls_.cend() || !it->placed) return {qQNaN(), qQNaN()};
    origin += it->geometry.topLeft();
  }
  return origin;
}

QRect WindowScale::scaledGeometry(const QWidget* widget, const Natural& n) const {
  const qreal s = scale_;
  const QWidget* parent = widget->parentWidget();
  const QPointF origin = naturalOrigin(parent);
  if (std::isnan(origin.x())) {
    const QRect& g = n.geometry;
    return QRect(QPoint(scaled(g.left(), s), scaled(g.top(), s)),
                 QPoint(scaled(g.left() + g.width(), s) - 1, scaled(g.top() + g.height(), s) - 1));
  }
  // Edges are rounded in the area's coordinates, so neighbours stay
  // neighbours and a control nested in frames lands where it would alone.
  const auto edge = [s](qreal v) { return static_cast<int>(std::lround(v * s)); };
  const Shift shift = shiftOf(widget);
  const auto across = [this, shift](qreal v) { return edgeX(v, shift); };
  const QRectF g = QRectF(n.geometry).translated(origin);
  // The area's own origin never moves; a parent's left edge moves as its own.
  const QPoint base(parent == area_ ? 0 : -across(origin.x()), -edge(origin.y()));
  const int left = across(g.left()), top = edge(g.top());
  return QRect(left + base.x(), top + base.y(), across(g.right()) - left, edge(g.bottom()) - top);
}

WindowScale::Shift WindowScale::shiftOf(const QWidget* widget) const {
  if (extra_ == 0) return Shift::None;
  const QWidget* top = widget;
  while (top && top->parentWidget() != area_) top = top->parentWidget();
  if (!top) return Shift::None;
  if (band_.contains(top)) return Shift::Band;
  return naturalGeometry(top).left() >= bandRight_ ? Shift::Right : Shift::None;
}

int WindowScale::edgeX(qreal naturalX, Shift shift) const {
  qreal x = naturalX * scale_;
  if (shift == Shift::Right) x += extra_;
  if (shift == Shift::Band)
    x += extra_ * std::clamp((naturalX - bandLeft_) / qreal(bandRight_ - bandLeft_), qreal(0), qreal(1));
  return static_cast<int>(std::lround(x));
}

void WindowScale::setTimeBand(int naturalLeft, int naturalRight, const QList<const QWidget*>& controls) {
  bandLeft_ = naturalLeft;
  bandRight_ = std::max(naturalRight, naturalLeft + 1);
  band_ = QSet<const QWidget*>(controls.begin(), controls.end());
  relayout();
}

void WindowScale::setStretched(bool on) {
  if (stretched_ == on) return;
  stretched_ = on;
  relayout();
}

void WindowScale::noticeForeignChanges(QWidget* w, Natural& n) {
  // Someone else placed the control (in natural coordinates, the way the
  // window's code places everything) or chose a font for it.
  // A move keeps the natural size and a resize the natural place.
  if (n.placed && w->pos() != n.applied.topLeft()) n.geometry.moveTopLeft(w->pos());
  if (n.placed && w->size() != n.applied.size()) n.geometry.setSize(w->size());
  if (sizeIsOwn(w) && w->font() != n.appliedFont) {
    n.ownFont = true;
    n.font = w->font();
  }
}

void WindowScale::apply(QWidget* w, Natural& n) {
  const qreal s = scale_;
  const bool wasApplying = applying_;
  applying_ = true;
  const auto limit = [s](int v) { return v >= QWIDGETSIZE_MAX ? v : std::min(QWIDGETSIZE_MAX, scaled(v, s)); };
  const QSize low(limit(n.minimumSize.width()), limit(n.minimumSize.height()));
  const QSize high(limit(n.maximumSize.width()), limit(n.maximumSize.height()));
  if (w->minimumSize() != low) w->setMinimumSize(low);
  if (w->maximumSize() != high) w->setMaximumSize(high);
  if (n.placed) {
    const QRect rect = scaledGeometry(w, n);
    if (w->geometry() != rect) w->setGeometry(rect);
    n.applied = w->geometry();
  }
  if (n.ownFont) {
    const QFont font = scaledFont(n.font, s);
    if (w->font() != font) w->setFont(font);
  }
  n.appliedFont = w->font();
  if (!n.ownStyle) {
    if (s != 1.0 && w->style() != style_)
      w->setStyle(style_);
    else if (s == 1.0 && w->testAttribute(Qt::WA_SetStyle))
      w->setStyle(nullptr);  // the application's style again, untouched
  }
  if (auto* frame = qobject_cast<QFrame*>(w); frame && n.lineWidth >= 0) {
    if (frame->lineWidth() != scaled(n.lineWidth, s)) frame->setLineWidth(scaled(n.lineWidth, s));
    if (frame->midLineWidth() != scaled(n.midLineWidth, s)) frame->setMidLineWidth(scaled(n.midLineWidth, s));
  }
  if (auto* label = qobject_cast<QLabel*>(w)) {
    if (n.indent > 0 && label->indent() != scaled(n.indent, s)) label->setIndent(scaled(n.indent, s));
    if (n.margin > 0 && label->margin() != scaled(n.margin, s)) label->setMargin(scaled(n.margin, s));
  }
  if (auto* button = qobject_cast<QAbstractButton*>(w); button && n.iconSize.isValid()) {
    const QSize icon(scaled(n.iconSize.width(), s), scaled(n.iconSize.height(), s));
    if (button->iconSize() != icon) button->setIconSize(icon);
  }
  applying_ = wasApplying;
}

void WindowScale::collect(QWidget* parent) {
  // Parents before children: a child's place depends on its parent's.
  for (QObject* child : parent->children()) {
    auto* w = qobject_cast<QWidget*>(child);
    if (!w || ownedByControl(w)) continue;
    auto it = controls_.find(w);
    if (it == controls_.end()) {
      track(w);
      it = controls_.find(w);
    } else {
      noticeForeignChanges(w, *it);
    }
    apply(w, *it);
    if (!hasPrivateChildren(w)) collect(w);
  }
}

void WindowScale::relayout() {
  const qreal before = scale_;
  scale_ = scaleFor(area_->size(), natural_);
  extra_ = stretched_ && !band_.isEmpty() ? std::max(0, area_->width() - scaled(natural_.width(), scale_)) : 0;
  applying_ = true;
  const QFont font = scaledFont(areaFont_, scale_);
  if (area_->font() != font) area_->setFont(font);
  applying_ = false;
  collect(area_);
  if (scale_ != before) emit scaleChanged(scale_);
}

bool WindowScale::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ChildAdded:
      if (static_cast<QChildEvent*>(event)->child()->isWidgetType()) scheduleAdopt();
      break;
    case QEvent::Resize:
      if (watched == area_) {
        relayout();
        break;
      }
      [[fallthrough]];
    case QEvent::Move:
    case QEvent::FontChange:
      if (!applying_ && watched != area_) {
        auto* w = static_cast<QWidget*>(watched);
        auto it = controls_.find(w);
        if (it != controls_.end()) {
          noticeForeignChanges(w, *it);
          apply(w, *it);
        }
      }
      break;
    default:
      break;
  }
  return false;
}

}  // namespace vode
