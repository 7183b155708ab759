// Sound waveforms: the expanded waveform of the large pane and the small
// waveform pane of the current segment.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "model/Numeric.h"
#include "viewer/PaintRoutines.h"
#include "viewer/PaneDrawing.h"

namespace vode {
namespace {

QString secondsLabel(int32_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%0.1f", ms / 1000.0);
  return QString::fromLatin1(text);
}

// Counts per pixel of a waveform pane whose centre is mid pixels from the
// edge. An amplitude scale below mid counts would divide by zero.
int countsPerPixel(uint16_t amplitudeCounts, int mid) {
  return std::max(1, amplitudeCounts / std::max(1, mid));
}

// One breath-signal trace of the expanded waveform; every point is drawn.
void plotBreath(draw::LineCanvas& canvas, QSize pane, const std::vector<int16_t>& samples,
                const WaveWindow& w, float fullScale, const QColor& colour) {
  const int mid = pane.height() / 2;
  const double scale = fullScale * 1000.0 / mid;
  if (!(scale > 0.0) || !std::isfinite(scale) || w.flowSpan <= 0) return;
  const int32_t end = std::min<int32_t>(w.flowEndSample, static_cast<int32_t>(samples.size()));
  draw::Trace trace(std::max(0, end - w.flowFirstSample));
  for (int32_t i = w.flowFirstSample; i < end; ++i) {
    const int x = static_cast<int>(static_cast<int64_t>(i - w.flowFirstSample) * pane.width() / w.flowSpan);
    const double v = std::clamp(samples[i] / scale, -1.0e6, 1.0e6);
    trace.add(x, mid - roundEven(v));
  }
  canvas.polyline(trace.points(), colour);
}

}  // namespace

void waveform_paint(draw::LineCanvas& canvas, QSize pane, PaintContext& ctx, PaintOutcome& outcome) {
  const Recording& rec = *ctx.doc.recording;
  const int c = ctx.state.CurrentChannel;
  if (!rec.hasSamples(c)) return;

  // 1. The window and its edge times (before the cut at the end).
  const WaveWindow w = waveWindow(ctx.state, rec.segmentCount);
  outcome.waveformDrawn = true;
  outcome.leftTimeLabel = secondsLabel(w.startMs);
  outcome.rightTimeLabel = secondsLabel(w.stopMs);
  storeWaveGeometry(ctx.state, w);

  // 2. Sound: zero line, then the trace, skipping repeated points.
  const int width = pane.width();
  const int mid = pane.height() / 2;
  canvas.hline(mid, 0, width - 1, draw::Olive);
  const std::vector<int16_t>& sound = rec.sound[c];
  const int perPixel = countsPerPixel(ctx.state.AmplitudeCounts, mid);
  const int32_t end = std::min<int32_t>(w.waveEndSample, static_cast<int32_t>(sound.size()));
  draw::Trace trace(4 * width);
  for (int32_t i = w.waveFirstSample; i < end; ++i) {
    const int x = static_cast<int>(static_cast<int64_t>(i - w.waveFirstSample) * width / w.waveSpan);
    trace.add(x, mid - sound[i] / perPixel);
  }
  canvas.polyline(trace.points(), draw::Lime);

  // 3. and 4. The breath signal, and the volume in volume display.
  if (rec.flowSampleCount <= 0) return;
  const bool resp = ctx.doc.isResp();
  plotBreath(canvas, pane, rec.flow, w, ctx.doc.channelSetup.flowFullScale, resp ? draw::Yellow : draw::Aqua);
  if (ctx.state.FlowDisplay == 1)
    plotBreath(canvas, pane, rec.volume, w, ctx.doc.channelSetup.volumeFullScale, draw::Yellow);
}

void TimeBoxPaint(QPainter& p, QSize pane, PaintContext& ctx) {
  p.save();
  draw::beginPane(p, pane);
  draw::fillBackground(p, QRect(QPoint(0, 0), pane), Pane::Time);
  const Recording* rec = ctx.doc.recording.get();
  const int c = ctx.state.CurrentChannel;
  const int32_t s = ctx.state.CurrentSegment;
  if (rec && rec->hasSamples(c) && s >= 0 && s < rec->segmentCount &&
      rec->sound[c].size() >= static_cast<size_t>(s + 1) * SegmentSamples) {
    const int width = pane.width();
    const int mid = pane.height() / 2;  // 64 in the 129-pixel pane
    draw::LineCanvas canvas(p, pane);
    canvas.hline(mid, 0, width - 1, draw::Olive);
    const int16_t* samples = rec->sound[c].data() + static_cast<size_t>(s) * SegmentSamples;
    const int perPixel = countsPerPixel(ctx.state.AmplitudeCounts, mid);
    draw::Trace trace(SegmentSamples);
    trace.add(0, mid - samples[0] / perPixel);
    for (int i = 1; i < SegmentSamples; ++i)
      trace.add(i * width / (SegmentSamples - 1), mid - samples[i] / perPixel);
    canvas.polyline(trace.points(), draw::Navy);
  }
  p.restore();
}

}  // namespace vode
