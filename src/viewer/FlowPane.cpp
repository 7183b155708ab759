// The flow pane: flow, volume and band-power traces over the screen, and the
// breath-signal read-out under the mouse.
#include <algorithm>
#include <cmath>

#include "analysis/SegmentSpectra.h"
#include "model/Numeric.h"
#include "viewer/PaneDrawing.h"
#include "viewer/Panes.h"

namespace vode {
namespace {

// mid − round(value / scale), kept inside int range for absurd scales.
int traceY(int mid, double value, double scale) {
  const double v = std::clamp(value / scale, -1.0e6, 1.0e6);
  return mid - roundEven(v);
}

// The power trace's value at segment s: band power in dB, 0 below the
// threshold, negative for expiration unless rectified.
float powerValue(const PaneContext& ctx, int c, int32_t s) {
  float v = ctx.doc.spectra->bandPower[c][s];
  if (v < static_cast<float>(ctx.doc.panel.spindB)) v = 0.0f;
  const float flow = ctx.doc.phaseTable ? ctx.doc.phaseTable->segmentFlowAt(s) : 0.0f;
  if (!ctx.doc.panel.rectifydB && flow < 0.0f) v = -v;
  return v;
}

enum class FlowTraceKind { Flow, Volume, Power };

// One breath-signal trace over the screen of the time axis.
void PlotFlowTrace(draw::LineCanvas& canvas, const QRect& pane, const TimeAxis& axis, const QColor& colour,
                   FlowTraceKind kind, const PaneContext& ctx) {
  const Recording& rec = *ctx.doc.recording;
  const int top = pane.top();
  const int mid = (top + top + pane.height()) / 2;
  const int half = mid - top;
  if (half <= 0) return;
  const int32_t first = axis.firstSegment;
  const int32_t last = axis.endSegment(rec.segmentCount);
  const int c = ctx.state.CurrentChannel;

  // Scale in signal units per pixel.
  double scale = 0.0;
  const std::vector<int16_t>* samples = nullptr;
  switch (kind) {
    case FlowTraceKind::Flow:
      scale = ctx.doc.channelSetup.flowFullScale * 1000.0 / half;
      samples = &rec.flow;
      if (!ctx.doc.isResp()) canvas.hline(mid, pane.left(), pane.right(), draw::Olive);
      break;
    case FlowTraceKind::Volume:
      scale = ctx.doc.channelSetup.volumeFullScale * 1000.0 / half;
      samples = &rec.volume;
      break;
    case FlowTraceKind::Power: {
      const SegmentSpectra* spectra = ctx.doc.spectra.get();
      if (!ctx.doc.averages || !spectra || c < 0 || c >= spectra->channelCount) return;
      if (static_cast<int32_t>(spectra->bandPower[c].size()) < last) return;
      scale = std::max(spectra->peakBandPower[c], 3.0f) / static_cast<double>(half);
      break;
    }
  }
  // A zero or broken full scale (a hand-edited set-up) would divide by zero.
  if (!(scale > 0.0) || !std::isfinite(scale)) return;
  if (first < 0 || last <= first) return;
  if (samples && static_cast<int64_t>(samples->size()) < static_cast<int64_t>(last) * SegmentFlowSamples)
    return;

  const bool rectified = kind == FlowTraceKind::Power && ctx.doc.panel.rectifydB;
  QColor pen = colour;
  if (rectified) {
    const float flow = ctx.doc.phaseTable ? ctx.doc.phaseTable->segmentFlowAt(first) : 0.0f;
    pen = flow >= 0.0f ? draw::Green : draw::Red;
  }

  draw::Trace trace(2 * pane.width() + 2);
  float v = 0.0f;
  const int64_t k0 = static_cast<int64_t>(first) * SegmentFlowSamples;
  const int64_t k1 = static_cast<int64_t>(last) * SegmentFlowSamples;
  for (int64_t k = k0; k < k1; ++k) {
    const int64_t j = k - k0;
    const int x = pane.left() + axis.flowSampleX(j, pane.width());
    double value;
    if (kind == FlowTraceKind::Power) {
      if (k % SegmentFlowSamples == 0) {
        const float previous = v;
        v = powerValue(ctx, c, static_cast<int32_t>(k / SegmentFlowSamples));
        // Each new burst switches colour, so neighbouring bursts differ. The
        // first segment has no burst before it.
        const float threshold = static_cast<float>(ctx.doc.panel.spindB);
        if (rectified && k != k0 && previous == 0.0f && v != 0.0f && v >= threshold) {
          trace.flush(canvas, pen);
          pen = pen == draw::Green ? draw::Red : draw::Green;
        }
      }
      value = v;
    } else {
      value = (*samples)[k];
    }
    trace.add(x, traceY(mid, value, scale));
  }
  trace.flush(canvas, pen);
}

}  // namespace

PaintOutcome FlowPane::paint(QPainter& p, QSize pane, QRect) {
  const PaneContext& ctx = context();
  p.save();
  draw::beginPane(p, pane);
  const QRect rect(QPoint(0, 0), pane);
  draw::fillBackground(p, rect, Pane::Flow);
  const Recording* rec = ctx.doc.recording.get();
  if (rec && rec->flowSampleCount > 0 && !rec->flow.empty()) {
    const TimeAxis axis = TimeAxis::of(ctx.state);
    draw::LineCanvas canvas(p, pane);
    PlotFlowTrace(canvas, rect, axis, ctx.doc.isResp() ? draw::Yellow : draw::Navy, FlowTraceKind::Flow, ctx);
    if (ctx.state.FlowDisplay == 1)
      PlotFlowTrace(canvas, rect, axis, draw::Yellow, FlowTraceKind::Volume, ctx);
    if (ctx.state.FlowDisplay == 2)
      PlotFlowTrace(canvas, rect, axis, draw::Magenta, FlowTraceKind::Power, ctx);
  }
  p.restore();
  return {};
}

Readout FlowPane::readout(QSize, QPoint pos) const {
  if (state().Playing) return Readout::unchanged();
  const Recording* rec = doc().recording.get();
  if (!rec || rec->flowSampleCount <= 0 || rec->flow.empty()) return Readout::unchanged();
  const int x = pos.x();
  if (x < 0) return Readout::notAvailable();
  const TimeAxis axis = TimeAxis::of(state());
  const int32_t s = axis.segmentAt(x);
  const int u = axis.subSampleAt(x);
  if (s < 0 || s >= rec->segmentCount) return Readout::notAvailable();
  const int64_t k = static_cast<int64_t>(s) * SegmentFlowSamples + u;
  if (k >= static_cast<int64_t>(rec->flow.size())) return Readout::notAvailable();
  const double t = s / 10.0 + u / 320.0;
  const double f = rec->flow[k] / 1000.0;
  const int c = state().CurrentChannel;
  if (state().FlowDisplay == 1) {
    if (k >= static_cast<int64_t>(rec->volume.size())) return Readout::notAvailable();
    return Readout::text(cformat("%0.2f s, %0.2f L/s, ", t, f) +
                         QString::fromStdString(rec->volumeText(static_cast<int32_t>(k))));
  }
  const SegmentSpectra* spectra = doc().spectra.get();
  if (state().FlowDisplay == 2 && spectra && c >= 0 && c < spectra->channelCount &&
      s < static_cast<int32_t>(spectra->bandPower[c].size()))
    return Readout::text(
        cformat("%0.2f s, %0.2f L/s, %0.2f dB", t, f, static_cast<double>(spectra->bandPower[c][s])));
  if (doc().isResp()) return Readout::text(cformat("%0.2f s, %0.2f V, ", t, f));
  return Readout::text(cformat("%0.2f s, %0.2f L/s, ", t, f));
}

}  // namespace vode
