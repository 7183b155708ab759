// Breath cycles estimated from the sound of synthetic recordings without a
// breath trace, the phase rule, and the boundary scoring.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "AnalysisFixtures.h"
#include "analysis/BreathCycleEstimate.h"
#include "document/Document.h"
#include "model/Recording.h"
#include "model/Synthetic.h"
#include "model/TagTable.h"

using namespace vode;

namespace {

struct Subject {
  Document doc;
  std::vector<SynthBreath> breaths;
  std::vector<double> starts;  // annotated boundaries: each breath's start
};

void breathe(Subject& s, uint64_t seed, int channels, double seconds) {
  SynthOptions options;
  options.seed = seed;
  options.channels = channels;
  options.seconds = seconds;
  options.breathSignal = false;
  makeSyntheticRecording(s.doc, options, nullptr, &s.breaths);
  std::vector<CycleSpan> spans;
  for (size_t i = 0; i + 1 < s.breaths.size(); ++i) spans.push_back({s.breaths[i].start, s.breaths[i + 1].start});
  s.starts = CycleBoundaries(spans, seconds);
}

}  // namespace

TEST(BreathCycleEstimate, FindsTheBreathsOfASubjectWithoutABreathTrace) {
  for (uint64_t seed : {2u, 7u}) {
    Subject s;
    breathe(s, seed, 2, 60.0);
    ASSERT_EQ(s.doc.recording->peakFlow, 0);
    const CycleEstimate all = EstimateBreathCycles(*s.doc.recording);
    EXPECT_EQ(EstimateBreathCycles(*s.doc.recording, -1, {}, 1).boundaries, all.boundaries);
    const BoundaryScore score = ScoreBoundaries(CycleBoundaries(all.cycles, 60.0), s.starts);
    EXPECT_GE(score.f1(), 0.85) << "seed " << seed << ": " << BoundaryScoreLine(score);
    // One chest site alone still follows the breathing.
    const CycleEstimate one = EstimateBreathCycles(*s.doc.recording, 1);
    EXPECT_GE(ScoreBoundaries(CycleBoundaries(one.cycles, 60.0), s.starts).f1(), 0.75);
    for (size_t i = 0; i < all.cycles.size(); ++i) {
      EXPECT_LT(all.cycles[i].start, all.cycles[i].end);
      EXPECT_LE(all.cycles[i].end - all.cycles[i].start, MaxCycleSeconds);
      if (i) {
        EXPECT_GE(all.cycles[i].start, all.cycles[i - 1].end);
      }
    }
  }
}

TEST(BreathCycleEstimate, AnOffsetChangesNothingAndSilenceOrABriefRecordingHasNoCycles) {
  Subject s;
  breathe(s, 4, 1, 30.0);
  const CycleEstimate plain = EstimateBreathCycles(*s.doc.recording);
  for (int16_t& v : s.doc.recording->sound[0]) v = static_cast<int16_t>(std::clamp(v + 3000, -32768, 32767));
  const CycleEstimate shifted = EstimateBreathCycles(*s.doc.recording);
  ASSERT_FALSE(plain.boundaries.empty());
  EXPECT_EQ(plain.boundaries, shifted.boundaries);

  Recording silent = Recording::create(300, 2);
  EXPECT_TRUE(EstimateBreathCycles(silent).cycles.empty());
  Subject brief;
  breathe(brief, 4, 1, 1.9);
  EXPECT_TRUE(EstimateBreathCycles(*brief.doc.recording).boundaries.empty());
}

TEST(BreathCycleEstimate, AChestPieceThatPassesLittleAboveOneKilohertzHasItsOwnLag) {
  Subject s;
  breathe(s, 4, 1, 30.0);
  Recording& rec = *s.doc.recording;
  CycleParameters p;
  EXPECT_FALSE(EstimateBreathCycles(rec, -1, p).narrowBand);
  rec.sound[0] = test::narrowed(rec.sound[0]);
  const CycleEstimate narrow = EstimateBreathCycles(rec, -1, p);
  EXPECT_TRUE(narrow.narrowBand);
  ASSERT_GE(narrow.boundaries.size(), 5u);
  p.lag += 0.3f;  // the wide-band lag no longer counts
  p.narrowLag += 0.1f;
  const CycleEstimate later = EstimateBreathCycles(rec, -1, p);
  ASSERT_EQ(later.boundaries.size(), narrow.boundaries.size());
  for (size_t i = 0; i < later.boundaries.size(); ++i)
    EXPECT_NEAR(later.boundaries[i], narrow.boundaries[i] + 0.1, 1e-6) << i;
}

TEST(BreathCycleEstimate, PhasesRunFromEachStartToTheQuietestMiddleFrame) {
  CycleEstimate e;
  e.frameSeconds = 0.025;
  e.loudness.assign(400, 1.0f);  // 10 s
  e.loudness[99] = -1.0f;        // centre 2.5 s: the pause of the first cycle (1 s to 4 s)
  e.loudness[115] = -3.0f;       // 2.9 s: past 60 % of it, the fading expiration
  e.loudness[40] = -2.0f;        // 1.025 s: too near the cycle's start to count
  e.cycles = {{1.0, 4.0}, {4.0, 7.02}};
  const std::vector<PhaseSpan> spans = PhasesFromCycles(e, 100);
  ASSERT_EQ(spans.size(), 4u);
  EXPECT_EQ(spans[0].phase, Inspiration);
  EXPECT_EQ(spans[0].first, 10);
  EXPECT_EQ(spans[0].last, 24);  // segment 24 is centred at 2.45 s, 25 at 2.55 s
  EXPECT_EQ(spans[1].phase, Expiration);
  EXPECT_EQ(spans[1].first, 25);
  EXPECT_EQ(spans[1].last, 39);
  // A flat second cycle: its first frame inside 20-60 % starts the expiration.
  EXPECT_EQ(spans[2].first, 40);
  EXPECT_EQ(spans[3].last, 69);  // 7.02 s ends inside segment 70, whose centre lies beyond
  // Past the recording's last segment nothing is marked.
  EXPECT_EQ(PhasesFromCycles(e, 30).back().last, 29);
}

TEST(BreathCycleEstimate, PhasesMarkedFromTheSoundAgreeWithTheFlow) {
  Document doc;
  SynthOptions options;
  options.seed = 11;
  options.seconds = 90.0;
  makeSyntheticRecording(doc, options);  // the flow kept, to judge the marks by
  const Recording& rec = *doc.recording;
  const std::vector<PhaseSpan> spans = PhasesFromCycles(EstimateBreathCycles(rec), rec.segmentCount);
  int agree = 0, marked = 0;
  for (const PhaseSpan& span : spans)
    for (int s = span.first; s <= span.last; ++s) {
      int sum = 0;
      for (int k = 0; k < SegmentFlowSamples; ++k) sum += rec.flow[s * SegmentFlowSamples + k];
      ++marked;
      agree += (span.phase == Inspiration) == (sum > 0);
    }
  EXPECT_GT(marked, 600);
  EXPECT_GT(agree, marked * 4 / 5) << agree << " of " << marked;
}

TEST(BoundaryScoring, SharedBoundariesCountOnceAndTheEndsOfTheFileAreLeftOut) {
  const std::vector<CycleSpan> cycles = {{0.2, 2.0}, {2.0, 4.5}, {5.0, 9.7}};
  EXPECT_EQ(CycleBoundaries(cycles, 10.0), (std::vector<double>{2.0, 4.5, 5.0}));
  EXPECT_EQ(CycleBoundaries({{0.5, 9.5}}, 10.0), (std::vector<double>{0.5, 9.5}));
}

TEST(BoundaryScoring, MatchesOneToOneNearestFirstWithinHalfASecond) {
  BoundaryScore s = ScoreBoundaries({0.6, 1.5, 3.0}, {1.0, 1.3, 3.5, 6.0});
  EXPECT_EQ(s.matched, 3);  // 3.0 and 3.5 exactly 0.5 s apart still pair
  EXPECT_EQ(s.estimated, 3);
  EXPECT_EQ(s.annotated, 4);
  EXPECT_DOUBLE_EQ(s.f1(), 6.0 / 7.0);
  EXPECT_EQ(BoundaryScoreLine(s), "# precision 1.000 (3/3), recall 0.750 (3/4), F1 0.857");
  // Taken in order, 1.0 would pair with 1.35 and 1.4 with 1.85; nearest
  // first, 1.4 and 1.35 pair and 1.0 has nothing left within reach.
  EXPECT_EQ(ScoreBoundaries({1.0, 1.4}, {1.35, 1.85}).matched, 1);
  EXPECT_EQ(ScoreBoundaries({2.0}, {2.51}).matched, 0);

  const BoundaryScore none = ScoreBoundaries({}, {});
  EXPECT_TRUE(std::isnan(none.f1()));
  EXPECT_EQ(BoundaryScoreLine(none), "# precision nan (0/0), recall nan (0/0), F1 nan");
  EXPECT_EQ(ScoreBoundaries({}, {1.0}).f1(), 0.0);
}

TEST(CycleParameters, SetsKnownNamesWithinTheirRanges) {
  CycleParameters p;
  EXPECT_TRUE(p.set("rise", 0.4));
  EXPECT_FLOAT_EQ(p.rise, 0.4f);
  EXPECT_TRUE(p.set("lag", -0.1));
  EXPECT_TRUE(p.set("narrow-lag", -0.3));
  EXPECT_FLOAT_EQ(p.narrowLag, -0.3f);
  EXPECT_FALSE(p.set("rise", 0.0));
  EXPECT_FALSE(p.set("spacing", 9.0));
  EXPECT_FALSE(p.set("relative", 0.95));  // would leave no room for a shorter breath
  EXPECT_FALSE(p.set("depth", 1.0));
}
