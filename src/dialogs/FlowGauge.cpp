#include "dialogs/FlowGauge.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "dialogs/DialogSupport.h"
#include "model/Numeric.h"

namespace vode {

namespace {

constexpr int BarWidth = 24;

}  // namespace

FlowGauge::FlowGauge(QWidget* parent) : QWidget(parent) {
  setObjectName("FlowGauge");
  setAccessibleName("Breath signal");
  setMinimumSize(BarWidth + 70, 120);
}

QSize FlowGauge::sizeHint() const { return {BarWidth + 76, 200}; }

void FlowGauge::setTarget(int32_t target, int32_t tolerance, const QString& unit) {
  target_ = target;
  tolerance_ = tolerance;
  unit_ = unit;
  range_ = roundEven(1.5 * target);
  setValue(value_);
  update();
}

void FlowGauge::setValue(double thousandths) {
  const double limited = range_ > 0 ? std::clamp(thousandths, -double(range_), double(range_)) : 0.0;
  if (limited == value_) return;
  value_ = limited;
  update();
}

QString FlowGauge::inspirationLabel() const { return fixedText(target_ / 1000.0, 2) + " " + unit_; }
QString FlowGauge::expirationLabel() const { return fixedText(-target_ / 1000.0, 2) + " " + unit_; }

int FlowGauge::rowOf(double thousandths) const {
  const int h = height() - 1;
  if (range_ <= 0) return h / 2;
  const double y = (range_ - thousandths) / (2.0 * range_) * h;
  return static_cast<int>(std::lround(std::clamp(y, 0.0, double(h))));
}

void FlowGauge::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().window());
  const QRect bar(0, 0, BarWidth, height());
  p.fillRect(bar, Qt::white);

  auto band = [&](int32_t low, int32_t high, const QString& label) {
    const int top = rowOf(high);
    const int bottom = rowOf(low);
    p.fillRect(QRect(0, top, BarWidth, bottom - top + 1), Qt::yellow);
    p.setPen(palette().windowText().color());
    p.drawText(QRect(BarWidth + 4, top - 20, width() - BarWidth - 4, bottom - top + 41),
               Qt::AlignLeft | Qt::AlignVCenter, label);
  };
  if (range_ > 0) {
    band(inspirationLow(), inspirationHigh(), inspirationLabel());
    band(expirationLow(), expirationHigh(), expirationLabel());
  }

  const int zero = rowOf(0.0);
  const int at = rowOf(value_);
  p.fillRect(QRect(6, std::min(zero, at), BarWidth - 12, std::abs(at - zero) + 1), Qt::blue);
  p.setPen(Qt::black);
  p.drawLine(0, zero, BarWidth - 1, zero);
  p.drawRect(bar.adjusted(0, 0, -1, -1));
}

}  // namespace vode
