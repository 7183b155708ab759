#include "analysis/AnalysisCommand.h"

#include <gtest/gtest.h>

#include "analysis/AnalysisFixtures.h"
#include "model/Palette.h"
#include "support/TestSupport.h"

namespace vode {
namespace {

struct ProgressLog : ProgressSink {
  std::vector<std::string> texts;
  std::vector<int> steps, maxima;
  int position = 0;
  void begin(const std::string& text, int n) override {
    texts.push_back(text);
    steps.push_back(n);
  }
  void setMaximum(int n) override { maxima.push_back(n); }
  void set(int p) override { position = p; }
  void end() override {}
};

std::unique_ptr<Document> openedDocument(int segments, int channels) {
  auto doc = std::make_unique<Document>();
  doc->recording = std::make_unique<Recording>(test::makeRecording(segments, channels, 9));
  doc->prepareOpenedRecording();
  return doc;
}

TEST(DoAnalyzeClick, RunsSpectraImagesTagsAndAveragesInOrder) {
  auto doc = openedDocument(65, 2);
  ProgressLog log;
  test::ScriptedPrompter prompter;
  AnalysisTimings timings;
  DoAnalyzeClick(*doc, *doc, Palette::grey(), log, prompter, &timings);

  EXPECT_EQ(log.texts, (std::vector<std::string>{"Calculating Power", "Calculating Image", "Calculating Tags"}));
  EXPECT_EQ(log.steps, (std::vector<int>{130, 130, 16}));
  ASSERT_TRUE(doc->tagTable);
  EXPECT_EQ(doc->tagTable->rows(), 2);
  EXPECT_EQ(doc->tagTable->segments(), 65);
  const PhaseTable& p = *doc->phaseTable;
  // 50 kg, Tidal: 0.375 L/s gives 380 ± 75 mL/s.
  EXPECT_FLOAT_EQ(p.inspLow, 0.305f);
  EXPECT_FLOAT_EQ(p.expHigh, -0.305f);
  EXPECT_FLOAT_EQ(p.backgroundFlow, 0.1f);
  ASSERT_GE(p.lastPhase, 2);
  // Gauge: 65 div 30 + phases + 1, ending there.
  EXPECT_EQ(log.maxima.back(), 2 + p.lastPhase + 2);
  EXPECT_EQ(log.position, log.maxima.back());
  ASSERT_TRUE(doc->averages);
  EXPECT_GT(doc->averages->inspCountOf(0), 0);
  EXPECT_GT(doc->averages->expCountOf(1), 0);
  EXPECT_EQ(doc->spectra->bandPower[1].size(), 65u);
  EXPECT_GE(timings.spectra, 0.0);
  EXPECT_TRUE(prompter.messages.empty());
}

TEST(DoAnalyzeClick, KeepsStoredPhaseBytesAndRetagsWithoutSender) {
  auto doc = openedDocument(40, 1);
  doc->tagTable = std::make_unique<TagTable>();
  doc->tagTable->create(1, 40);
  doc->tagTable->setPhase(10, Background);
  doc->tagTable->setPhase(11, 3);
  NullProgress progress;
  test::ScriptedPrompter prompter;

  DoAnalyzeClick(*doc, *doc, Palette::grey(), progress, prompter);
  EXPECT_EQ(doc->tagTable->phase(10), Background);
  EXPECT_EQ(doc->tagTable->phase(11), 3);
  for (int s = 0; s < 40; ++s) {
    if (s == 10 || s == 11) continue;
    EXPECT_EQ(doc->tagTable->phase(s), 0) << s;
  }
  EXPECT_GE(doc->phaseTable->lastPhase, 0);  // the phases are found all the same

  DoAnalyzeClick(*doc, *doc, progress, prompter);  // the re-analysis derives them afresh
  EXPECT_NE(doc->tagTable->phase(11), 3);
  int tagged = 0;
  for (int s = 0; s < 40; ++s) tagged += doc->tagTable->phase(s) != 0;
  EXPECT_GT(tagged, 5);
}

TEST(CalculateTags, WithoutSpectraTagsAndKeepsTheGaugeAtOne) {
  Document doc;
  doc.recording = std::make_unique<Recording>(test::flowRecording(test::squareBreathing(20, 5, 380)));
  ProgressLog log;
  test::ScriptedPrompter prompter;
  CalculateTags(doc, doc, true, log, prompter);
  EXPECT_EQ(log.texts, std::vector<std::string>{"Calculating Tags"});
  EXPECT_EQ(log.steps, std::vector<int>{5});
  EXPECT_EQ(log.maxima, std::vector<int>{1});
  EXPECT_EQ(doc.tagTable->phase(3), Inspiration);
  EXPECT_FALSE(doc.averages);
}

TEST(CalculateTags, StrainGaugePresetsAndRefusedTargets) {
  Document doc;
  doc.recording = std::make_unique<Recording>(test::flowRecording(test::squareBreathing(20, 5, 2500)));
  doc.channelSetup.airflowKind = 1;
  doc.channelSetup.targetFlowChoice = 1;  // Medium: 2.5 V
  NullProgress progress;
  test::ScriptedPrompter prompter;
  CalculateTags(doc, doc, true, progress, prompter);
  EXPECT_FLOAT_EQ(doc.phaseTable->inspLow, 2.0f);
  EXPECT_FLOAT_EQ(doc.phaseTable->inspHigh, 3.0f);

  // A pneumotach recording after it is measured in L/s again: 15 mL/s per kg.
  doc.channelSetup.airflowKind = 0;
  doc.subject.weight = 50.0f;
  CalculateTags(doc, doc, true, progress, prompter);
  EXPECT_FLOAT_EQ(doc.phaseTable->inspLow, 0.6f);

  // A weight of 0 gives no target: the thresholds stay as they were.
  doc.subject.weight = 0.0f;
  CalculateTags(doc, doc, true, progress, prompter);
  EXPECT_FLOAT_EQ(doc.phaseTable->inspLow, 0.6f);
}

TEST(CalculateTags, BackgroundFlowFollowsEitherPreferenceUntilATargetIsRefused) {
  Document doc;
  doc.recording = std::make_unique<Recording>(test::flowRecording(test::squareBreathing(30, 5, 380)));
  doc.subject.weight = 60.0f;  // Tidal: 0.45 L/s
  NullProgress progress;
  test::ScriptedPrompter prompter;
  CalculateTags(doc, doc, true, progress, prompter);
  EXPECT_FLOAT_EQ(doc.phaseTable->backgroundFlow, 0.12f);  // 2 mL/s per kg
  EXPECT_FLOAT_EQ(doc.phaseTable->minPhaseSum, 1.2f);

  doc.preferences.backgroundFlowMode = 1;
  doc.preferences.backgroundFlowAbsolute = 250.0f;
  CalculateTags(doc, doc, true, progress, prompter);
  EXPECT_FLOAT_EQ(doc.phaseTable->backgroundFlow, 0.25f);
  EXPECT_FLOAT_EQ(doc.phaseTable->minPhaseSum, 2.5f);
  EXPECT_FLOAT_EQ(doc.phaseTable->inspLow, 0.36f);

  // No weight, no target: limits and background flow stay, whatever the
  // preferences now say.
  doc.subject.weight = 0.0f;
  doc.preferences.backgroundFlowMode = 0;
  CalculateTags(doc, doc, true, progress, prompter);
  EXPECT_FLOAT_EQ(doc.phaseTable->backgroundFlow, 0.25f);
  EXPECT_FLOAT_EQ(doc.phaseTable->minPhaseSum, 2.5f);
  EXPECT_FLOAT_EQ(doc.phaseTable->inspLow, 0.36f);
}

TEST(CalculateTags, EightChannelsAverageByChannelAndPhasesByTheFirstChannelsCount) {
  auto doc = openedDocument(90, 8);
  NullProgress progress;
  test::ScriptedPrompter prompter;
  DoAnalyzeClick(*doc, *doc, Palette::grey(), progress, prompter);
  TagTable& tags = *doc->tagTable;
  const PhaseTable& p = *doc->phaseTable;

  // A phase with at least three breath-clean segments.
  int k = 0;
  while (k <= p.lastPhase && p.entries[k].cleanCount < 3) ++k;
  ASSERT_LE(k, p.lastPhase);
  const PhaseEntry& e = p.entries[k];
  std::vector<int> clean;
  for (int s = e.firstSegment; s <= e.lastSegment; ++s)
    if (tags.breathClean(0, s)) clean.push_back(s);
  ASSERT_EQ(static_cast<int>(clean.size()), e.cleanCount);
  const bool insp = e.phaseVolume > 0.0f;
  auto countOf = [&](int c) { return insp ? doc->averages->inspCountOf(c) : doc->averages->expCountOf(c); };
  const int before = countOf(0);
  for (int c = 1; c < 8; ++c) ASSERT_EQ(countOf(c), before);

  // Two segments flagged on channel 7 only, a third on channel 0 only.
  tags.addFlags(7, clean[0], Wheeze);
  tags.addFlags(7, clean[1], ArFlag);
  tags.addFlags(0, clean[2], CrFlag);
  CalculateTags(*doc, *doc, false, progress, prompter);

  ASSERT_EQ(doc->averages->channelCount, 8);
  EXPECT_EQ(countOf(0), before - 1);
  EXPECT_EQ(countOf(3), before);
  EXPECT_EQ(countOf(7), before - 2);
  const int n = static_cast<int>(clean.size()) - 1;
  ASSERT_EQ(e.cleanCount, n);
  ASSERT_EQ(e.averageSpectrum.size(), 8u * BinCount);
  const SegmentSpectra& sp = *doc->spectra;
  for (int b : {1, 40, 959}) {
    // Channel 3 sums every segment, channel 7 all but its two flagged ones;
    // both divide by channel 0's count.
    double all = 0.0, some = 0.0;
    for (size_t i = 0; i < clean.size(); ++i) {
      all += sp.power(3, clean[i])[b];
      if (i >= 2) some += sp.power(7, clean[i])[b];
    }
    EXPECT_NEAR(e.averageSpectrum[3 * BinCount + b], all / n, 1e-6 * all) << b;
    EXPECT_NEAR(e.averageSpectrum[7 * BinCount + b], some / n, 1e-6 * some) << b;
  }
}

TEST(CopyPowerToFlow, WritesBurstsOfBandPowerAsAlternatingBreaths) {
  auto doc = openedDocument(40, 1);
  NullProgress progress;
  test::ScriptedPrompter prompter;
  DoAnalyzeClick(*doc, *doc, Palette::grey(), progress, prompter);
  // Two bursts above 3 dB with silence around them.
  std::vector<float>& band = doc->spectra->bandPower[0];
  std::fill(band.begin(), band.end(), 0.0f);
  for (int s = 5; s < 10; ++s) band[s] = 8.0f;
  for (int s = 20; s < 25; ++s) band[s] = 4.0f;
  doc->spectra->peakBandPower[0] = 8.0f;

  copyPowerToFlow(*doc, *doc, 0, progress, prompter);
  const Recording& r = *doc->recording;
  EXPECT_EQ(r.flow[5 * 32], -1000);  // the first burst after silence turns the polarity
  EXPECT_EQ(r.flow[20 * 32 + 31], 500);
  EXPECT_EQ(r.flow[12 * 32], 0);
  EXPECT_EQ(r.peakFlow, 1000);
  EXPECT_EQ(doc->preferences.flowHoldsPower, 1);
  // Re-tagged from the new breath signal.
  EXPECT_FLOAT_EQ(doc->phaseTable->segmentFlow[7], -1.0f);
  EXPECT_EQ(doc->phaseTable->PhaseLabel(7).back(), 'e');
}

TEST(CopyPowerToFlow, WithoutAnyPowerAboveTheBackgroundTheFlowIsZero) {
  // No background segment: every band power and the peak are 0. With a
  // threshold of 0 each segment is "at the threshold", so 0 / 0 would be
  // asked for; the breath signal becomes 0 instead.
  auto doc = openedDocument(30, 1);
  NullProgress progress;
  test::ScriptedPrompter prompter;
  DoAnalyzeClick(*doc, *doc, Palette::grey(), progress, prompter);
  ASSERT_EQ(doc->averages->backgroundCountOf(0), 0);
  ASSERT_EQ(doc->spectra->peakBandPower[0], 0.0f);
  doc->panel.spindB = 0;
  copyPowerToFlow(*doc, *doc, 0, progress, prompter);
  const Recording& r = *doc->recording;
  for (int16_t f : r.flow) ASSERT_EQ(f, 0);
  EXPECT_EQ(r.peakFlow, 0);
  EXPECT_EQ(doc->preferences.flowHoldsPower, 1);
  EXPECT_EQ(doc->phaseTable->lastSegment, 29);  // re-tagged all the same

  doc->preferences.flowHoldsPower = 0;
  copyPowerToFlow(*doc, *doc, 1, progress, prompter);  // no such channel: nothing happens
  EXPECT_EQ(doc->preferences.flowHoldsPower, 0);
}

}  // namespace
}  // namespace vode

namespace vode {
namespace {

TEST(DoAnalyzeClick, SurvivesTinyRecordingsAndStoredTablesOfAnotherShape) {
  NullProgress progress;
  test::ScriptedPrompter prompter;
  for (int segments : {0, 1, 2}) {
    auto doc = openedDocument(segments, 1);
    DoAnalyzeClick(*doc, *doc, Palette::grey(), progress, prompter);
    ASSERT_TRUE(doc->tagTable);
    if (segments == 0) {
      EXPECT_TRUE(doc->tagTable->empty());
      EXPECT_FALSE(doc->spectra->hasPower());
      continue;
    }
    EXPECT_EQ(doc->tagTable->flags(0, 0), Rejected);
    EXPECT_EQ(doc->tagTable->flags(0, segments - 1), Rejected);
  }
  // A stored table shorter and narrower than the recording.
  auto doc = openedDocument(20, 3);
  doc->tagTable = std::make_unique<TagTable>();
  doc->tagTable->create(1, 10);
  DoAnalyzeClick(*doc, *doc, Palette::grey(), progress, prompter);
  EXPECT_EQ(doc->averages->inspCountOf(2), 0);
  EXPECT_EQ(doc->tagTable->flags(0, 0), Rejected);
  EXPECT_TRUE(prompter.messages.empty());
}

}  // namespace
}  // namespace vode
