// The flow pane: flow, volume and power traces, and the read-out over them.
#include "PaintFixture.h"
#include "viewer/PaneDrawing.h"

namespace vode::test {
namespace {

class FlowPaint : public PaintFixture {
 protected:
  void SetUp() override {
    Recording& rec = makeRecording(60, 1);
    std::fill(rec.flow.begin(), rec.flow.end(), int16_t{750});
    std::fill(rec.volume.begin(), rec.volume.end(), int16_t{-500});
  }
  // Band power 14 dB in segments 2-4, 7 dB in 8-10 (expiratory flow there),
  // 1 dB elsewhere; threshold 3 dB.
  void addPower() {
    SegmentSpectra& spectra = makeSpectra(1e-6f);
    std::fill(spectra.bandPower[0].begin(), spectra.bandPower[0].end(), 1.0f);
    for (int s = 2; s <= 4; ++s) spectra.bandPower[0][s] = 14.0f;
    for (int s = 8; s <= 10; ++s) spectra.bandPower[0][s] = 7.0f;
    spectra.peakBandPower[0] = 14.0f;
    doc.averages = std::make_unique<OverallAverages>();
    doc.averages->allocate(1);
    PhaseTable& phases = doc.phases();
    phases.lastSegment = 59;
    for (int s = 0; s < 60; ++s) phases.segmentFlow[s] = (s >= 8 && s <= 10) ? -0.4f : 0.4f;
    doc.panel.spindB = 3;
    state.FlowDisplay = 2;
  }
};

TEST_F(FlowPaint, FlowTraceOverTheZeroLine) {
  for (qreal dpr : {1.0, 2.0}) {
    const QImage image = render(Pane::Flow, dpr);
    // 1.5 L/s over 28 pixels: 750 mL/s is 14 pixels above the centre.
    EXPECT_EQ(at(image, 200, 14), draw::Navy);
    EXPECT_EQ(at(image, 200, 28), draw::Olive);
    EXPECT_EQ(countInColumn(image, 200, draw::Navy, 56), 1);
  }
}

TEST_F(FlowPaint, RespirationBandIsYellowWithoutZeroLine) {
  doc.channelSetup.airflowKind = 1;
  const QImage image = render(Pane::Flow);
  EXPECT_EQ(at(image, 200, 14), draw::Yellow);
  EXPECT_EQ(countInPane(image, draw::Olive), 0);
}

TEST_F(FlowPaint, VolumeDisplayAddsTheVolumeTrace) {
  state.FlowDisplay = 1;
  const QImage image = render(Pane::Flow);
  EXPECT_EQ(at(image, 200, 14), draw::Navy);
  EXPECT_EQ(at(image, 200, 42), draw::Yellow);  // -500 mL at 1.0 L full scale
}

TEST_F(FlowPaint, TraceStopsAtTheEndOfTheRecording) {
  setSeconds(40);  // 1 pixel per segment, 60 segments
  const QImage image = render(Pane::Flow);
  EXPECT_EQ(at(image, 30, 14), draw::Navy);
  EXPECT_EQ(at(image, 59, 14), draw::Navy);
  EXPECT_EQ(countInColumn(image, 100, draw::Navy, 56), 0);
  setSeconds(5, 50);
  const QImage tail = render(Pane::Flow);
  EXPECT_EQ(at(tail, 40, 14), draw::Navy);
  EXPECT_EQ(countInColumn(tail, 120, draw::Navy, 56), 0);
}

TEST_F(FlowPaint, ZeroFullScaleDrawsNoTrace) {
  doc.channelSetup.flowFullScale = 0.0f;
  const QImage image = render(Pane::Flow);
  EXPECT_EQ(countInPane(image, draw::Navy), 0);
  EXPECT_EQ(at(image, 200, 28), draw::Olive);
}

TEST_F(FlowPaint, PowerTraceSignedByFlowDirection) {
  addPower();
  const QImage image = render(Pane::Flow);
  // 14 dB peak over 28 pixels; 7 dB expiration drawn below the centre.
  EXPECT_EQ(at(image, 28, 0), draw::Magenta);
  EXPECT_EQ(at(image, 76, 42), draw::Magenta);
  EXPECT_EQ(at(image, 160, 28), draw::Magenta);  // below the threshold: 0
  EXPECT_EQ(at(image, 160, 14), draw::Navy);
}

TEST_F(FlowPaint, RectifiedBurstsAlternateInColour) {
  addPower();
  doc.panel.rectifydB = true;
  QImage image = render(Pane::Flow);
  // The screen starts at rest with inspiratory flow (green); each burst
  // switches the colour.
  EXPECT_EQ(at(image, 28, 0), draw::Red);
  EXPECT_EQ(at(image, 76, 14), draw::Green);
  EXPECT_EQ(at(image, 160, 28), draw::Green);
  // A screen that starts inside a burst keeps the first colour for it.
  setSeconds(5, 3);
  image = render(Pane::Flow);
  EXPECT_EQ(at(image, 4, 0), draw::Green);
  EXPECT_EQ(at(image, 44, 14), draw::Red);
}

TEST_F(FlowPaint, PowerNeedsAveragesAndBandPower) {
  addPower();
  doc.averages.reset();
  EXPECT_EQ(countInPane(render(Pane::Flow), draw::Magenta), 0);
  doc.averages = std::make_unique<OverallAverages>();
  state.CurrentChannel = 1;
  EXPECT_EQ(countInPane(render(Pane::Flow), draw::Magenta), 0);
}

TEST_F(FlowPaint, NothingWithoutBreathSignal) {
  doc.recording->flow.clear();
  doc.recording->flowSampleCount = 0;
  EXPECT_EQ(countInPane(render(Pane::Flow), PaneFace), 400 * 56);
}

TEST_F(Readouts, FlowPaneSegmentAndSubSample) {
  // 8 pixels per segment: x = 12 is segment 1, sub-sample 16, 0.15 s;
  // breath sample 48 holds 480 mL/s.
  EXPECT_EQ(read(Pane::Flow, {12, 3}), "0.15 s, 0.48 L/s, ");
  state.FlowDisplay = 1;
  EXPECT_EQ(read(Pane::Flow, {12, 3}), "0.15 s, 0.48 L/s, -0.05 L");
  state.FlowDisplay = 0;
  doc.channelSetup.airflowKind = 1;
  EXPECT_EQ(read(Pane::Flow, {12, 3}), "0.15 s, 0.48 V, ");
  doc.channelSetup.airflowKind = 0;
  setSeconds(40, 5);  // 1 pixel per segment: sub-sample 0
  EXPECT_EQ(read(Pane::Flow, {12, 3}), "1.70 s, 5.44 L/s, ");
  EXPECT_EQ(read(Pane::Flow, {15, 3}), "N/A");  // segment 20
  EXPECT_EQ(read(Pane::Flow, {-1, 3}), "N/A");
}

TEST_F(Readouts, FlowPaneInPowerDisplay) {
  state.FlowDisplay = 2;
  EXPECT_EQ(read(Pane::Flow, {12, 3}), "0.15 s, 0.48 L/s, ");
  makeSpectra(1e-6f).bandPower[0][1] = 12.345f;
  EXPECT_EQ(read(Pane::Flow, {12, 3}), "0.15 s, 0.48 L/s, 12.35 dB");
}

}  // namespace
}  // namespace vode::test
