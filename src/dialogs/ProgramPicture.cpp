#include "dialogs/ProgramPicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace vode {

QPixmap programPicture(int size) {
  QPixmap picture(size, size);
  picture.fill(Qt::black);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  const double s = size;

  // A sonogram of two breaths: energy bands that swell with the flow.
  const int columns = 32;
  const int rows = 24;
  const double cw = s / columns;
  const double rh = s / rows;
  for (int x = 0; x < columns; ++x) {
    const double breath = std::abs(std::sin(x * M_PI / 16.0));
    for (int y = 0; y < rows; ++y) {
      const double height = 1.0 - static_cast<double>(y) / rows;  // 1 at the bottom
      const double level = breath * std::exp(-3.0 * (1.0 - height)) + 0.08 * ((x * 7 + y * 13) % 5) / 5.0;
      const int grey = std::clamp(static_cast<int>(255 - 240 * level), 15, 255);
      p.fillRect(QRectF(x * cw, y * rh, cw + 0.5, rh + 0.5), QColor(grey, grey, grey));
    }
  }

  // The flow trace in navy with its olive zero line.
  p.setPen(QPen(QColor(0x80, 0x80, 0x00), std::max(1.0, s / 64)));
  p.drawLine(QPointF(0, s * 0.3), QPointF(s, s * 0.3));
  QPainterPath trace;
  for (int i = 0; i <= 64; ++i) {
    const double x = s * i / 64.0;
    const double y = s * 0.3 - s * 0.2 * std::sin(i * M_PI / 32.0);
    if (i == 0)
      trace.moveTo(x, y);
    else
      trace.lineTo(x, y);
  }
  p.setPen(QPen(QColor(0x00, 0x00, 0x80), std::max(1.5, s / 32)));
  p.drawPath(trace);

  // A wheeze: one lime tone across the second breath.
  p.setPen(QPen(QColor(0x00, 0xFF, 0x00), std::max(1.0, s / 48)));
  p.drawLine(QPointF(s * 0.58, s * 0.62), QPointF(s * 0.9, s * 0.62));
  return picture;
}

}  // namespace vode
