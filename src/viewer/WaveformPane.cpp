// The small waveform pane: the current segment's sound and the level under
// the mouse.
#include "viewer/PaneDrawing.h"
#include "viewer/Panes.h"

namespace vode {

PaintOutcome WaveformPane::paint(QPainter& p, QSize pane, QRect) {
  p.save();
  draw::beginPane(p, pane);
  draw::fillBackground(p, QRect(QPoint(0, 0), pane), Pane::Time);
  const Recording* rec = doc().recording.get();
  const int c = state().CurrentChannel;
  const int32_t s = state().CurrentSegment;
  if (rec && rec->hasSamples(c) && s >= 0 && s < rec->segmentCount &&
      rec->sound[c].size() >= static_cast<size_t>(s + 1) * SegmentSamples) {
    const int width = pane.width();
    const int mid = pane.height() / 2;  // 64 in the 129-pixel pane
    draw::LineCanvas canvas(p, pane);
    canvas.hline(mid, 0, width - 1, draw::Olive);
    const int16_t* samples = rec->sound[c].data() + static_cast<size_t>(s) * SegmentSamples;
    const int perPixel = countsPerPixel(state().AmplitudeCounts, mid);
    draw::Trace trace(SegmentSamples);
    trace.add(0, mid - samples[0] / perPixel);
    for (int i = 1; i < SegmentSamples; ++i)
      trace.add(i * width / (SegmentSamples - 1), mid - samples[i] / perPixel);
    canvas.polyline(trace.points(), draw::Navy);
  }
  p.restore();
  return {};
}

Readout WaveformPane::readout(QSize pane, QPoint pos) const {
  if (state().Playing) return Readout::unchanged();
  const Recording* rec = doc().recording.get();
  const int c = state().CurrentChannel;
  const int width = pane.width();
  if (!rec || !rec->hasSamples(c) || width <= 0) return Readout::unchanged();
  const int x = pos.x();
  if (x < 0 || x >= width) return Readout::notAvailable();
  const int i = x * SegmentSamples / width;
  const int ms = x * 100 / width;
  const int64_t index = static_cast<int64_t>(state().CurrentSegment) * SegmentSamples + i;
  if (state().CurrentSegment < 0 || index >= static_cast<int64_t>(rec->sound[c].size()))
    return Readout::notAvailable();
  return Readout::text(cformat("%d ms, %0.2f V", ms, rec->sound[c][index] * 5.0 / 32768.0));
}

}  // namespace vode
