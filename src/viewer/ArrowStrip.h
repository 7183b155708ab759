// The inspiration/expiration arrows beside the flow pane, shown only in the
// educational capture: up for "I", down for "E".
#pragma once

#include <QWidget>

namespace vode {

// Where the strip's labels stand, in the strip's own pixels at natural size.
constexpr int ArrowStripWidth = 23;
constexpr int ArrowLabelLeft = 4;
constexpr int ILabelTop = 8;
constexpr int ILabelBottom = 24;
constexpr int ELabelTop = 80;

class IEPaintBox : public QWidget {
 public:
  explicit IEPaintBox(QWidget* parent);

  // A respiration band draws long arrows side by side; airflow short ones
  // above each other, as its trace is centred on zero.
  void setResp(bool resp);
  bool resp() const { return resp_; }

  // The left edge of label "E" for the arrows drawn.
  int eLabelLeft() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void IEPaintBoxPaint(QPainter& p) const;
  bool resp_ = false;
};

}  // namespace vode
