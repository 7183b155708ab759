// Cursor read-out texts over each pane.
#include <cmath>

#include "PaintFixture.h"

namespace vode::test {
namespace {

QString statusOf(const Readout& r) { return r.status ? *r.status : QStringLiteral("<unchanged>"); }

class Readouts : public PaintFixture {
 protected:
  void SetUp() override {
    Recording& rec = makeRecording(20, 2);
    for (int i = 0; i < rec.soundSampleCount; ++i) rec.sound[0][i] = static_cast<int16_t>(i % 1024);
    rec.sound[0][3 * 1024 + 512] = 16384;  // 2.50 V
    for (int i = 0; i < rec.flowSampleCount; ++i) {
      rec.flow[i] = static_cast<int16_t>(10 * i);
      rec.volume[i] = static_cast<int16_t>(-i);
    }
  }
  const QSize flowPane = paneSize(Pane::Flow);
  const QSize sonoPane = paneSize(Pane::Sono);
  const QSize timePane = paneSize(Pane::Time);
  const QSize freqPane = paneSize(Pane::Freq);
};

TEST_F(Readouts, WaveformPaneAtItsMiddleReadsSample512) {
  state.CurrentSegment = 3;
  EXPECT_EQ(statusOf(TimeBoxReadout(doc, state, timePane, {60, 40})), "50 ms, 2.50 V");
  EXPECT_EQ(statusOf(TimeBoxReadout(doc, state, timePane, {0, 40})), "0 ms, 0.00 V");
  EXPECT_EQ(statusOf(TimeBoxReadout(doc, state, timePane, {-1, 40})), "N/A");
  EXPECT_EQ(statusOf(TimeBoxReadout(doc, state, timePane, {120, 40})), "N/A");
  state.CurrentChannel = 1;
  state.CurrentSegment = 0;
  EXPECT_EQ(statusOf(TimeBoxReadout(doc, state, timePane, {60, 40})), "50 ms, 0.00 V");
  state.CurrentChannel = 2;  // no such channel
  EXPECT_FALSE(TimeBoxReadout(doc, state, timePane, {60, 40}).status);
}

TEST_F(Readouts, FlowPaneSegmentAndSubSample) {
  // 8 pixels per segment: x = 12 is segment 1, sub-sample 16, 0.15 s;
  // breath sample 48 holds 480 mL/s.
  EXPECT_EQ(statusOf(FlowBoxReadout(doc, state, flowPane, {12, 3})), "0.15 s, 0.48 L/s, ");
  state.FlowDisplay = 1;
  EXPECT_EQ(statusOf(FlowBoxReadout(doc, state, flowPane, {12, 3})), "0.15 s, 0.48 L/s, -0.05 L");
  state.FlowDisplay = 0;
  doc.channelSetup.airflowKind = 1;
  EXPECT_EQ(statusOf(FlowBoxReadout(doc, state, flowPane, {12, 3})), "0.15 s, 0.48 V, ");
  doc.channelSetup.airflowKind = 0;
  setSeconds(40, 5);  // 1 pixel per segment: sub-sample 0
  EXPECT_EQ(statusOf(FlowBoxReadout(doc, state, flowPane, {12, 3})), "1.70 s, 5.44 L/s, ");
  EXPECT_EQ(statusOf(FlowBoxReadout(doc, state, flowPane, {15, 3})), "N/A");  // segment 20
  EXPECT_EQ(statusOf(FlowBoxReadout(doc, state, flowPane, {-1, 3})), "N/A");
}

TEST_F(Readouts, FlowPaneInPowerDisplay) {
  state.FlowDisplay = 2;
  EXPECT_EQ(statusOf(FlowBoxReadout(doc, state, flowPane, {12, 3})), "0.15 s, 0.48 L/s, ");
  makeSpectra(1e-6f).bandPower[0][1] = 12.345f;
  EXPECT_EQ(statusOf(FlowBoxReadout(doc, state, flowPane, {12, 3})), "0.15 s, 0.48 L/s, 12.35 dB");
}

TEST_F(Readouts, SonogramLevelsByFrequencyRange) {
  SegmentSpectra& spectra = makeSpectra(1e-6f);
  float* row = spectra.power(0, 1);
  row[956] = 1e-6f, row[957] = 2e-6f, row[958] = 3e-6f, row[959] = 4e-6f;  // mean 2.5e-6
  row[478] = 1e-5f, row[479] = 3e-5f;                                      // mean 2e-5
  row[239] = 1e-3f;
  state.MaxFrequency = 4800;
  // x = 12 at 8 pixels per segment is segment 1; row 0 is the top band.
  EXPECT_EQ(statusOf(SonoBoxReadout(doc, state, sonoPane, {12, 0}, sonoMemory)), "0.1 s, 4780 Hz, 24.0 dB");
  EXPECT_EQ(statusOf(SonoBoxReadout(doc, state, sonoPane, {12, 239}, sonoMemory)), "0.1 s, 0 Hz, 20.0 dB");
  state.MaxFrequency = 2400;
  EXPECT_EQ(statusOf(SonoBoxReadout(doc, state, sonoPane, {12, 0}, sonoMemory)), "0.1 s, 2390 Hz, 33.0 dB");
  state.MaxFrequency = 1200;
  EXPECT_EQ(statusOf(SonoBoxReadout(doc, state, sonoPane, {12, 0}, sonoMemory)), "0.1 s, 1195 Hz, 50.0 dB");
  state.dBReference = 1e-6f;
  EXPECT_EQ(statusOf(SonoBoxReadout(doc, state, sonoPane, {12, 0}, sonoMemory)), "0.1 s, 1195 Hz, 30.0 dB");
  // Past the analysed segments; outside the pane nothing changes.
  EXPECT_EQ(statusOf(SonoBoxReadout(doc, state, sonoPane, {160, 0}, sonoMemory)), "N/A");
  EXPECT_FALSE(SonoBoxReadout(doc, state, sonoPane, {400, 0}, sonoMemory).status);
  EXPECT_FALSE(SonoBoxReadout(doc, state, sonoPane, {10, 240}, sonoMemory).status);
  // Without power for the channel the status keeps its text.
  state.CurrentChannel = 3;
  EXPECT_FALSE(SonoBoxReadout(doc, state, sonoPane, {12, 0}, sonoMemory).status);
}

TEST_F(Readouts, SonogramWheezeScores) {
  makeSpectra(1e-6f);
  WheezeMap& map = *(doc.wheezeMap = std::make_unique<WheezeMap>());
  map.channelCount = 2;
  map.segmentCount = 20;
  map.scoreData.assign(static_cast<size_t>(2) * 20 * BinCount, 0.0f);
  map.scoreData[(1 * BinCount) + 478] = 1.5f;
  map.scoreData[(1 * BinCount) + 479] = 4.25f;
  state.WheezesChecked = true;
  state.MaxFrequency = 2400;  // the larger of the two bins of the row
  EXPECT_EQ(statusOf(SonoBoxReadout(doc, state, sonoPane, {12, 0}, sonoMemory)), "0.1 s, 2390 Hz, 4.2 dB");
  state.MaxFrequency = 4800;
  EXPECT_EQ(statusOf(SonoBoxReadout(doc, state, sonoPane, {12, 0}, sonoMemory)), "0.1 s, 4780 Hz, 0.0 dB");
}

TEST_F(Readouts, NothingChangesWhilePlaying) {
  makeSpectra(1e-6f);
  makeTags();
  state.Playing = true;
  EXPECT_FALSE(SonoBoxReadout(doc, state, sonoPane, {12, 0}, sonoMemory).status);
  EXPECT_FALSE(FlowBoxReadout(doc, state, flowPane, {12, 0}).status);
  EXPECT_FALSE(TimeBoxReadout(doc, state, timePane, {12, 0}).status);
  state.ViewMode = WaveformView;
  EXPECT_FALSE(SonoBoxReadout(doc, state, sonoPane, {12, 0}, sonoMemory).status);
  state.ViewMode = SpectrumView;
  EXPECT_FALSE(SonoBoxReadout(doc, state, sonoPane, {12, 0}, sonoMemory).status);
  // The spectrum pane and the tag strip have no play line and keep reading.
  EXPECT_EQ(statusOf(FreqBoxReadout(doc, state, freqPane, {12, 0}, PsdMemory{})), "N/A");
  EXPECT_EQ(statusOf(TagBoxReadout(doc, state, flowPane, {12, 0})), "Untagged");
}

TEST_F(Readouts, SpectrumLevelAndReference) {
  PsdMemory memory;
  EXPECT_EQ(statusOf(FreqBoxReadout(doc, state, freqPane, {60, 5}, memory)), "N/A");  // nothing drawn
  makeSpectra(1e-6f);
  memory.hasSpectrum = true;
  memory.spectrum.assign(BinCount, 1e-5f);
  memory.hasReference = true;
  memory.reference.assign(BinCount, 1e-7f);
  memory.reference[120] = 0.0f;
  // x = 60 of 120 at 1200 Hz: 600 Hz, bin 120.
  EXPECT_EQ(statusOf(FreqBoxReadout(doc, state, freqPane, {60, 5}, memory)), "600 Hz, 30.0 dB, N/A");
  EXPECT_EQ(statusOf(FreqBoxReadout(doc, state, freqPane, {61, 5}, memory)), "610 Hz, 30.0 dB, 10.0 dB");
  memory.hasReference = false;
  EXPECT_EQ(statusOf(FreqBoxReadout(doc, state, freqPane, {61, 5}, memory)), "610 Hz, 30.0 dB, N/A");
  EXPECT_EQ(statusOf(FreqBoxReadout(doc, state, freqPane, {120, 5}, memory)), "N/A");
  state.MaxFrequency = 4800;
  EXPECT_EQ(statusOf(FreqBoxReadout(doc, state, freqPane, {119, 5}, memory)), "4760 Hz, 30.0 dB, N/A");
  // The spectra went away while a spectrum is still shown.
  doc.spectra.reset();
  const Readout gone = FreqBoxReadout(doc, state, freqPane, {60, 5}, memory);
  EXPECT_FALSE(gone.status);
  EXPECT_EQ(gone.message, "spectrum_move: NO FFTDATA");
}

TEST_F(Readouts, SpectrumReadsWhatDisplayPsdDrew) {
  makeSpectra(1e-6f);
  doc.spectra->power(0, 2)[40] = 1e-4f;
  state.CurrentSegment = 2;
  PsdMemory memory;
  render(Pane::Freq, 1.0, &memory);
  EXPECT_EQ(statusOf(FreqBoxReadout(doc, state, freqPane, {20, 5}, memory)), "200 Hz, 40.0 dB, N/A");
  // The large pane in Spectrum view reads its own memory.
  state.ViewMode = SpectrumView;
  render(Pane::Sono);
  EXPECT_EQ(statusOf(SonoBoxReadout(doc, state, sonoPane, {67, 5}, sonoMemory)), "200 Hz, 40.0 dB, N/A");
}

TEST_F(Readouts, ExpandedWaveformUsesTheStoredGeometry) {
  state.ViewMode = WaveformView;
  state.CurrentSegment = 3;
  render(Pane::Sono);
  // Half-way across 100 ms from 0.3 s: sample 3×1024 + 511, breath sample 96 + 15.
  EXPECT_EQ(statusOf(SonoBoxReadout(doc, state, sonoPane, {200, 10}, sonoMemory)),
            "0.350s, 0.08 V, 1.11 L/s, ");
  state.FlowDisplay = 1;
  EXPECT_EQ(statusOf(SonoBoxReadout(doc, state, sonoPane, {200, 10}, sonoMemory)), "0.350s, 0.08 V, -0.11 L");
  state.FlowDisplay = 0;
  doc.channelSetup.airflowKind = 1;
  EXPECT_EQ(statusOf(SonoBoxReadout(doc, state, sonoPane, {200, 10}, sonoMemory)), "0.350s, 0.08 V");
  // Geometry left from a longer recording never reads past the samples.
  state.WaveFirstSample = 19 * 1024;
  state.WaveEndSample = 40 * 1024;
  state.WaveSpan = 8191;
  EXPECT_EQ(statusOf(SonoBoxReadout(doc, state, sonoPane, {399, 10}, sonoMemory)), "N/A");
  // A window cut at the end of the recording reads N/A past it.
  state.WaveformIndex = 6;  // 1600 ms
  state.CurrentSegment = 19;
  render(Pane::Sono);
  EXPECT_EQ(statusOf(SonoBoxReadout(doc, state, sonoPane, {399, 10}, sonoMemory)), "N/A");
}

TEST_F(Readouts, TagStripWords) {
  EXPECT_EQ(statusOf(TagBoxReadout(doc, state, flowPane, {12, 3})), "N/A");  // no tags yet
  TagTable& tags = makeTags();
  tags.setPhase(1, Inspiration);
  tags.setFlags(0, 1, Rejected);
  tags.setPhase(2, Expiration);
  tags.setFlags(0, 2, Rejected | Clipped);
  tags.setPhase(3, Background);
  tags.setFlags(0, 3, Wheeze);
  tags.setPhase(4, 7);
  tags.setFlags(0, 4, Clipped);
  EXPECT_EQ(statusOf(TagBoxReadout(doc, state, flowPane, {12, 3})), "Inspiration Rejected");
  EXPECT_EQ(statusOf(TagBoxReadout(doc, state, flowPane, {16, 3})), "Expiration");
  EXPECT_EQ(statusOf(TagBoxReadout(doc, state, flowPane, {24, 3})), "Background Wheeze");
  EXPECT_EQ(statusOf(TagBoxReadout(doc, state, flowPane, {32, 3})), "Untagged Clipped");
  EXPECT_EQ(statusOf(TagBoxReadout(doc, state, flowPane, {0, 3})), "Untagged");
  EXPECT_EQ(statusOf(TagBoxReadout(doc, state, flowPane, {160, 3})), "N/A");
  state.CurrentChannel = 1;
  EXPECT_EQ(statusOf(TagBoxReadout(doc, state, flowPane, {12, 3})), "Inspiration");
}

TEST_F(Readouts, DevicePixelsMapToTheSameSegmentAndBin) {
  // An image rendered at twice the resolution: device pixel (25, 7) is
  // logical (12, 3).
  const PaneGeometry g = PaneGeometry::of(flowPane, state, 2.0);
  EXPECT_EQ(g.fromDevice({25, 7}), QPoint(12, 3));
  EXPECT_EQ(PaneGeometry::pixelAt({12.5, 3.75}), QPoint(12, 3));
  EXPECT_EQ(PaneGeometry::pixelAt({-0.5, 0.0}), QPoint(-1, 0));
  EXPECT_EQ(statusOf(FlowBoxReadout(doc, state, flowPane, g.fromDevice({25, 7}))), "0.15 s, 0.48 L/s, ");
  state.CurrentSegment = 3;
  const PaneGeometry t = PaneGeometry::of(timePane, state, 2.0);
  EXPECT_EQ(statusOf(TimeBoxReadout(doc, state, timePane, t.fromDevice({121, 80}))), "50 ms, 2.50 V");
  float* row = makeSpectra(1e-6f).power(0, 1);
  for (int b = 956; b < 960; ++b) row[b] = 1e-5f;
  state.MaxFrequency = 4800;
  const PaneGeometry s = PaneGeometry::of(sonoPane, state, 2.0);
  EXPECT_EQ(statusOf(SonoBoxReadout(doc, state, sonoPane, s.fromDevice({25, 1}), sonoMemory)),
            "0.1 s, 4780 Hz, 30.0 dB");
}

}  // namespace
}  // namespace vode::test
