#include "viewer/ArrowStrip.h"

#include <QPainter>
#include <QPolygon>

namespace vode {

IEPaintBox::IEPaintBox(QWidget* parent) : QWidget(parent) { setObjectName("IEPaintBox"); }

void IEPaintBox::setResp(bool resp) {
  resp_ = resp;
  update();
}

int IEPaintBox::eLabelLeft() const { return resp_ ? ArrowLabelLeft + 6 : ArrowLabelLeft - 2; }

void IEPaintBox::paintEvent(QPaintEvent*) {
  QPainter p(this);
  // Drawn at natural size; a zoomed window scales strip and arrows together.
  const qreal scale = width() / static_cast<qreal>(ArrowStripWidth);
  p.scale(scale, scale);
  IEPaintBoxPaint(p);
}

void IEPaintBox::IEPaintBoxPaint(QPainter& p) const {
  const int L = ArrowLabelLeft;
  const int B = ILabelBottom;
  const int E = ELabelTop;
  // The arrows fill the room between the labels; an airflow pair shares it.
  int h = E - ILabelTop - 18;
  if (!resp_) h = h / 2 - 2;

  p.setPen(QPen(Qt::black, 2));
  p.setBrush(Qt::black);
  const int up = L + 2;
  p.drawLine(up, B + h + 1, up, B + 1);
  p.drawPolygon(QPolygon({QPoint(up, B + 1), QPoint(L - 1, B + 8), QPoint(L + 5, B + 8)}));

  const int down = resp_ ? L + 10 : L + 2;
  p.drawLine(down, E - h - 1, down, E - 1);
  p.drawPolygon(QPolygon({QPoint(down, E - 1), QPoint(down - 3, E - 8), QPoint(down + 3, E - 8)}));
}

}  // namespace vode
