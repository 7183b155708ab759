#include <gtest/gtest.h>

#include <cmath>

#include "analysis/AnalysisFixtures.h"
#include "analysis/Averages.h"
#include "support/TestSupport.h"

namespace vode {
namespace {

// A document with hand-made spectra: every bin of segment s on channel c holds
// (s + 1) × (c + 1) µW; tags and phases as the test sets them.
std::unique_ptr<Document> documentWith(int segments, int channels) {
  auto doc = std::make_unique<Document>();
  doc->recording = std::make_unique<Recording>(test::flowRecording(std::vector<int>(segments, 0), channels));
  doc->spectra = std::make_unique<SegmentSpectra>();
  doc->spectra->create(segments, channels);
  for (int c = 0; c < channels; ++c)
    for (int s = 0; s < segments; ++s)
      for (int b = 0; b < BinCount; ++b) doc->spectra->power(c, s)[b] = 1e-6f * (s + 1) * (c + 1);
  doc->tagTable = std::make_unique<TagTable>();
  doc->tagTable->create(channels, segments);
  doc->phases().lastSegment = segments - 1;
  return doc;
}

TEST(CalculateOverallAverages, AveragesCleanSegmentsOfEachKindPerChannel) {
  auto doc = documentWith(8, 2);
  TagTable& t = *doc->tagTable;
  t.setPhase(1, Inspiration);
  t.setPhase(2, Inspiration);
  t.setPhase(3, Expiration);
  t.setPhase(4, Background);
  t.setPhase(5, Background);
  t.setPhase(7, Inspiration);  // beyond the phase table's last segment
  t.setFlags(1, 2, Wheeze);    // excluded on channel 1 only
  doc->phases().lastSegment = 6;
  NullProgress progress;
  Gauge gauge{progress};
  CalculateOverallAverages(*doc, *doc, &gauge);
  const OverallAverages& a = *doc->averages;
  EXPECT_EQ(a.inspCountOf(0), 2);
  EXPECT_EQ(a.inspCountOf(1), 1);
  EXPECT_EQ(a.expCountOf(0), 1);
  EXPECT_EQ(a.backgroundCountOf(1), 2);
  EXPECT_EQ(a.inspCountOf(2), -1);
  EXPECT_FLOAT_EQ(a.inspAverage(0)[17], 2.5e-6f);  // segments 1 and 2
  EXPECT_FLOAT_EQ(a.inspAverage(1)[0], 4e-6f);     // segment 1 only
  EXPECT_FLOAT_EQ(a.backgroundAverage(0)[959], 5.5e-6f);
  EXPECT_EQ(gauge.position, 0);  // fewer than 30 segments
}

TEST(CalculateBandPower, WithoutBackgroundEverythingIsZero) {
  auto doc = documentWith(6, 1);
  doc->tagTable->setPhase(2, Inspiration);
  CalculateOverallAverages(*doc, *doc);
  EXPECT_EQ(doc->averages->backgroundCountOf(0), 0);
  EXPECT_EQ(doc->averages->backgroundAverage(0)[0], 0.0f);
  for (float v : doc->spectra->bandPower[0]) EXPECT_EQ(v, 0.0f);
  EXPECT_EQ(doc->spectra->peakBandPower[0], 0.0f);
  EXPECT_EQ(doc->spectra->backgroundReference[0], 0.0f);
}

TEST(CalculateBandPower, IsDecibelsAboveTheBackgroundInTheBand) {
  auto doc = documentWith(12, 1);
  doc->tagTable->setPhase(0, Background);  // background = segment 0 = 1 µW per bin
  for (int b = 20; b < BinCount; ++b) doc->spectra->power(0, 9)[b] = 1.0f;  // outside the band
  CalculateOverallAverages(*doc, *doc);
  const SegmentSpectra& sp = *doc->spectra;
  // SpinMin 0, SpinMax 100: bins 0 to 19.
  EXPECT_FLOAT_EQ(sp.backgroundReference[0], 1e-6f);
  EXPECT_NEAR(sp.bandPower[0][0], 0.0f, 1e-5);
  EXPECT_NEAR(sp.bandPower[0][9], 10.0f, 1e-5);  // 10 µW: ten times the background
  EXPECT_NEAR(sp.peakBandPower[0], 10.0 * std::log10(12.0), 1e-5);

  // A band of one bin is still a band.
  doc->panel.spinMin = 50;
  doc->panel.spinMax = 55;
  CalculateBandPower(*doc);
  EXPECT_FLOAT_EQ(sp.backgroundReference[0], 1e-6f);
  EXPECT_NEAR(sp.bandPower[0][1], 10.0 * std::log10(2.0), 1e-5);

  // An empty band: no power at all.
  doc->panel.spinMin = 100;
  doc->panel.spinMax = 100;
  CalculateBandPower(*doc);
  EXPECT_EQ(sp.backgroundReference[0], 0.0f);
  EXPECT_EQ(sp.bandPower[0][5], 0.0f);
  EXPECT_EQ(sp.peakBandPower[0], 0.0f);

  // A band past the last bin is cut to the bins that exist.
  doc->panel.spinMin = 4790;
  doc->panel.spinMax = 4800;
  CalculateBandPower(*doc);
  EXPECT_FLOAT_EQ(sp.backgroundReference[0], 1e-6f);
}

TEST(CalculateBandPower, BinsRunFromSpinMinDiv5ToSpinMaxDiv5MinusOne) {
  auto doc = documentWith(6, 2);
  doc->tagTable->setPhase(0, Background);  // 1 µW per bin on channel 0, 2 µW on channel 1
  // Segment 3 (4 µW per bin) with one loud bin inside 300..600 Hz and two
  // louder ones just outside it.
  float* p = doc->spectra->power(0, 3);
  p[60] = 64e-6f;
  p[59] = 1.0f;
  p[120] = 1.0f;
  doc->panel.spinMin = 300;
  doc->panel.spinMax = 600;
  CalculateOverallAverages(*doc, *doc);
  const SegmentSpectra& sp = *doc->spectra;
  // Bins 60..119: (59 × 4 + 64) / 60 µW against 1 µW, five times the background.
  EXPECT_NEAR(sp.bandPower[0][3], 10.0 * std::log10(5.0), 1e-5);
  EXPECT_NEAR(sp.bandPower[1][3], 10.0 * std::log10(4.0), 1e-5);  // every bin 8 µW against 2
  EXPECT_FLOAT_EQ(sp.backgroundReference[1], 2e-6f);
  EXPECT_NEAR(sp.peakBandPower[0], 10.0 * std::log10(6.0), 1e-5);  // segment 5, 6 µW

  // Limits between two bin edges fall to the bin below: 302 and 604 Hz give
  // the same bins 60..119.
  doc->panel.spinMin = 302;
  doc->panel.spinMax = 604;
  CalculateBandPower(*doc);
  EXPECT_NEAR(sp.bandPower[0][3], 10.0 * std::log10(5.0), 1e-5);
  // 305..600 Hz leaves bin 60 out.
  doc->panel.spinMin = 305;
  doc->panel.spinMax = 600;
  CalculateBandPower(*doc);
  EXPECT_NEAR(sp.bandPower[0][3], 10.0 * std::log10(4.0), 1e-5);
}

TEST(CalculatePhaseAverages, DividesEveryChannelByTheFirstChannelsCleanCount) {
  auto doc = documentWith(10, 2);
  TagTable& t = *doc->tagTable;
  PhaseTable& p = doc->phases();
  p.lastPhase = 1;
  p.entries[0].firstSegment = 0;
  p.entries[0].lastSegment = 4;
  p.entries[1].firstSegment = 5;
  p.entries[1].lastSegment = 9;
  for (int s = 1; s <= 3; ++s) t.setPhase(s, Inspiration);
  t.setPhase(4, Background);  // not a breath segment
  t.setFlags(1, 3, Rejected);  // missing on channel 1, still counted by channel 0
  p.entries[1].averageSpectrum.assign(2 * BinCount, 1.0f);  // left from a run before
  test::ScriptedPrompter prompter;
  NullProgress progress;
  Gauge gauge{progress};
  ASSERT_EQ(CalculatePhaseAverages(*doc, *doc, 2, BinCount, prompter, &gauge), 0);
  EXPECT_EQ(p.entries[0].cleanCount, 3);
  ASSERT_EQ(p.entries[0].averageSpectrum.size(), 2u * BinCount);
  EXPECT_FLOAT_EQ(p.entries[0].averageSpectrum[0], 3e-6f);                  // (2+3+4) / 3 µW
  EXPECT_FLOAT_EQ(p.entries[0].averageSpectrum[BinCount + 5], 10e-6f / 3.0f);  // (4+6) / 3 µW
  EXPECT_EQ(p.entries[1].cleanCount, 0);
  EXPECT_TRUE(p.entries[1].averageSpectrum.empty());
  EXPECT_EQ(gauge.position, 2);
  EXPECT_TRUE(prompter.messages.empty());

  EXPECT_EQ(CalculatePhaseAverages(*doc, *doc, 0, BinCount, prompter), 10);
  EXPECT_EQ(CalculatePhaseAverages(*doc, *doc, 2, 0, prompter), 10);
  // A new shape releases the old spectra before remaking them.
  ASSERT_EQ(CalculatePhaseAverages(*doc, *doc, 1, 100, prompter), 0);
  EXPECT_EQ(p.entries[0].averageSpectrum.size(), 100u);
}

TEST(CalculateFlowBins, TwentyOneBinsForPeakFlow1000AndBin100) {
  std::vector<int> flow = {0, 40, 60, -1000, 1000, 60, 990, 0};
  auto doc = documentWith(static_cast<int>(flow.size()), 1);
  doc->recording = std::make_unique<Recording>(test::flowRecording(flow));
  ASSERT_EQ(doc->recording->peakFlow, 1000);
  PhaseTable& p = doc->phases();
  for (size_t s = 0; s < flow.size(); ++s) p.segmentFlow[s] = flow[s] / 1000.0f;
  std::vector<float>& band = doc->spectra->bandPower[0];
  band = {9.0f, 1.0f, 2.0f, 3.0f, 4.0f, 6.0f, 5.0f, 9.0f};
  doc->tagTable->setFlags(0, 0, Rejected);  // only clean segments count
  doc->tagTable->setFlags(0, 7, Rejected);

  const FlowBinTable t = CalculateFlowBins(*doc, *doc, 0, 100);
  ASSERT_EQ(t.size(), 21);
  EXPECT_FLOAT_EQ(t.flow[0], -1.0f);
  EXPECT_FLOAT_EQ(t.flow[10], 0.0f);
  EXPECT_FLOAT_EQ(t.flow[20], 1.0f);
  EXPECT_EQ(t.count[10], 1);  // +0.04 L/s
  EXPECT_FLOAT_EQ(t.mean[10], 1.0f);
  EXPECT_EQ(t.count[11], 2);  // +0.06 L/s twice
  EXPECT_FLOAT_EQ(t.mean[11], 4.0f);
  EXPECT_FLOAT_EQ(t.spread[11], 4.0f);  // values 2 and 6: SD 2
  EXPECT_EQ(t.count[0], 1);  // -1.0
  EXPECT_EQ(t.count[20], 2);  // 1.0 and 0.99
  EXPECT_FLOAT_EQ(t.mean[20], 4.5f);
  EXPECT_EQ(t.spread[5], 0.0f);

  EXPECT_EQ(CalculateFlowBins(*doc, *doc, 0, 0).size(), 0);  // no width: no table
  EXPECT_EQ(CalculateFlowBins(*doc, *doc, 1, 100).size(), 0);  // no such channel
}

TEST(CalculateFlowBins, HalvesRoundToEvenAndOuterFlowsStayInTheEndBins) {
  auto doc = documentWith(8, 1);
  doc->recording = std::make_unique<Recording>(test::flowRecording({1250, 0, 0, 0, 0, 0, 0, 0}));
  PhaseTable& p = doc->phases();
  // Bins of 500 mL/s: R = round(2.5) = 2, five bins from -1.0 to 1.0 L/s,
  // scale 2 bins per L/s. 0.25 L/s lies exactly between the bins at 0.0 and 0.5.
  const float flow[8] = {0.25f, 0.75f, -0.25f, -0.75f, 3.0f, -3.0f, 0.5f, 0.0f};
  for (int s = 0; s < 8; ++s) p.segmentFlow[s] = flow[s];
  doc->spectra->bandPower[0] = {1, 2, 3, 4, 5, 6, 7, 8};

  const FlowBinTable t = CalculateFlowBins(*doc, *doc, 0, 500);
  ASSERT_EQ(t.size(), 5);
  EXPECT_FLOAT_EQ(t.flow[0], -1.0f);
  EXPECT_FLOAT_EQ(t.flow[3], 0.5f);
  // 2.5 -> 2 (0.25), 3.5 -> 4 (0.75), 1.5 -> 2 (-0.25), 0.5 -> 0 (-0.75);
  // 8 and -4 are limited to the end bins.
  EXPECT_EQ(t.count[0], 2);
  EXPECT_FLOAT_EQ(t.mean[0], 5.0f);  // -0.75 and -3.0
  EXPECT_EQ(t.count[1], 0);
  EXPECT_EQ(t.count[2], 3);
  EXPECT_FLOAT_EQ(t.mean[2], 4.0f);  // 0.25, -0.25 and 0.0
  EXPECT_EQ(t.count[3], 1);          // 0.5 exactly
  EXPECT_EQ(t.count[4], 2);          // 0.75 and 3.0
  EXPECT_FLOAT_EQ(t.spread[4], 3.0f);  // values 2 and 5: SD 1.5
  EXPECT_FLOAT_EQ(t.spread[2], 2.0f * std::sqrt(26.0f / 3.0f));  // 1, 3, 8 around 4

  // 750 / 500 = 1.5 also gives R = 2; 1750 / 500 = 3.5 gives 4.
  doc->recording = std::make_unique<Recording>(test::flowRecording({-750, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(CalculateFlowBins(*doc, *doc, 0, 500).size(), 5);
  doc->recording = std::make_unique<Recording>(test::flowRecording({1750, 0, 0, 0, 0, 0, 0, 0}));
  const FlowBinTable wider = CalculateFlowBins(*doc, *doc, 0, 500);
  EXPECT_EQ(wider.size(), 9);
  EXPECT_FLOAT_EQ(wider.flow[0], -2.0f);
}

}  // namespace
}  // namespace vode
