// Off-screen rendering of a whole pane, through the same painters as the window.
#include "viewer/Painters.h"

namespace vode {

QImage renderPane(Pane pane, PaintContext& ctx, PsdMemory* memory, qreal devicePixelRatio,
                  PaintOutcome* outcome) {
  const QSize size = paneSize(pane);
  if (devicePixelRatio <= 0) devicePixelRatio = 1.0;
  QImage image(size * devicePixelRatio, QImage::Format_RGB32);
  image.setDevicePixelRatio(devicePixelRatio);
  image.fill(Qt::white);
  PsdMemory scratch;
  PsdMemory& psd = memory ? *memory : scratch;
  PaintOutcome result;
  {
    QPainter p(&image);
    switch (pane) {
      case Pane::Flow:
        FlowBoxPaint(p, size, ctx);
        break;
      case Pane::Sono:
        result = SonoBoxPaint(p, size, ctx, psd);
        break;
      case Pane::Tag:
        TagBoxPaint(p, size, QRect(QPoint(0, 0), size), ctx);
        break;
      case Pane::Time:
        TimeBoxPaint(p, size, ctx);
        break;
      case Pane::Freq:
        result = FreqBoxPaint(p, size, ctx, psd);
        break;
      case Pane::DB:
        DBBoxPaint(p, size, ctx);
        break;
    }
  }
  if (outcome) *outcome = result;
  return image;
}

}  // namespace vode
