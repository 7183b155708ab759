// Repainting every pane of the main window after a page change (half a
// screen), on a full 8-channel recording, at 5 s and 40 s per screen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <random>

#include "viewer/Panes.h"

namespace {

using namespace vode;

// A full recording with hand-made results: no analysis needed to paint.
struct FullDocument {
  Document doc;
  DisplayState state;
  WindowPalette palette = makeWindowPalette(Palette::grey());

  FullDocument() {
    std::mt19937 rng(7);
    doc.recording = std::make_unique<Recording>(Recording::create(MaxSegments, MaxChannels));
    Recording& rec = *doc.recording;
    std::uniform_int_distribution<int> noise(-6000, 6000);
    for (int c = 0; c < MaxChannels; ++c)
      for (int16_t& v : rec.sound[c]) v = static_cast<int16_t>(noise(rng));
    for (int i = 0; i < rec.flowSampleCount; ++i)
      rec.flow[i] = static_cast<int16_t>(900.0 * std::sin(i * 2.0 * M_PI / 1280.0) + noise(rng) / 100);
    doc.computeVolume();

    doc.spectra = std::make_unique<SegmentSpectra>();
    SegmentSpectra& spectra = *doc.spectra;
    spectra.create(MaxSegments, MaxChannels);
    std::uniform_real_distribution<float> power(1e-9f, 1e-4f);
    for (float& p : spectra.powerData) p = power(rng);
    std::uniform_int_distribution<int> level(0, 63);
    std::uniform_real_distribution<float> dB(-2.0f, 20.0f);
    for (int c = 0; c < MaxChannels; ++c) {
      for (uint8_t& px : spectra.sonogram[c].pixels) px = static_cast<uint8_t>(level(rng));
      for (float& b : spectra.bandPower[c]) b = dB(rng);
      spectra.peakBandPower[c] = 20.0f;
    }
    doc.averages = std::make_unique<OverallAverages>();
    doc.averages->allocate(MaxChannels);
    std::fill(doc.averages->background.begin(), doc.averages->background.end(), 1e-7f);
    PhaseTable& phases = doc.phases();
    phases.lastSegment = MaxSegments - 1;
    for (int s = 0; s < MaxSegments; ++s) phases.segmentFlow[s] = std::sin(s * 2.0f * 3.14159f / 40.0f);
    doc.tagTable = std::make_unique<TagTable>();
    doc.tagTable->create(MaxChannels, MaxSegments);
    for (int s = 0; s < MaxSegments; ++s) doc.tagTable->setPhase(s, static_cast<uint8_t>(1 << (s / 13 % 3)));
  }
};

FullDocument& fullDocument() {
  static FullDocument d;
  return d;
}

void paintInto(QImage& image, PaneView& pane) {
  QPainter p(&image);
  pane.paint(p, image.size(), image.rect());
}

// Args: seconds per screen, view mode, flow display.
void BM_PageChangeRepaint(benchmark::State& bench) {
  FullDocument& d = fullDocument();
  DisplayState& state = d.state;
  state.SonoSeconds = static_cast<int32_t>(bench.range(0));
  state.SegmentPixels = static_cast<int16_t>(400 / (state.SonoSeconds * 10));
  state.ViewMode = static_cast<int16_t>(bench.range(1));
  state.FlowDisplay = static_cast<int16_t>(bench.range(2));
  state.WaveformIndex = 7;  // the longest expanded waveform: 3200 ms
  state.CurrentChannel = 3;
  state.dBScaleIndex = 1;
  PaneSet panes(PaneContext{d.doc, d.state, d.palette});
  const int half = state.segmentsPerScreen() / 2;
  QImage flow(paneSize(Pane::Flow), QImage::Format_RGB32), sono(paneSize(Pane::Sono), QImage::Format_RGB32),
      tag(paneSize(Pane::Tag), QImage::Format_RGB32), time(paneSize(Pane::Time), QImage::Format_RGB32),
      freq(paneSize(Pane::Freq), QImage::Format_RGB32), bar(paneSize(Pane::DB), QImage::Format_RGB32);
  int32_t first = 0;
  for (auto _ : bench) {
    first += half;
    if (first + state.segmentsPerScreen() > MaxSegments) first = 0;
    state.FirstSegment = first;
    state.CurrentSegment = first + half;
    paintInto(flow, panes.flow);
    paintInto(sono, panes.large);
    paintInto(tag, panes.tagStrip);
    paintInto(time, panes.waveform);
    paintInto(freq, panes.spectrum);
    paintInto(bar, panes.dbBar);
    benchmark::DoNotOptimize(flow.constBits());
    benchmark::DoNotOptimize(sono.constBits());
  }
}
BENCHMARK(BM_PageChangeRepaint)
    ->ArgNames({"seconds", "view", "flowDisplay"})
    ->Args({5, SonogramView, 0})
    ->Args({40, SonogramView, 0})
    ->Args({5, SonogramView, 2})
    ->Args({40, SonogramView, 2})
    ->Args({40, WaveformView, 1})
    ->Args({40, SpectrumView, 1})
    ->Unit(benchmark::kMillisecond);

// The same at a device pixel ratio of 2 (a high-density screen).
void BM_PageChangeRepaintRatio2(benchmark::State& bench) {
  FullDocument& d = fullDocument();
  DisplayState& state = d.state;
  state.SonoSeconds = static_cast<int32_t>(bench.range(0));
  state.SegmentPixels = static_cast<int16_t>(400 / (state.SonoSeconds * 10));
  state.ViewMode = SonogramView;
  state.FlowDisplay = 1;
  PaneSet panes(PaneContext{d.doc, d.state, d.palette});
  const int half = state.segmentsPerScreen() / 2;
  int32_t first = 0;
  for (auto _ : bench) {
    first += half;
    if (first + state.segmentsPerScreen() > MaxSegments) first = 0;
    state.FirstSegment = first;
    state.CurrentSegment = first + half;
    for (Pane pane : {Pane::Flow, Pane::Sono, Pane::Tag, Pane::Time, Pane::Freq, Pane::DB}) {
      QImage image = panes[pane].render(2.0);
      benchmark::DoNotOptimize(image.constBits());
    }
  }
}
BENCHMARK(BM_PageChangeRepaintRatio2)->ArgName("seconds")->Arg(5)->Arg(40)->Unit(benchmark::kMillisecond);

// One pane at a time, to see where a repaint spends its time.
// Args: pane, seconds per screen, device pixel ratio.
void BM_PaneRepaint(benchmark::State& bench) {
  FullDocument& d = fullDocument();
  DisplayState& state = d.state;
  const Pane pane = static_cast<Pane>(bench.range(0));
  state.SonoSeconds = static_cast<int32_t>(bench.range(1));
  state.SegmentPixels = static_cast<int16_t>(400 / (state.SonoSeconds * 10));
  state.ViewMode = SonogramView;
  state.FlowDisplay = 1;
  const qreal dpr = static_cast<qreal>(bench.range(2));
  PaneSet panes(PaneContext{d.doc, d.state, d.palette});
  const int half = state.segmentsPerScreen() / 2;
  int32_t first = 0;
  for (auto _ : bench) {
    first += half;
    if (first + state.segmentsPerScreen() > MaxSegments) first = 0;
    state.FirstSegment = first;
    state.CurrentSegment = first + half;
    QImage image = panes[pane].render(dpr);
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_PaneRepaint)
    ->ArgNames({"pane", "seconds", "ratio"})
    ->ArgsProduct({{static_cast<int>(Pane::Flow), static_cast<int>(Pane::Sono), static_cast<int>(Pane::Tag),
                    static_cast<int>(Pane::Time), static_cast<int>(Pane::Freq)},
                   {40},
                   {1, 2}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
