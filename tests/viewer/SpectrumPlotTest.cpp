// display_psd and PlotSpectrum on the small spectrum pane and the large pane,
// and the read-out of what they show.
#include <cmath>

#include "PaintFixture.h"
#include "viewer/PaneDrawing.h"

namespace vode::test {
namespace {

// The power that is `dB` above the 1e-8 W reference.
float powerAt(double dB) { return static_cast<float>(1e-8 * std::pow(10.0, dB / 10.0)); }

class SpectrumPaint : public PaintFixture {
 protected:
  void SetUp() override {
    makeRecording(10, 2);
    makeSpectra(powerAt(32));
  }
  QImage small(qreal dpr = 1.0) { return render(Pane::Freq, dpr); }
  void addPhaseTable() {
    PhaseTable& phases = doc.phases();
    phases.lastSegment = 9;
    for (int s = 0; s < 10; ++s) phases.segmentFlow[s] = s < 5 ? 0.5f : -0.5f;
    phases.lastPhase = 0;
    phases.entries[0].firstSegment = 0;
    phases.entries[0].lastSegment = 4;
    phases.spectraChannels = 2;
    phases.spectraBins = BinCount;
    phases.entries[0].averageSpectrum.assign(2 * BinCount, powerAt(48));
  }
  void addAverages() {
    doc.averages = std::make_unique<OverallAverages>();
    doc.averages->allocate(2);
    std::fill(doc.averages->insp.begin(), doc.averages->insp.end(), powerAt(40));
    std::fill(doc.averages->exp.begin(), doc.averages->exp.end(), powerAt(8));
    std::fill(doc.averages->background.begin(), doc.averages->background.end(), powerAt(16));
  }
};

TEST_F(SpectrumPaint, SmallPaneUsesZeroTo64dB) {
  state.dBScaleIndex = 1;  // the extended scale must not reach the small pane
  state.ViewMode = SpectrumView;
  for (qreal dpr : {1.0, 2.0}) {
    const QImage image = small(dpr);
    // 2 pixels per dB: 32 dB at row 127 - 64.
    EXPECT_EQ(at(image, 60, 63), draw::Navy);
    EXPECT_EQ(at(image, 0, 63), draw::Navy);
    EXPECT_EQ(at(image, 119, 63), draw::Navy);
    EXPECT_EQ(countInColumn(image, 60, draw::Navy, 128), 1);
    EXPECT_EQ(countInColumn(image, 60, draw::Grey, 128), 0);
  }
  EXPECT_TRUE((shownSpectrum(doc, state, false).spectrum != nullptr));
  EXPECT_FALSE((shownSpectrum(doc, state, false).reference != nullptr));
  EXPECT_EQ(shownSpectrum(doc, state, false).count, BinCount);
}

TEST_F(SpectrumPaint, ExtendedRangeOnlyOnTheLargePane) {
  state.ViewMode = SpectrumView;
  state.dBScaleIndex = 1;
  QImage large = render(Pane::Sono);
  // 2.5 pixels per dB from -24: 0 dB at 239 - 60, 32 dB at 239 - 140.
  EXPECT_EQ(at(large, 50, 179), draw::Grey);
  EXPECT_EQ(at(large, 399, 179), draw::Grey);
  EXPECT_EQ(at(large, 50, 99), draw::Lime);
  EXPECT_TRUE((shownSpectrum(doc, state, true).spectrum != nullptr));

  state.dBScaleIndex = 0;
  large = render(Pane::Sono);
  EXPECT_EQ(countInColumn(large, 50, draw::Grey, 240), 0);
  EXPECT_EQ(at(large, 50, 119), draw::Lime);  // 3.75 pixels per dB
}

TEST_F(SpectrumPaint, ZeroPowerIsDrawnFarBelowThePane) {
  std::fill(doc.spectra->powerData.begin(), doc.spectra->powerData.end(), 0.0f);
  EXPECT_EQ(countInPane(small(), draw::Navy), 0);
  // One silent bin among 32 dB bins: the line dives through the bottom edge.
  std::fill(doc.spectra->powerData.begin(), doc.spectra->powerData.end(), powerAt(32));
  doc.spectra->power(0, 0)[120] = 0.0f;
  const QImage image = small();
  EXPECT_EQ(at(image, 60, 127), draw::Navy);
  EXPECT_EQ(at(image, 60, 100), draw::Navy);
}

TEST_F(SpectrumPaint, FrequencyRangeSetsTheBinsAcross) {
  // 4800 Hz: bins 0..959 across the pane; only bins above 2400 Hz are loud.
  state.MaxFrequency = 4800;
  for (int b = 480; b < BinCount; ++b) doc.spectra->power(0, 0)[b] = powerAt(48);
  const QImage image = small();
  EXPECT_EQ(at(image, 30, 63), draw::Navy);
  EXPECT_EQ(at(image, 90, 31), draw::Navy);
  state.MaxFrequency = 2400;
  EXPECT_EQ(at(small(), 119, 63), draw::Navy);
}

TEST_F(SpectrumPaint, BackgroundReferenceUnderTheSingleSpectrum) {
  addPhaseTable();
  addAverages();
  const QImage image = small();
  EXPECT_EQ(at(image, 60, 95), draw::Olive);  // 16 dB
  EXPECT_EQ(at(image, 60, 63), draw::Navy);
  EXPECT_TRUE((shownSpectrum(doc, state, false).reference != nullptr));
  EXPECT_FLOAT_EQ(shownSpectrum(doc, state, false).reference[10], powerAt(16));
  EXPECT_FLOAT_EQ(shownSpectrum(doc, state, false).spectrum[10], powerAt(32));
}

TEST_F(SpectrumPaint, BreathChoiceDrawsThePhaseAverage) {
  addPhaseTable();
  state.PsdChoice = PsdBreath;
  state.CurrentSegment = 2;
  EXPECT_EQ(at(small(), 60, 31), draw::Navy);  // 48 dB
  EXPECT_FLOAT_EQ(shownSpectrum(doc, state, false).spectrum[0], powerAt(48));
  // Outside every phase nothing is shown.
  state.CurrentSegment = 7;
  EXPECT_EQ(countInPane(small(), draw::Navy), 0);
  EXPECT_FALSE((shownSpectrum(doc, state, false).spectrum != nullptr));
  // A phase whose average was released draws nothing either.
  state.CurrentSegment = 2;
  doc.phaseTable->entries[0].averageSpectrum.clear();
  EXPECT_EQ(countInPane(small(), draw::Navy), 0);
}

TEST_F(SpectrumPaint, AllChoiceFollowsTheFlowDirection) {
  addPhaseTable();
  addAverages();
  state.PsdChoice = PsdAll;
  state.CurrentSegment = 1;  // inspiratory flow
  EXPECT_EQ(at(small(), 60, 47), draw::Navy);
  state.CurrentSegment = 6;  // expiratory flow
  EXPECT_EQ(at(small(), 60, 111), draw::Navy);
  doc.averages.reset();
  EXPECT_EQ(countInPane(small(), draw::Navy), 0);
}

TEST_F(SpectrumPaint, WithoutPhaseTableOnlySingleDraws) {
  addAverages();
  state.PsdChoice = PsdBreath;
  EXPECT_EQ(countInPane(small(), draw::Navy), 0);
  state.PsdChoice = PsdAll;
  EXPECT_EQ(countInPane(small(), draw::Navy), 0);
  state.PsdChoice = PsdSingle;
  const QImage image = small();
  EXPECT_EQ(at(image, 60, 63), draw::Navy);
  EXPECT_EQ(countInPane(image, draw::Olive), 0);  // no reference without phases
  EXPECT_FALSE((shownSpectrum(doc, state, false).reference != nullptr));
}

TEST_F(SpectrumPaint, AnalysisWithoutPowerAsksForTheMessage) {
  doc.spectra->powerData.clear();
  small();
  EXPECT_TRUE(outcome.powerNil);
  EXPECT_FALSE((shownSpectrum(doc, state, false).spectrum != nullptr));
  // The large pane checks for power before it draws a spectrum.
  state.ViewMode = SpectrumView;
  render(Pane::Sono);
  EXPECT_FALSE(outcome.powerNil);
  doc.spectra.reset();
  small();
  EXPECT_FALSE(outcome.powerNil);
}

TEST_F(SpectrumPaint, NothingWhileTheWindowIsDisabled) {
  state.WindowEnabled = false;
  EXPECT_EQ(countInPane(small(), PaneFace), 120 * 128);
  EXPECT_FALSE((shownSpectrum(doc, state, false).spectrum != nullptr));
}

TEST_F(Readouts, SpectrumLevelAndReference) {
  EXPECT_EQ(statusOf(spectrum_move(ctx, freqPane, {60, 5}, false)), "N/A");  // no spectra, nothing shown
  makeSpectra(1e-5f);
  // x = 60 of 120 at 1200 Hz: 600 Hz, bin 120; no reference without averages.
  EXPECT_EQ(statusOf(spectrum_move(ctx, freqPane, {61, 5}, false)), "610 Hz, 30.0 dB, N/A");
  doc.phases().lastSegment = 19;
  doc.averages = std::make_unique<OverallAverages>();
  doc.averages->allocate(2);
  std::fill(doc.averages->background.begin(), doc.averages->background.end(), 1e-7f);
  doc.averages->background[120] = 0.0f;
  EXPECT_EQ(statusOf(spectrum_move(ctx, freqPane, {60, 5}, false)), "600 Hz, 30.0 dB, N/A");
  EXPECT_EQ(statusOf(spectrum_move(ctx, freqPane, {61, 5}, false)), "610 Hz, 30.0 dB, 10.0 dB");
  EXPECT_EQ(statusOf(spectrum_move(ctx, freqPane, {120, 5}, false)), "N/A");
  state.MaxFrequency = 4800;
  EXPECT_EQ(statusOf(spectrum_move(ctx, freqPane, {119, 5}, false)), "4760 Hz, 30.0 dB, 10.0 dB");
  // The large pane shows a spectrum in Spectrum view only; a disabled window none.
  EXPECT_EQ(statusOf(spectrum_move(ctx, sonoPane, {60, 5}, true)), "N/A");
  state.WindowEnabled = false;
  EXPECT_EQ(statusOf(spectrum_move(ctx, freqPane, {60, 5}, false)), "N/A");
}

TEST_F(Readouts, SpectrumReadsWhatDisplayPsdDrew) {
  makeSpectra(1e-6f);
  doc.spectra->power(0, 2)[40] = 1e-4f;
  state.CurrentSegment = 2;
  render(Pane::Freq);
  EXPECT_EQ(read(Pane::Freq, {20, 5}), "200 Hz, 40.0 dB, N/A");
  // The large pane in Spectrum view reads the same spectrum over its width.
  state.ViewMode = SpectrumView;
  render(Pane::Sono);
  EXPECT_EQ(read(Pane::Sono, {67, 5}), "200 Hz, 40.0 dB, N/A");
}

}  // namespace
}  // namespace vode::test
