// The large pane in its three views: the stretched sonogram (or wheeze)
// image, the expanded waveform and the read-outs of each view. The expanded
// spectrum is drawn by display_psd (SpectrumPlotTest).
#include <cmath>

#include "PaintFixture.h"
#include "viewer/PaneDrawing.h"

namespace vode::test {
namespace {

class SonogramPaint : public PaintFixture {
 protected:
  void SetUp() override {
    // No palette entry is black, so black means "not copied".
    for (int i = 0; i < 64; ++i) palette[i] = qRgb(4 * i, 255 - 4 * i, 100);
    makeRecording(150, 2);
    SegmentSpectra& spectra = makeSpectra(1e-6f);
    // Column s, row r holds level (s + r) mod 64 on channel 0 and 63 on channel 1.
    for (int s = 0; s < 150; ++s)
      for (int r = 0; r < ImageRows; ++r) {
        spectra.sonogram[0].at(s, r) = static_cast<uint8_t>((s + r) % 64);
        spectra.sonogram[1].at(s, r) = 63;
      }
  }
  QColor level(int s, int r) const { return QColor(palette[(s + r) % 64]); }
};

TEST_F(SonogramPaint, CopyCoversOnlyTheRecording) {
  setSeconds(20, 100);  // 200 segments per screen, 2 pixels each
  for (qreal dpr : {1.0, 2.0}) {
    const QImage image = render(Pane::Sono, dpr);
    for (int s : {100, 101, 125, 149})
      for (int r : {0, 1, 100, 238}) {
        EXPECT_EQ(at(image, 2 * (s - 100), r), level(s, r)) << s << "," << r;
        EXPECT_EQ(at(image, 2 * (s - 100) + 1, r), level(s, r)) << s << "," << r;
      }
    EXPECT_EQ(at(image, 99, 239), level(149, 239));
    for (int x : {100, 101, 250, 399}) EXPECT_EQ(at(image, x, 10), draw::Black) << x;
  }
}

TEST_F(SonogramPaint, StretchFollowsTheSegmentWidth) {
  setSeconds(5, 10);  // 8 pixels per segment
  const QImage image = render(Pane::Sono);
  for (int x = 0; x < 8; ++x) EXPECT_EQ(at(image, x, 5), level(10, 5));
  EXPECT_EQ(at(image, 8, 5), level(11, 5));
  EXPECT_EQ(at(image, 399, 5), level(59, 5));
}

TEST_F(SonogramPaint, CurrentChannelAndWheezeImage) {
  state.CurrentChannel = 1;
  EXPECT_EQ(at(render(Pane::Sono), 0, 0), QColor(palette[63]));

  doc.wheezeMap = std::make_unique<WheezeMap>();
  doc.wheezeMap->channelCount = 2;
  doc.wheezeMap->segmentCount = 150;
  doc.wheezeMap->image[1] = doc.spectra->sonogram[1];
  doc.wheezeMap->image[1].at(0, 0) = BlackIndex;
  doc.wheezeMap->image[1].at(1, 0) = 5;
  state.WheezesChecked = true;
  const QImage image = render(Pane::Sono);
  EXPECT_EQ(at(image, 0, 0), draw::Black);
  EXPECT_EQ(at(image, 8, 0), QColor(palette[5]));
  EXPECT_EQ(at(image, 8, 1), QColor(palette[63]));
  state.WheezesChecked = false;
  EXPECT_EQ(at(render(Pane::Sono), 0, 0), QColor(palette[63]));
  // A channel without a wheeze image keeps showing its sonogram.
  state.WheezesChecked = true;
  state.CurrentChannel = 0;
  EXPECT_EQ(at(render(Pane::Sono), 8, 3), level(1, 3));
}

TEST_F(SonogramPaint, BlackWhileDisabledOrWithoutPower) {
  state.WindowEnabled = false;
  EXPECT_EQ(countInPane(render(Pane::Sono), draw::Black), 400 * 240);
  state.WindowEnabled = true;
  state.CurrentChannel = 2;  // beyond the analysed channels
  EXPECT_EQ(countInPane(render(Pane::Sono), draw::Black), 400 * 240);
  state.CurrentChannel = 0;
  doc.spectra->powerData.clear();
  EXPECT_EQ(countInPane(render(Pane::Sono), draw::Black), 400 * 240);
}

TEST_F(SonogramPaint, ImageNarrowerThanTheRecordingIsCut) {
  // An image made for fewer segments must not be read past its end.
  doc.spectra->sonogram[0].allocate(20, ImageRows);
  const QImage image = render(Pane::Sono);
  EXPECT_EQ(at(image, 159, 0), QColor(palette[0]));
  EXPECT_EQ(at(image, 160, 0), draw::Black);
}

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
  EXPECT_EQ(shownWave(doc, state)->waveMs, 100);
  EXPECT_EQ(shownWave(doc, state)->waveFirstSample, 0);
  EXPECT_EQ(shownWave(doc, state)->waveSpan, 1023);
  EXPECT_EQ(shownWave(doc, state)->waveEndSample, 1024);
  EXPECT_EQ(shownWave(doc, state)->flowFirstSample, 0);
  EXPECT_EQ(shownWave(doc, state)->flowSpan, 31);

  expectWindow(5, 10, "0.7", "1.5");  // 800 ms at segment 10, centred
  EXPECT_EQ(shownWave(doc, state)->waveMs, 800);
  EXPECT_EQ(shownWave(doc, state)->waveFirstSample, 7168);
  EXPECT_EQ(shownWave(doc, state)->waveSpan, 8191);
  EXPECT_EQ(shownWave(doc, state)->waveEndSample, 15360);
  EXPECT_EQ(shownWave(doc, state)->flowFirstSample, 224);
  EXPECT_EQ(shownWave(doc, state)->flowSpan, 255);

  expectWindow(3, 4, "0.4", "0.6");  // 200 ms starts at the segment
  expectWindow(0, 3, "0.3", "0.4");  // 25 ms widens to 100 ms
  EXPECT_EQ(shownWave(doc, state)->waveMs, 100);
  expectWindow(7, 5, "0.0", "3.2");  // 3200 ms is not moved below 0
}

TEST_F(WaveformPaint, WindowIsCutAtTheEndButLabelsAreNot) {
  expectWindow(6, 29, "2.2", "3.8");  // 1600 ms at the last segment
  EXPECT_EQ(shownWave(doc, state)->waveEndSample, 30 * 1024);
  EXPECT_EQ(shownWave(doc, state)->waveFirstSample, 2200 * 1024 / 100);
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

TEST_F(Readouts, SonogramLevelsByFrequencyRange) {
  SegmentSpectra& spectra = makeSpectra(1e-6f);
  float* row = spectra.power(0, 1);
  row[956] = 1e-6f, row[957] = 2e-6f, row[958] = 3e-6f, row[959] = 4e-6f;  // mean 2.5e-6
  row[478] = 1e-5f, row[479] = 3e-5f;                                      // mean 2e-5
  row[239] = 1e-3f;
  state.MaxFrequency = 4800;
  // x = 12 at 8 pixels per segment is segment 1; row 0 is the top band.
  EXPECT_EQ(read(Pane::Sono, {12, 0}), "0.1 s, 4780 Hz, 24.0 dB");
  EXPECT_EQ(read(Pane::Sono, {12, 239}), "0.1 s, 0 Hz, 20.0 dB");
  state.MaxFrequency = 2400;
  EXPECT_EQ(read(Pane::Sono, {12, 0}), "0.1 s, 2390 Hz, 33.0 dB");
  state.MaxFrequency = 1200;
  EXPECT_EQ(read(Pane::Sono, {12, 0}), "0.1 s, 1195 Hz, 50.0 dB");
  state.dBReference = 1e-6f;
  EXPECT_EQ(read(Pane::Sono, {12, 0}), "0.1 s, 1195 Hz, 30.0 dB");
  // Past the analysed segments; outside the pane nothing changes.
  EXPECT_EQ(read(Pane::Sono, {160, 0}), "N/A");
  EXPECT_EQ(read(Pane::Sono, {400, 0}), "<unchanged>");
  EXPECT_EQ(read(Pane::Sono, {10, 240}), "<unchanged>");
  // Without power for the channel the status keeps its text.
  state.CurrentChannel = 3;
  EXPECT_EQ(read(Pane::Sono, {12, 0}), "<unchanged>");
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
  EXPECT_EQ(read(Pane::Sono, {12, 0}), "0.1 s, 2390 Hz, 4.2 dB");
  state.MaxFrequency = 4800;
  EXPECT_EQ(read(Pane::Sono, {12, 0}), "0.1 s, 4780 Hz, 0.0 dB");
}

TEST_F(Readouts, ExpandedWaveformUsesTheStoredGeometry) {
  state.ViewMode = WaveformView;
  state.CurrentSegment = 3;
  render(Pane::Sono);
  // Half-way across 100 ms from 0.3 s: sample 3×1024 + 511, breath sample 96 + 15.
  EXPECT_EQ(read(Pane::Sono, {200, 10}),
            "0.350s, 0.08 V, 1.11 L/s, ");
  state.FlowDisplay = 1;
  EXPECT_EQ(read(Pane::Sono, {200, 10}), "0.350s, 0.08 V, -0.11 L");
  state.FlowDisplay = 0;
  doc.channelSetup.airflowKind = 1;
  EXPECT_EQ(read(Pane::Sono, {200, 10}), "0.350s, 0.08 V");
  // A window drawn over a longer recording never reads past the samples of
  // a shorter one that took its place.
  state.WaveformIndex = 5;  // 800 ms
  state.CurrentSegment = 19;
  makeRecording(40, 1);
  render(Pane::Sono);
  ASSERT_EQ(shownWave(doc, state)->waveEndSample, 24 * 1024);
  makeRecording(20, 1);
  EXPECT_EQ(read(Pane::Sono, {399, 10}), "N/A");
  // Read from the model, not from a paint: the new recording reads before
  // it was ever drawn.
  EXPECT_EQ(read(Pane::Sono, {10, 10}), "1.620s, 0.00 V");
  // A window cut at the end of the recording reads N/A past it.
  state.WaveformIndex = 6;  // 1600 ms
  state.CurrentSegment = 19;
  render(Pane::Sono);
  EXPECT_EQ(read(Pane::Sono, {399, 10}), "N/A");
}

TEST_F(Readouts, NothingChangesWhilePlaying) {
  makeSpectra(1e-6f);
  makeTags();
  state.Playing = true;
  EXPECT_EQ(read(Pane::Sono, {12, 0}), "<unchanged>");
  EXPECT_EQ(read(Pane::Flow, {12, 0}), "<unchanged>");
  EXPECT_EQ(read(Pane::Time, {12, 0}), "<unchanged>");
  state.ViewMode = WaveformView;
  EXPECT_EQ(read(Pane::Sono, {12, 0}), "<unchanged>");
  state.ViewMode = SpectrumView;
  EXPECT_EQ(read(Pane::Sono, {12, 0}), "<unchanged>");
  // The spectrum pane and the tag strip have no play line and keep reading.
  EXPECT_EQ(read(Pane::Freq, {12, 0}), "120 Hz, 20.0 dB, N/A");
  EXPECT_EQ(read(Pane::Tag, {12, 0}), "Untagged");
}

}  // namespace
}  // namespace vode::test
