// Every pane rendered at a device pixel ratio of 2 is the ratio-1 picture
// with each logical pixel doubled, and device pixels map back to the same
// segment and bin, so the window, captures and mouse agree at any scale.
#include <random>

#include "PaintFixture.h"
#include "viewer/PaneDrawing.h"

namespace vode::test {
namespace {

class PaneRatio : public PaintFixture {
 protected:
  void SetUp() override {
    std::mt19937 rng(3);
    Recording& rec = makeRecording(40, 2);
    std::uniform_int_distribution<int> noise(-9000, 9000);
    for (int c = 0; c < 2; ++c)
      for (int16_t& v : rec.sound[c]) v = static_cast<int16_t>(noise(rng));
    for (int i = 0; i < rec.flowSampleCount; ++i) {
      rec.flow[i] = static_cast<int16_t>(1200.0 * std::sin(i / 60.0));
      rec.volume[i] = static_cast<int16_t>(-700.0 * std::cos(i / 60.0));
    }
    SegmentSpectra& spectra = makeSpectra(0.0f);
    std::uniform_real_distribution<float> power(1e-9f, 1e-3f);
    for (float& p : spectra.powerData) p = power(rng);
    for (int c = 0; c < 2; ++c) {
      for (uint8_t& px : spectra.sonogram[c].pixels) px = static_cast<uint8_t>(rng() % 64);
      for (int s = 0; s < 40; ++s) spectra.bandPower[c][s] = static_cast<float>(s % 9);
      spectra.peakBandPower[c] = 8.0f;
    }
    doc.averages = std::make_unique<OverallAverages>();
    doc.averages->allocate(2);
    std::fill(doc.averages->background.begin(), doc.averages->background.end(), 3e-7f);
    PhaseTable& phases = doc.phases();
    phases.lastSegment = 39;
    for (int s = 0; s < 40; ++s) phases.segmentFlow[s] = std::sin(s / 2.0f);
    TagTable& tags = makeTags();
    for (int s = 0; s < 40; ++s) {
      tags.setPhase(s, static_cast<uint8_t>(s % 5 == 3 ? 0 : 1 << (s % 3)));
      tags.setFlags(0, s, static_cast<uint8_t>(s % 7 == 0 ? Rejected : 0));
    }
    state.CurrentSegment = 12;
    state.FlowDisplay = 1;
  }

  void expectDoubled(Pane pane) {
    const QImage one = render(pane, 1.0);
    const QImage two = render(pane, 2.0);
    ASSERT_EQ(two.size(), one.size() * 2);
    int differing = 0;
    for (int y = 0; y < two.height(); ++y)
      for (int x = 0; x < two.width(); ++x) differing += two.pixel(x, y) != one.pixel(x / 2, y / 2);
    EXPECT_EQ(differing, 0) << "pane " << static_cast<int>(pane);
  }
};

TEST_F(PaneRatio, EveryPaneInEveryViewDoubles) {
  for (int seconds : {5, 40}) {
    setSeconds(seconds, 4);
    for (int16_t view : {SonogramView, WaveformView, SpectrumView}) {
      state.ViewMode = view;
      expectDoubled(Pane::Sono);
    }
    for (int16_t display : {0, 1, 2}) {
      state.FlowDisplay = display;
      expectDoubled(Pane::Flow);
    }
    expectDoubled(Pane::Tag);
  }
  expectDoubled(Pane::Time);
  expectDoubled(Pane::Freq);
  expectDoubled(Pane::DB);
}

TEST_F(Readouts, DevicePixelsMapToTheSameSegmentAndBin) {
  // An image rendered at twice the resolution: device pixel (25, 7) is
  // logical (12, 3).
  const PaneGeometry g = PaneGeometry::of(flowPane, state, 2.0);
  EXPECT_EQ(g.fromDevice({25, 7}), QPoint(12, 3));
  EXPECT_EQ(PaneGeometry::pixelAt({12.5, 3.75}), QPoint(12, 3));
  EXPECT_EQ(PaneGeometry::pixelAt({-0.5, 0.0}), QPoint(-1, 0));
  EXPECT_EQ(read(Pane::Flow, g.fromDevice({25, 7})), "0.15 s, 0.48 L/s, ");
  state.CurrentSegment = 3;
  const PaneGeometry t = PaneGeometry::of(timePane, state, 2.0);
  EXPECT_EQ(read(Pane::Time, t.fromDevice({121, 80})), "50 ms, 2.50 V");
  float* row = makeSpectra(1e-6f).power(0, 1);
  for (int b = 956; b < 960; ++b) row[b] = 1e-5f;
  state.MaxFrequency = 4800;
  const PaneGeometry s = PaneGeometry::of(sonoPane, state, 2.0);
  EXPECT_EQ(read(Pane::Sono, s.fromDevice({25, 1})),
            "0.1 s, 4780 Hz, 30.0 dB");
}

}  // namespace
}  // namespace vode::test
