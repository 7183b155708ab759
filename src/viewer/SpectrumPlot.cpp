// display_psd and PlotSpectrum for both spectrum panes, and the read-out of
// what they drew.
#include "viewer/SpectrumPlot.h"

#include <algorithm>
#include <cmath>

#include "analysis/SegmentSpectra.h"
#include "model/Numeric.h"
#include "workspace/Shown.h"

namespace vode {
namespace {

// Pixel row of a level; levels far outside the range land far outside the
// pane (clipped), but never overflow.
int levelY(int height, float k, float dB, int bottom) {
  const float offset = std::clamp(k * (dB - static_cast<float>(bottom)), -1.0e6f, 1.0e6f);
  return (height - 1) - roundEven(offset);
}

}  // namespace

DbRange spectrumRange(const DisplayState& state, bool largePane) {
  // The "-24 to 72" scale applies to the expanded spectrum only.
  if (largePane && state.ViewMode == SpectrumView && state.dBScaleIndex == 1) return {-24, 72};
  return {0, 64};
}

void PlotSpectrum(draw::LineCanvas& canvas, QSize pane, const float* values, int count, const QColor& colour,
                  DbRange range, int maxFrequency, float dBReference) {
  const int width = pane.width();
  const int height = pane.height();
  // Pixels per dB, single precision.
  const float k = static_cast<float>(height) / static_cast<float>(range.top - range.bottom);
  // The 0 dB line when the range reaches below it.
  if (range.bottom < 0) {
    const int y = (height - 1) - roundEven(static_cast<float>(-range.bottom) * k);
    canvas.hline(y, 0, width - 1, draw::Grey);
  }
  // Bins 0 .. d across the pane.
  const int d = lastSpectrumBin(maxFrequency);
  if (d <= 0 || !values) return;
  const int n = std::min(d + 1, count);
  draw::Trace trace(n);
  for (int i = 0; i < n; ++i)
    trace.add(spectrumPointX(i, width, d),
              levelY(height, k, PowerTodB(values[i], dBReference), range.bottom));
  canvas.polyline(trace.points(), colour);
}

void display_psd(draw::LineCanvas& canvas, QSize pane, const QColor& colour, const PaneContext& ctx,
                 bool largePane, PaintOutcome& outcome) {
  const ShownSpectrum shown = shownSpectrum(ctx.doc, ctx.state, largePane);
  outcome.powerNil = shown.powerNil;
  const DbRange range = spectrumRange(ctx.state, largePane);
  const int maxFrequency = ctx.state.MaxFrequency;
  const float reference = ctx.state.dBReference;
  if (shown.reference) PlotSpectrum(canvas, pane, shown.reference, BinCount, draw::Olive, range, maxFrequency, reference);
  if (shown.spectrum) PlotSpectrum(canvas, pane, shown.spectrum, shown.count, colour, range, maxFrequency, reference);
}

Readout spectrum_move(const PaneContext& ctx, QSize pane, QPoint pos, bool largePane) {
  const int x = pos.x();
  const ShownSpectrum shown = shownSpectrum(ctx.doc, ctx.state, largePane);
  if (!shown.spectrum || x < 0 || x >= pane.width()) return Readout::notAvailable();
  const int b = spectrumBinAt(x, pane.width(), ctx.state.MaxFrequency);
  if (b < 0 || b >= shown.count) return Readout::notAvailable();
  const float level = PowerTodB(shown.spectrum[b], ctx.state.dBReference);
  QString reference = QStringLiteral("N/A");
  // A reference of (almost) nothing has no level worth showing.
  if (shown.reference && b < BinCount && shown.reference[b] > 1e-99)
    reference = cformat("%0.1f dB", static_cast<double>(PowerTodB(shown.reference[b], ctx.state.dBReference)));
  return Readout::text(cformat("%d Hz, %0.1f dB, ", b * BinWidth, static_cast<double>(level)) + reference);
}

}  // namespace vode
