// The breath-signal gauge of "New Recording": a vertical blue bar from the
// middle (zero) towards +range at the top or -range at the bottom, over two
// yellow bands that show where a target inspiration and expiration lie, each
// with its value beside it.
#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>

namespace vode {

class FlowGauge : public QWidget {
  Q_OBJECT

 public:
  explicit FlowGauge(QWidget* parent = nullptr);

  // target and tolerance in thousandths of the unit ("L/s" or "V"). The range
  // is 1.5 × target either way.
  void setTarget(int32_t target, int32_t tolerance, const QString& unit);
  // The breath signal in thousandths of the unit; held within the range.
  void setValue(double thousandths);

  int range() const { return range_; }
  double value() const { return value_; }
  // The bands, low and high end, in thousandths.
  int32_t inspirationLow() const { return target_ - tolerance_; }
  int32_t inspirationHigh() const { return target_ + tolerance_; }
  int32_t expirationLow() const { return -target_ - tolerance_; }
  int32_t expirationHigh() const { return -target_ + tolerance_; }
  QString inspirationLabel() const;
  QString expirationLabel() const;

  // The pixel row of a value: +range at the top, -range at the bottom.
  int rowOf(double thousandths) const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int32_t target_ = 0;
  int32_t tolerance_ = 0;
  int range_ = 0;
  QString unit_;
  double value_ = 0.0;
};

}  // namespace vode
