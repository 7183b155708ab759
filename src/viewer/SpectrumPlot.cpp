// display_psd and PlotSpectrum for both spectrum panes, and the read-out of
// what they drew.
#include "viewer/SpectrumPlot.h"

#include <algorithm>
#include <cmath>

#include "analysis/SegmentSpectra.h"
#include "model/Numeric.h"

namespace vode {
namespace {

// Pixel row of a level; levels far outside the range land far outside the
// pane (clipped), but never overflow.
int levelY(int height, float k, float dB, int bottom) {
  const float offset = std::clamp(k * (dB - static_cast<float>(bottom)), -1.0e6f, 1.0e6f);
  return (height - 1) - roundEven(offset);
}

void remember(std::vector<float>& target, const float* values, int count) {
  target.assign(values, values + count);
}

// The spectrum chosen in the PSD group, or null when there is none.
const float* chosenSpectrum(const PaneContext& ctx, int& count) {
  const Document& doc = ctx.doc;
  const SegmentSpectra& spectra = *doc.spectra;
  const int c = ctx.state.CurrentChannel;
  const int32_t s = ctx.state.CurrentSegment;
  // Without a phase table only the single spectrum exists.
  if (ctx.state.PsdChoice == PsdSingle) {
    if (s < 0 || s >= spectra.segmentCount) return nullptr;
    count = BinCount;
    return spectra.power(c, s);
  }
  if (!doc.phaseTable) return nullptr;
  const PhaseTable& phases = *doc.phaseTable;
  if (ctx.state.PsdChoice == PsdBreath) {
    const int k = phases.FindPhase(s);
    if (k < 0 || k >= MaxPhases) return nullptr;
    const PhaseEntry& entry = phases.entries[k];
    const int bins = phases.spectraBins;
    if (bins <= 0 || c >= phases.spectraChannels) return nullptr;
    if (entry.averageSpectrum.size() < static_cast<size_t>(c + 1) * bins) return nullptr;
    count = bins;
    return entry.averageSpectrum.data() + static_cast<size_t>(c) * bins;
  }
  if (ctx.state.PsdChoice == PsdAll) {
    if (!doc.averages || !doc.averages->contains(c)) return nullptr;
    count = BinCount;
    return phases.segmentFlowAt(s) > 0.0f ? doc.averages->inspAverage(c) : doc.averages->expAverage(c);
  }
  return nullptr;
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
                 PsdMemory& memory, bool largePane, PaintOutcome& outcome) {
  memory.clear();
  // What there is to draw.
  const SegmentSpectra* spectra = ctx.doc.spectra.get();
  if (!spectra) return;
  if (!spectra->hasPower()) {
    outcome.powerNil = true;
    return;
  }
  const int c = ctx.state.CurrentChannel;
  if (!spectra->hasPower(c)) return;
  const DbRange range = spectrumRange(ctx.state, largePane);
  const int maxFrequency = ctx.state.MaxFrequency;
  const float reference = ctx.state.dBReference;

  // With a phase table the background average goes underneath.
  if (ctx.doc.phaseTable && ctx.doc.averages && ctx.doc.averages->contains(c)) {
    const float* background = ctx.doc.averages->backgroundAverage(c);
    PlotSpectrum(canvas, pane, background, BinCount, draw::Olive, range, maxFrequency, reference);
    remember(memory.reference, background, BinCount);
    memory.hasReference = true;
  }
  int count = 0;
  const float* values = chosenSpectrum(ctx, count);
  if (!values) return;
  PlotSpectrum(canvas, pane, values, count, colour, range, maxFrequency, reference);
  remember(memory.spectrum, values, count);
  memory.hasSpectrum = true;
}

Readout spectrum_move(const PaneContext& ctx, QSize pane, QPoint pos, const PsdMemory& memory) {
  const int x = pos.x();
  if (!memory.hasSpectrum || x < 0 || x >= pane.width()) return Readout::notAvailable();
  const SegmentSpectra* spectra = ctx.doc.spectra.get();
  if (!spectra || !spectra->hasPower(ctx.state.CurrentChannel))
    return Readout{std::nullopt, QString::fromLatin1(NoFftDataMessage)};
  const int b = spectrumBinAt(x, pane.width(), ctx.state.MaxFrequency);
  if (b < 0 || b >= static_cast<int>(memory.spectrum.size())) return Readout::notAvailable();
  const float level = PowerTodB(memory.spectrum[b], ctx.state.dBReference);
  QString reference = QStringLiteral("N/A");
  // A reference of (almost) nothing has no level worth showing.
  if (memory.hasReference && b < static_cast<int>(memory.reference.size()) && memory.reference[b] > 1e-99)
    reference = cformat("%0.1f dB", static_cast<double>(PowerTodB(memory.reference[b], ctx.state.dBReference)));
  return Readout::text(cformat("%d Hz, %0.1f dB, ", b * BinWidth, static_cast<double>(level)) + reference);
}

}  // namespace vode
