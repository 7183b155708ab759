// The large pane: sonogram (or wheeze) image, expanded waveform or expanded
// spectrum, and the read-out of each view.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "analysis/SegmentSpectra.h"
#include "model/Numeric.h"
#include "viewer/PaneDrawing.h"
#include "viewer/Panes.h"

namespace vode {
namespace {

constexpr int CopiedRows = 240;  // rows 0..239 of the image fill the pane

bool usable(const IndexedImage& image) {
  return image.width > 0 && image.height > 0 &&
         image.pixels.size() >= static_cast<size_t>(image.width) * image.height;
}

// The image shown: the wheeze image while Wheezes is checked, else the
// sonogram; a channel the wheeze detector made no image for shows its
// sonogram. Null when the channel has neither.
const IndexedImage* sourceImage(const PaneContext& ctx) {
  const int c = ctx.state.CurrentChannel;
  if (c < 0 || c >= MaxChannels) return nullptr;
  if (ctx.state.WheezesChecked && ctx.doc.wheezeMap && usable(ctx.doc.wheezeMap->image[c]))
    return &ctx.doc.wheezeMap->image[c];
  const IndexedImage& sonogram = ctx.doc.spectra->sonogram[c];
  return usable(sonogram) ? &sonogram : nullptr;
}

QString secondsLabel(int32_t ms) { return cformat("%0.1f", ms / 1000.0); }

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

double volts(int16_t sample) { return sample * 5.0 / 32768.0; }

}  // namespace

void LargePane::paintSonogram(QPainter& p, QSize pane) {
  const IndexedImage* image = sourceImage(context());
  if (!image) return;
  const TimeAxis axis = TimeAxis::of(state());
  const int32_t first = axis.firstSegment;
  int32_t last = axis.endSegment(std::min(doc().recording->segmentCount, doc().spectra->segmentCount));
  last = std::min<int32_t>(last, image->width);
  if (first < 0 || last <= first) return;
  const int columns = last - first;
  const int rows = std::min(CopiedRows, image->height);

  // Only the visible columns are converted, once per paint; the stretch to
  // SegmentPixels per column is the painter's nearest-neighbour scaling.
  QImage visible(columns, rows, QImage::Format_Indexed8);
  if (visible.isNull()) return;  // no memory for it: the pane stays black
  visible.setColorTable(indexedColorTable(palette()));
  for (int r = 0; r < rows; ++r)
    std::memcpy(visible.scanLine(r), image->pixels.data() + static_cast<size_t>(r) * image->width + first,
                static_cast<size_t>(columns));
  p.drawImage(QRect(0, 0, columns * axis.segmentPixels, rows * pane.height() / CopiedRows), visible);
}

void LargePane::paintWaveform(draw::LineCanvas& canvas, QSize pane, PaintOutcome& outcome) {
  const Recording& rec = *doc().recording;
  const int c = state().CurrentChannel;
  if (!rec.hasSamples(c)) return;

  // The window and its edge times (before the cut at the end); the read-out
  // and playback map the mouse through the window drawn.
  const WaveWindow w = waveWindow(state(), rec.segmentCount);
  outcome.waveformDrawn = true;
  outcome.leftTimeLabel = secondsLabel(w.startMs);
  outcome.rightTimeLabel = secondsLabel(w.stopMs);
  drawnWave_ = w;

  // Sound: zero line, then the trace, skipping repeated points.
  const int width = pane.width();
  const int mid = pane.height() / 2;
  canvas.hline(mid, 0, width - 1, draw::Olive);
  const std::vector<int16_t>& sound = rec.sound[c];
  const int perPixel = countsPerPixel(state().AmplitudeCounts, mid);
  const int32_t end = std::min<int32_t>(w.waveEndSample, static_cast<int32_t>(sound.size()));
  draw::Trace trace(4 * width);
  for (int32_t i = w.waveFirstSample; i < end; ++i) {
    const int x = static_cast<int>(static_cast<int64_t>(i - w.waveFirstSample) * width / w.waveSpan);
    trace.add(x, mid - sound[i] / perPixel);
  }
  canvas.polyline(trace.points(), draw::Lime);

  // The breath signal, and the volume in volume display.
  if (rec.flowSampleCount <= 0) return;
  const bool resp = doc().isResp();
  plotBreath(canvas, pane, rec.flow, w, doc().channelSetup.flowFullScale, resp ? draw::Yellow : draw::Aqua);
  if (state().FlowDisplay == 1)
    plotBreath(canvas, pane, rec.volume, w, doc().channelSetup.volumeFullScale, draw::Yellow);
}

PaintOutcome LargePane::paint(QPainter& p, QSize pane, QRect) {
  PaintOutcome outcome;
  p.save();
  draw::beginPane(p, pane);
  draw::fillBackground(p, QRect(QPoint(0, 0), pane), Pane::Sono);
  // A progress display disables the window; the pane stays black meanwhile.
  if (state().WindowEnabled && doc().recording) {
    const int c = state().CurrentChannel;
    draw::LineCanvas canvas(p, pane);
    if (state().ViewMode == WaveformView) {
      paintWaveform(canvas, pane, outcome);
    } else if (doc().spectra && doc().spectra->hasPower(c)) {
      if (state().ViewMode == SpectrumView)
        display_psd(canvas, pane, draw::Lime, context(), psd_, true, outcome);
      else
        paintSonogram(p, pane);
    }
  }
  p.restore();
  return outcome;
}

void LargePane::forget() {
  psd_.clear();
  drawnWave_.reset();
}

// Sonogram view: time, frequency and level of the image pixel under the mouse.
Readout LargePane::sonogramReadout(QPoint pos) const {
  const SegmentSpectra* spectra = doc().spectra.get();
  const int c = state().CurrentChannel;
  if (!spectra || !spectra->hasPower(c)) return Readout::unchanged();
  const int32_t s = TimeAxis::of(state()).segmentAt(pos.x());
  const int k = sonogramBinsPerRow(state().MaxFrequency);
  const int b = sonogramBinAt(pos.y(), state().MaxFrequency);
  if (s < 0 || s >= spectra->segmentCount) return Readout::notAvailable();
  // A row always covers k whole bins of the spectrum.
  if (k < 1 || b < 0 || b + k - 1 > BinCount - 1) return Readout::notAvailable();
  float v;
  const WheezeMap* wheeze = doc().wheezeMap.get();
  if (state().WheezesChecked && wheeze && wheeze->hasScores(c) && s < wheeze->segmentCount &&
      b + 1 < wheeze->binCount) {
    v = wheeze->score(c, s, b);
    if (k == 2) v = std::max(v, wheeze->score(c, s, b + 1));
  } else {
    v = PowerTodB(spectra->BandMean(c, s, b + k - 1, b), state().dBReference);
  }
  return Readout::text(cformat("%0.1f s, %d Hz, %0.1f dB", s / 10.0, b * BinWidth, static_cast<double>(v)));
}

// Waveform view: time, level and breath signal through the window drawn last.
Readout LargePane::waveformReadout(QSize pane, QPoint pos) const {
  const Recording* rec = doc().recording.get();
  const int c = state().CurrentChannel;
  const int width = pane.width();
  if (!rec || !rec->hasSamples(c) || width <= 0) return Readout::unchanged();
  const int x = pos.x();
  if (x < 0 || !drawnWave_) return Readout::notAvailable();
  const WaveWindow& w = *drawnWave_;
  const int64_t i = static_cast<int64_t>(x) * w.waveSpan / width + w.waveFirstSample;
  if (i >= w.waveEndSample) return Readout::notAvailable();
  if (i < 0 || i >= static_cast<int64_t>(rec->sound[c].size())) return Readout::notAvailable();
  const double t = w.waveFirstSample / 10240.0 + (static_cast<int64_t>(x) * w.waveMs / width) / 1000.0;
  const double v = volts(rec->sound[c][i]);
  if (doc().isResp() && state().FlowDisplay != 1) return Readout::text(cformat("%0.3fs, %0.2f V", t, v));
  const int64_t j = static_cast<int64_t>(x) * w.flowSpan / width + w.flowFirstSample;
  if (state().FlowDisplay == 1) {
    if (j < 0 || j >= static_cast<int64_t>(rec->volume.size())) return Readout::notAvailable();
    return Readout::text(cformat("%0.3fs, %0.2f V, ", t, v) +
                         QString::fromStdString(rec->volumeText(static_cast<int32_t>(j))));
  }
  if (j < 0 || j >= static_cast<int64_t>(rec->flow.size())) return Readout::notAvailable();
  return Readout::text(cformat("%0.3fs, %0.2f V, %0.2f L/s, ", t, v, rec->flow[j] / 1000.0));
}

Readout LargePane::readout(QSize pane, QPoint pos) const {
  // The play line is drawn over this pane while playback runs.
  if (state().Playing) return Readout::unchanged();
  if (pos.x() < 0 || pos.y() < 0 || pos.x() >= pane.width() || pos.y() >= pane.height())
    return Readout::unchanged();
  switch (state().ViewMode) {
    case WaveformView:
      return waveformReadout(pane, pos);
    case SpectrumView:
      return spectrum_move(context(), pane, pos, psd_);
    default:
      return sonogramReadout(pos);
  }
}

}  // namespace vode
