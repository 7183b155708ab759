#include "viewer/PaneGeometry.h"

#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "analysis/SegmentSpectra.h"

namespace vode {

QSize paneSize(Pane pane) {
  switch (pane) {
    case Pane::Flow:
      return {400, 56};
    case Pane::Sono:
      return {400, 240};
    case Pane::Tag:
      return {400, 10};
    case Pane::Time:
      return {120, 129};
    case Pane::Freq:
      return {120, 128};
    case Pane::DB:
      return {23, 128};
  }
  return {};
}

TimeAxis TimeAxis::of(const DisplayState& state) {
  TimeAxis axis;
  axis.firstSegment = state.FirstSegment;
  // A state that never went through the zoom logic must not divide by zero.
  axis.segmentPixels = std::max<int>(1, state.SegmentPixels);
  axis.segmentsPerScreen = std::max(1, state.segmentsPerScreen());
  return axis;
}

int32_t TimeAxis::endSegment(int32_t segmentCount) const {
  return std::min<int32_t>(firstSegment + segmentsPerScreen, segmentCount);
}

int TimeAxis::flowSampleX(int64_t j, int width) const {
  return static_cast<int>((j + 1) * width / (static_cast<int64_t>(segmentsPerScreen) * SegmentFlowSamples));
}

PaneGeometry PaneGeometry::of(QSize pane, const DisplayState& state, qreal devicePixelRatio) {
  PaneGeometry g;
  g.size = pane;
  g.devicePixelRatio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
  g.axis = TimeAxis::of(state);
  return g;
}

PaneGeometry PaneGeometry::of(const QPainter& painter, QSize pane, const DisplayState& state) {
  return of(pane, state, devicePixelRatioOf(painter.device()));
}

QPoint PaneGeometry::pixelAt(QPointF logicalPos) {
  return {static_cast<int>(std::floor(logicalPos.x())), static_cast<int>(std::floor(logicalPos.y()))};
}

QPoint PaneGeometry::pixelAt(QPointF widgetPos, QSizeF scale) {
  if (scale == QSizeF(1, 1)) return pixelAt(widgetPos);
  const QPoint pixel = pixelAt(widgetPos);
  return pixelAt(QPointF((pixel.x() + 0.5) / scale.width(), (pixel.y() + 0.5) / scale.height()));
}

QPoint PaneGeometry::fromDevice(QPoint devicePixel) const {
  return pixelAt(QPointF(devicePixel) / devicePixelRatio);
}

qreal devicePixelRatioOf(const QPaintDevice* device) { return device ? device->devicePixelRatioF() : 1.0; }

int sonogramBinsPerRow(int maxFrequency) { return maxFrequency / 1200; }

int sonogramBinAt(int y, int maxFrequency) { return sonogramBinsPerRow(maxFrequency) * (PaintedRows - y); }

int lastSpectrumBin(int maxFrequency) { return maxFrequency / BinWidth - 1; }

int spectrumBinAt(int x, int width, int maxFrequency) {
  if (width <= 0) return 0;
  return (x * maxFrequency / width) / BinWidth;
}

}  // namespace vode
