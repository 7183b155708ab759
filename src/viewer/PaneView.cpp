#include "viewer/PaneView.h"

#include "viewer/Panes.h"

#include <cstdarg>
#include <cstdio>

namespace vode {

QString cformat(const char* format, ...) {
  char text[160];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return QString::fromLatin1(text);
}

Readout PaneView::readout(QSize, QPoint) const { return Readout::unchanged(); }

QImage PaneView::render(qreal devicePixelRatio, PaintOutcome* outcome) {
  const QSize size = paneSize(kind_);
  if (devicePixelRatio <= 0) devicePixelRatio = 1.0;
  QImage image(size * devicePixelRatio, QImage::Format_RGB32);
  image.setDevicePixelRatio(devicePixelRatio);
  image.fill(Qt::white);
  PaintOutcome result;
  {
    QPainter p(&image);
    result = paint(p, size, QRect(QPoint(0, 0), size));
  }
  if (outcome) *outcome = result;
  return image;
}

PaneView& PaneSet::operator[](Pane pane) {
  switch (pane) {
    case Pane::Flow:
      return flow;
    case Pane::Sono:
      return large;
    case Pane::Tag:
      return tagStrip;
    case Pane::Time:
      return waveform;
    case Pane::Freq:
      return spectrum;
    case Pane::DB:
      break;
  }
  return dbBar;
}

}  // namespace vode
