// The one place for the panes' geometry: logical pane sizes, the shared time
// axis of the flow pane, the large pane and the tag strip, the expanded
// waveform's window, and the mapping of a mouse position to a segment,
// sub-sample, sample or frequency bin. Everything is in logical pixels, so a
// pane maps the same at any device pixel ratio.
#pragma once

#include <QPoint>
#include <QPointF>
#include <QSize>
#include <algorithm>
#include <cstdint>

#include "model/Recording.h"
#include "workspace/DisplayState.h"
#include "workspace/Shown.h"

class QPainter;
class QPaintDevice;

namespace vode {

enum class Pane { Flow, Sono, Tag, Time, Freq, DB };

// Logical size of each paint pane in the window's layout.
QSize paneSize(Pane pane);

// The horizontal scale shared by the time-aligned panes.
struct TimeAxis {
  int32_t firstSegment = 0;
  int segmentPixels = 8;
  int segmentsPerScreen = 50;

  static TimeAxis of(const DisplayState& state);

  // Segment under pane column x (x >= 0).
  int32_t segmentAt(int x) const { return x / segmentPixels + firstSegment; }
  // Breath sample (0..31) of that segment under column x.
  int subSampleAt(int x) const { return (x % segmentPixels) * SegmentFlowSamples / segmentPixels; }
  // Left edge of the cell that holds column x.
  int cellLeft(int x) const { return (x / segmentPixels) * segmentPixels; }
  int segmentLeft(int32_t s) const { return static_cast<int>(s - firstSegment) * segmentPixels; }
  // One past the last segment shown, cut at the end of the recording.
  int32_t endSegment(int32_t segmentCount) const;
  // Column of breath sample j (counted from the first segment's first sample)
  // in the flow pane: the trace spreads a whole screen of samples over the
  // pane's width and each point sits at the right end of its sample.
  int flowSampleX(int64_t j, int width) const;
};

// Where a pane is drawn: its logical size, the device pixel ratio of the
// device behind it, and the time axis.
struct PaneGeometry {
  QSize size;
  qreal devicePixelRatio = 1.0;
  TimeAxis axis;

  static PaneGeometry of(QSize pane, const DisplayState& state, qreal devicePixelRatio = 1.0);
  static PaneGeometry of(const QPainter& painter, QSize pane, const DisplayState& state);

  int width() const { return size.width(); }
  int height() const { return size.height(); }
  bool contains(QPoint pos) const {
    return pos.x() >= 0 && pos.y() >= 0 && pos.x() < width() && pos.y() < height();
  }

  // The logical pixel under a mouse position (a QMouseEvent's position()).
  static QPoint pixelAt(QPointF logicalPos);
  // The same over a pane widget shown at a scale (widget size / pane size):
  // the logical pixel painted on the widget pixel under the mouse, that is
  // the one whose scaled cell holds that pixel's centre.
  static QPoint pixelAt(QPointF widgetPos, QSizeF scale);
  // The logical pixel of a device pixel, for images rendered at a ratio.
  QPoint fromDevice(QPoint devicePixel) const;
};

qreal devicePixelRatioOf(const QPaintDevice* device);

// Sonogram rows: the bins one image row covers (1, 2 or 4) and the first bin
// of row y; row 239 is bin 0.
int sonogramBinsPerRow(int maxFrequency);
int sonogramBinAt(int y, int maxFrequency);

// Spectrum panes: the last bin drawn and the bin under column x.
int lastSpectrumBin(int maxFrequency);
int spectrumBinAt(int x, int width, int maxFrequency);
// Column of spectrum point i when bins 0..last span the pane.
inline int spectrumPointX(int i, int width, int last) { return i * width / last; }

// Counts per pixel of a waveform pane whose centre is mid pixels from the
// edge. An amplitude scale below mid counts would divide by zero.
inline int countsPerPixel(uint16_t amplitudeCounts, int mid) {
  return std::max(1, amplitudeCounts / std::max(1, mid));
}

}  // namespace vode
