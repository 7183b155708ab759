#include "viewer/Readouts.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "analysis/SegmentSpectra.h"
#include "viewer/PaneGeometry.h"

namespace vode {
namespace {

__attribute__((format(printf, 1, 2))) QString cformat(const char* format, ...) {
  char text[160];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return QString::fromLatin1(text);
}

Readout unchanged() { return {}; }
Readout text(QString status) { return Readout{std::move(status), {}}; }
Readout notAvailable() { return text(QStringLiteral("N/A")); }

double volts(int16_t sample) { return sample * 5.0 / 32768.0; }

// Sonogram view: time, frequency and level of the image pixel under the mouse.
Readout sonogram_move(const Document& doc, const DisplayState& state, QPoint pos) {
  const SegmentSpectra* spectra = doc.spectra.get();
  const int c = state.CurrentChannel;
  if (!spectra || !spectra->hasPower(c)) return unchanged();
  const int32_t s = TimeAxis::of(state).segmentAt(pos.x());
  const int k = sonogramBinsPerRow(state.MaxFrequency);
  const int b = sonogramBinAt(pos.y(), state.MaxFrequency);
  if (s < 0 || s >= spectra->segmentCount) return notAvailable();
  // A row always covers k whole bins of the spectrum.
  if (k < 1 || b < 0 || b + k - 1 > BinCount - 1) return notAvailable();
  float v;
  const WheezeMap* wheeze = doc.wheezeMap.get();
  if (state.WheezesChecked && wheeze && wheeze->hasScores(c) && s < wheeze->segmentCount &&
      b + 1 < wheeze->binCount) {
    v = wheeze->score(c, s, b);
    if (k == 2) v = std::max(v, wheeze->score(c, s, b + 1));
  } else {
    v = PowerTodB(spectra->BandMean(c, s, b + k - 1, b), state.dBReference);
  }
  return text(cformat("%0.1f s, %d Hz, %0.1f dB", s / 10.0, b * BinWidth, static_cast<double>(v)));
}

}  // namespace

Readout waveform_move(const Document& doc, const DisplayState& state, QSize pane, QPoint pos) {
  const Recording* rec = doc.recording.get();
  const int c = state.CurrentChannel;
  const int width = pane.width();
  if (!rec || !rec->hasSamples(c) || width <= 0) return unchanged();
  const int x = pos.x();
  if (x < 0) return notAvailable();
  const int64_t i = static_cast<int64_t>(x) * state.WaveSpan / width + state.WaveFirstSample;
  if (i >= state.WaveEndSample) return notAvailable();
  if (i < 0 || i >= static_cast<int64_t>(rec->sound[c].size())) return notAvailable();
  const double t =
      state.WaveFirstSample / 10240.0 + (static_cast<int64_t>(x) * state.WaveMs / width) / 1000.0;
  const double v = volts(rec->sound[c][i]);
  if (doc.isResp() && state.FlowDisplay != 1) return text(cformat("%0.3fs, %0.2f V", t, v));
  const int64_t j = static_cast<int64_t>(x) * state.FlowSpan / width + state.FlowFirstSample;
  if (state.FlowDisplay == 1) {
    if (j < 0 || j >= static_cast<int64_t>(rec->volume.size())) return notAvailable();
    return text(cformat("%0.3fs, %0.2f V, ", t, v) +
                QString::fromStdString(rec->volumeText(static_cast<int32_t>(j))));
  }
  if (j < 0 || j >= static_cast<int64_t>(rec->flow.size())) return notAvailable();
  return text(cformat("%0.3fs, %0.2f V, %0.2f L/s, ", t, v, rec->flow[j] / 1000.0));
}

Readout spectrum_move(const Document& doc, const DisplayState& state, QSize pane, QPoint pos,
                      const PsdMemory& memory) {
  const int x = pos.x();
  if (!memory.hasSpectrum || x < 0 || x >= pane.width()) return notAvailable();
  const SegmentSpectra* spectra = doc.spectra.get();
  if (!spectra || !spectra->hasPower(state.CurrentChannel))
    return Readout{std::nullopt, QString::fromLatin1(NoFftDataMessage)};
  const int b = spectrumBinAt(x, pane.width(), state.MaxFrequency);
  if (b < 0 || b >= static_cast<int>(memory.spectrum.size())) return notAvailable();
  const float level = PowerTodB(memory.spectrum[b], state.dBReference);
  QString reference = QStringLiteral("N/A");
  // A reference of (almost) nothing has no level worth showing.
  if (memory.hasReference && b < static_cast<int>(memory.reference.size()) && memory.reference[b] > 1e-99)
    reference = cformat("%0.1f dB", static_cast<double>(PowerTodB(memory.reference[b], state.dBReference)));
  return text(cformat("%d Hz, %0.1f dB, ", b * BinWidth, static_cast<double>(level)) + reference);
}

Readout SonoBoxReadout(const Document& doc, const DisplayState& state, QSize pane, QPoint pos,
                       const PsdMemory& memory) {
  // The play line is drawn over this pane while playback runs.
  if (state.Playing) return unchanged();
  if (pos.x() < 0 || pos.y() < 0 || pos.x() >= pane.width() || pos.y() >= pane.height()) return unchanged();
  switch (state.ViewMode) {
    case WaveformView:
      return waveform_move(doc, state, pane, pos);
    case SpectrumView:
      return spectrum_move(doc, state, pane, pos, memory);
    default:
      return sonogram_move(doc, state, pos);
  }
}

Readout FlowBoxReadout(const Document& doc, const DisplayState& state, QSize, QPoint pos) {
  if (state.Playing) return unchanged();
  const Recording* rec = doc.recording.get();
  if (!rec || rec->flowSampleCount <= 0 || rec->flow.empty()) return unchanged();
  const int x = pos.x();
  if (x < 0) return notAvailable();
  const TimeAxis axis = TimeAxis::of(state);
  const int32_t s = axis.segmentAt(x);
  const int u = axis.subSampleAt(x);
  if (s < 0 || s >= rec->segmentCount) return notAvailable();
  const int64_t k = static_cast<int64_t>(s) * SegmentFlowSamples + u;
  if (k >= static_cast<int64_t>(rec->flow.size())) return notAvailable();
  const double t = s / 10.0 + u / 320.0;
  const double f = rec->flow[k] / 1000.0;
  const int c = state.CurrentChannel;
  if (state.FlowDisplay == 1) {
    if (k >= static_cast<int64_t>(rec->volume.size())) return notAvailable();
    return text(cformat("%0.2f s, %0.2f L/s, ", t, f) +
                QString::fromStdString(rec->volumeText(static_cast<int32_t>(k))));
  }
  const SegmentSpectra* spectra = doc.spectra.get();
  if (state.FlowDisplay == 2 && spectra && c >= 0 && c < spectra->channelCount &&
      s < static_cast<int32_t>(spectra->bandPower[c].size()))
    return text(cformat("%0.2f s, %0.2f L/s, %0.2f dB", t, f, static_cast<double>(spectra->bandPower[c][s])));
  if (doc.isResp()) return text(cformat("%0.2f s, %0.2f V, ", t, f));
  return text(cformat("%0.2f s, %0.2f L/s, ", t, f));
}

Readout TimeBoxReadout(const Document& doc, const DisplayState& state, QSize pane, QPoint pos) {
  if (state.Playing) return unchanged();
  const Recording* rec = doc.recording.get();
  const int c = state.CurrentChannel;
  const int width = pane.width();
  if (!rec || !rec->hasSamples(c) || width <= 0) return unchanged();
  const int x = pos.x();
  if (x < 0 || x >= width) return notAvailable();
  const int i = x * SegmentSamples / width;
  const int ms = x * 100 / width;
  const int64_t index = static_cast<int64_t>(state.CurrentSegment) * SegmentSamples + i;
  if (state.CurrentSegment < 0 || index >= static_cast<int64_t>(rec->sound[c].size())) return notAvailable();
  return text(cformat("%d ms, %0.2f V", ms, volts(rec->sound[c][index])));
}

Readout FreqBoxReadout(const Document& doc, const DisplayState& state, QSize pane, QPoint pos,
                       const PsdMemory& memory) {
  return spectrum_move(doc, state, pane, pos, memory);
}

Readout TagBoxReadout(const Document& doc, const DisplayState& state, QSize, QPoint pos) {
  const Recording* rec = doc.recording.get();
  const TagTable* tags = doc.tagTable.get();
  if (!rec || !tags || tags->empty() || pos.x() < 0) return notAvailable();
  const int32_t s = TimeAxis::of(state).segmentAt(pos.x());
  if (s < 0 || s >= rec->segmentCount || !tags->containsSegment(s)) return notAvailable();
  QString word;
  switch (tags->phase(s)) {
    case Inspiration:
      word = QStringLiteral("Inspiration");
      break;
    case Expiration:
      word = QStringLiteral("Expiration");
      break;
    case Background:
      word = QStringLiteral("Background");
      break;
    default:
      word = QStringLiteral("Untagged");
      break;
  }
  // A flag word only for a single flag; combinations read as the phase alone.
  switch (tags->flags(state.CurrentChannel, s)) {
    case Rejected:
      word += QStringLiteral(" Rejected");
      break;
    case Wheeze:
      word += QStringLiteral(" Wheeze");
      break;
    case Clipped:
      word += QStringLiteral(" Clipped");
      break;
    default:
      break;
  }
  return text(word);
}

}  // namespace vode
