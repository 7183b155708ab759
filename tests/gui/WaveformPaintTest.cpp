// The expanded waveform of the large pane and the small waveform pane.
#include "PaintFixture.h"
#include "viewer/PaneDrawing.h"

namespace vode::test {
namespace {

class WaveformPaint : public PaintFixture {
 protected:
  void SetUp() override {
    Recording& rec = makeRecording(30, 1);
    std::fill(rec.sound[0].begin(), rec.sound[0].end(), int16_t{8192});
    std::fill(rec.flow.begin(), rec.flow.end(), int16_t{750});
    std::fill(rec.volume.begin(), rec.volume.end(), int16_t{-500});
    state.ViewMode = WaveformView;
  }
  void expectWindow(int index, int segment, const char* left, const char* right) {
    state.WaveformIndex = static_cast<int16_t>(index);
    state.CurrentSegment = segment;
    render(Pane::Sono);
    EXPECT_TRUE(outcome.waveformDrawn);
    EXPECT_EQ(outcome.leftTimeLabel, QString::fromLatin1(left));
    EXPECT_EQ(outcome.rightTimeLabel, QString::fromLatin1(right));
  }
};

TEST_F(WaveformPaint, WindowAroundTheCurrentSegment) {
  expectWindow(2, 0, "0.0", "0.1");  // 100 ms at segment 0
  EXPECT_EQ(state.WaveMs, 100);
  EXPECT_EQ(state.WaveFirstSample, 0);
  EXPECT_EQ(state.WaveSpan, 1023);
  EXPECT_EQ(state.WaveEndSample, 1024);
  EXPECT_EQ(state.FlowFirstSample, 0);
  EXPECT_EQ(state.FlowSpan, 31);

  expectWindow(5, 10, "0.7", "1.5");  // 800 ms at segment 10, centred
  EXPECT_EQ(state.WaveMs, 800);
  EXPECT_EQ(state.WaveFirstSample, 7168);
  EXPECT_EQ(state.WaveSpan, 8191);
  EXPECT_EQ(state.WaveEndSample, 15360);
  EXPECT_EQ(state.FlowFirstSample, 224);
  EXPECT_EQ(state.FlowSpan, 255);

  expectWindow(3, 4, "0.4", "0.6");  // 200 ms starts at the segment
  expectWindow(0, 3, "0.3", "0.4");  // 25 ms widens to 100 ms
  EXPECT_EQ(state.WaveMs, 100);
  expectWindow(7, 5, "0.0", "3.2");  // 3200 ms is not moved below 0
}

TEST_F(WaveformPaint, WindowIsCutAtTheEndButLabelsAreNot) {
  expectWindow(6, 29, "2.2", "3.8");  // 1600 ms at the last segment
  EXPECT_EQ(state.WaveEndSample, 30 * 1024);
  EXPECT_EQ(state.WaveFirstSample, 2200 * 1024 / 100);
}

TEST_F(WaveformPaint, TracesAtTheirScales) {
  state.AmplitudeCounts = 32768;  // 273 counts per pixel about row 120
  for (qreal dpr : {1.0, 2.0}) {
    const QImage image = render(Pane::Sono, dpr);
    EXPECT_EQ(at(image, 200, 120), draw::Olive);
    EXPECT_EQ(at(image, 200, 90), draw::Lime);  // 8192 / 273 = 30
    EXPECT_EQ(at(image, 200, 60), draw::Aqua);  // 750 mL/s at 12.5 per pixel
    EXPECT_EQ(countInColumn(image, 200, draw::Yellow, 240), 0);
  }
  state.FlowDisplay = 1;  // volume: -500 mL at 1000 / 120 per pixel
  EXPECT_EQ(at(render(Pane::Sono), 200, 180), draw::Yellow);
}

TEST_F(WaveformPaint, RespirationBandIsYellow) {
  doc.channelSetup.airflowKind = 1;
  const QImage image = render(Pane::Sono);
  EXPECT_EQ(at(image, 200, 60), draw::Yellow);
  EXPECT_EQ(countInColumn(image, 200, draw::Aqua, 240), 0);
}

TEST_F(WaveformPaint, TinyAmplitudeScaleDoesNotDivideByZero) {
  state.AmplitudeCounts = 0;
  doc.channelSetup.flowFullScale = 0.0f;
  const QImage image = render(Pane::Sono);
  EXPECT_TRUE(outcome.waveformDrawn);
  EXPECT_EQ(countInPane(image, draw::Aqua), 0);
  EXPECT_EQ(at(image, 200, 120), draw::Olive);
  EXPECT_EQ(at(render(Pane::Time), 60, 64), draw::Olive);
}

TEST_F(WaveformPaint, NothingWithoutSamplesOrWhileDisabled) {
  state.CurrentChannel = 1;
  render(Pane::Sono);
  EXPECT_FALSE(outcome.waveformDrawn);
  state.CurrentChannel = 0;
  state.WindowEnabled = false;
  EXPECT_EQ(countInPane(render(Pane::Sono), draw::Black), 400 * 240);
  EXPECT_FALSE(outcome.waveformDrawn);
}

TEST_F(WaveformPaint, SmallPaneShowsTheCurrentSegment) {
  Recording& rec = *doc.recording;
  std::fill(rec.sound[0].begin() + 3 * 1024, rec.sound[0].begin() + 4 * 1024, int16_t{16384});
  state.ViewMode = SonogramView;
  state.CurrentSegment = 3;
  for (qreal dpr : {1.0, 2.0}) {
    const QImage image = render(Pane::Time, dpr);
    EXPECT_EQ(at(image, 60, 32), draw::Navy);  // 16384 / 512 counts per pixel
    EXPECT_EQ(at(image, 119, 32), draw::Navy);
    EXPECT_EQ(at(image, 60, 64), draw::Olive);
  }
  state.CurrentSegment = 2;
  EXPECT_EQ(at(render(Pane::Time), 60, 48), draw::Navy);  // 8192
}

}  // namespace
}  // namespace vode::test
