#include "workspace/Shown.h"

#include <algorithm>

#include "analysis/SegmentSpectra.h"

namespace vode {

namespace {

// The spectrum chosen in the PSD group, or null when there is none.
const float* chosenSpectrum(const Document& doc, const DisplayState& state, int& count) {
  const SegmentSpectra& spectra = *doc.spectra;
  const int c = state.CurrentChannel;
  const int32_t s = state.CurrentSegment;
  // Without a phase table only the single spectrum exists.
  if (state.PsdChoice == PsdSingle) {
    if (s < 0 || s >= spectra.segmentCount) return nullptr;
    count = BinCount;
    return spectra.power(c, s);
  }
  if (!doc.phaseTable) return nullptr;
  const PhaseTable& phases = *doc.phaseTable;
  if (state.PsdChoice == PsdBreath) {
    const int k = phases.FindPhase(s);
    if (k < 0 || k >= MaxPhases) return nullptr;
    const PhaseEntry& entry = phases.entries[k];
    const int bins = phases.spectraBins;
    if (bins <= 0 || c >= phases.spectraChannels) return nullptr;
    if (entry.averageSpectrum.size() < static_cast<size_t>(c + 1) * bins) return nullptr;
    count = bins;
    return entry.averageSpectrum.data() + static_cast<size_t>(c) * bins;
  }
  if (state.PsdChoice == PsdAll) {
    if (!doc.averages || !doc.averages->contains(c)) return nullptr;
    count = BinCount;
    return phases.segmentFlowAt(s) > 0.0f ? doc.averages->inspAverage(c) : doc.averages->expAverage(c);
  }
  return nullptr;
}

}  // namespace

WaveWindow waveWindow(const DisplayState& state, int32_t segmentCount) {
  WaveWindow w;
  const int index = std::clamp<int>(state.WaveformIndex, 0, 7);
  w.waveMs = std::max(100, WaveformMsList[index]);
  // Longer windows are centred on the current segment.
  int32_t t0 = state.CurrentSegment * 100;
  if (w.waveMs > 200) t0 -= w.waveMs / 2 - 100;
  w.startMs = std::max(0, t0);
  w.stopMs = w.startMs + w.waveMs;
  w.endMs = std::min<int32_t>(w.stopMs, std::max(0, segmentCount) * 100);
  // trunc(ms × 10.24) and trunc(ms × 0.32), exactly, in integers.
  w.waveSpan = w.waveMs * 256 / 25 - 1;
  w.waveFirstSample = w.startMs * 256 / 25;
  w.waveEndSample = w.endMs * 256 / 25;
  w.flowSpan = w.waveMs * 8 / 25 - 1;
  w.flowFirstSample = w.startMs * 8 / 25;
  w.flowEndSample = w.endMs * 8 / 25;
  return w;
}

std::optional<WaveWindow> shownWave(const Document& doc, const DisplayState& state) {
  // A progress display disables the window; the pane stays black meanwhile.
  if (!state.WindowEnabled || state.ViewMode != WaveformView || !doc.recording) return std::nullopt;
  if (!doc.recording->hasSamples(state.CurrentChannel)) return std::nullopt;
  return waveWindow(state, doc.recording->segmentCount);
}

ShownSpectrum shownSpectrum(const Document& doc, const DisplayState& state, bool largePane) {
  ShownSpectrum shown;
  if (!state.WindowEnabled) return shown;
  const SegmentSpectra* spectra = doc.spectra.get();
  const int c = state.CurrentChannel;
  // The large pane shows a spectrum only in Spectrum view, and only when the
  // channel has one; the small pane also tells of spectra without power.
  if (largePane && (state.ViewMode != SpectrumView || !doc.recording || !spectra || !spectra->hasPower(c)))
    return shown;
  if (!spectra) return shown;
  if (!spectra->hasPower()) {
    shown.powerNil = true;
    return shown;
  }
  if (!spectra->hasPower(c)) return shown;
  // With a phase table the background average goes underneath.
  if (doc.phaseTable && doc.averages && doc.averages->contains(c)) shown.reference = doc.averages->backgroundAverage(c);
  shown.spectrum = chosenSpectrum(doc, state, shown.count);
  return shown;
}

}  // namespace vode
