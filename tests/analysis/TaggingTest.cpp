#include <gtest/gtest.h>

#include <cmath>

#include "analysis/AnalysisFixtures.h"
#include "analysis/PhaseTable.h"
#include "model/TagTable.h"

namespace vode {
namespace {

using test::flowRecording;

struct Tagged {
  PhaseTable phases;
  TagTable tags;
};

std::unique_ptr<Tagged> tagFlow(const Recording& r, bool retag = true, bool resp = false,
                                const std::vector<uint8_t>& presetPhases = {}) {
  auto t = std::make_unique<Tagged>();
  t->tags.create(r.channelCount, r.segmentCount);
  for (size_t s = 0; s < presetPhases.size(); ++s) t->tags.setPhase(static_cast<int>(s), presetPhases[s]);
  test::setTestThresholds(t->phases);
  TagRecording(t->phases, t->tags, r, resp, retag);
  return t;
}

std::string phaseLetters(const TagTable& tags) {
  std::string out;
  for (int s = 0; s < tags.segments(); ++s) {
    const uint8_t p = tags.phase(s);
    out += p == Inspiration ? 'I' : p == Expiration ? 'E' : p == Background ? 'B' : '.';
  }
  return out;
}

TEST(SegmentValue, IsTheMeanFlowInLitresPerSecond) {
  Recording r = flowRecording({500, -250, 0});
  r.flow[5] = 532;  // one sample of segment 0 changes the sum by 32
  EXPECT_FLOAT_EQ(segmentValue(r, 0), 16032.0f / 32000.0f);
  EXPECT_FLOAT_EQ(segmentValue(r, 1), -0.25f);
  EXPECT_EQ(segmentValue(r, 2), 0.0f);
  EXPECT_EQ(segmentValue(r, 3), 0.0f);
  EXPECT_EQ(segmentValue(r, -1), 0.0f);
}

TEST(TagRecording, FlowEverywhereZeroTagsNothingButRejectsBothEnds) {
  const Recording r = flowRecording(std::vector<int>(12, 0), 2);
  ASSERT_EQ(r.peakVolume, 0);
  const auto t = tagFlow(r);
  EXPECT_EQ(phaseLetters(t->tags), "............");
  for (int c = 0; c < 2; ++c) {
    EXPECT_EQ(t->tags.flags(c, 0), Rejected);
    EXPECT_EQ(t->tags.flags(c, 11), Rejected);
    for (int s = 1; s < 11; ++s) EXPECT_EQ(t->tags.flags(c, s), 0);
  }
  EXPECT_EQ(t->phases.lastPhase, -1);  // no volume reaches the minimum
  EXPECT_EQ(t->phases.backgroundTagged, 0);
}

TEST(TagRecording, RangesAreClosedAtBothEnds) {
  // 0.4 and 0.6 L/s are the limits themselves; 0.601 and 0.399 lie outside.
  const Recording r = flowRecording({0, 400, 600, 601, 399, 500, -400, -600, -601, -399, -500, 0});
  const auto t = tagFlow(r);
  EXPECT_EQ(phaseLetters(t->tags), ".II..IEE..E.");
}

TEST(TagRecording, OnlyTheMiddleOfThreeQuietSegmentsIsBackground) {
  const Recording r = flowRecording({500, 500, 0, 10, 0, 500, 500, 500});
  const auto t = tagFlow(r);
  EXPECT_EQ(phaseLetters(t->tags), "II.B.III");
  EXPECT_EQ(t->tags.phase(3), Background);
}

TEST(TagRecording, LongQuietStretchesAreBackgroundInside) {
  const Recording r = flowRecording({500, 0, 0, 0, 0, 0, 500, 500});
  const auto t = tagFlow(r);
  EXPECT_EQ(phaseLetters(t->tags), "I.BBB.II");
  EXPECT_EQ(t->phases.backgroundTagged, 3);
}

TEST(ClosePhase, APhaseJustBelowTheMinimumVolumeLeavesNoEntry) {
  // minPhaseSum is 1.0: ten segments of 0.5 L/s make 5.0; three of -0.33 make -0.99.
  std::vector<int> flow(10, 500);
  for (int k = 0; k < 3; ++k) flow.push_back(-330);
  for (int k = 0; k < 10; ++k) flow.push_back(500);
  const auto t = tagFlow(flowRecording(flow));
  const PhaseTable& p = t->phases;
  ASSERT_EQ(p.lastPhase, 1);
  EXPECT_EQ(p.entries[0].firstSegment, 0);
  EXPECT_EQ(p.entries[0].lastSegment, 9);
  EXPECT_FLOAT_EQ(p.entries[0].phaseVolume, 0.5f);
  // The next entry starts at the direction change that ended the small phase.
  EXPECT_EQ(p.entries[1].firstSegment, 13);
  EXPECT_EQ(p.entries[1].lastSegment, 22);  // the recording's last segment closes its own phase
  EXPECT_EQ(p.FindPhase(11), -1);
  EXPECT_EQ(p.PhaseLabel(11), "N/A");
  EXPECT_EQ(p.PhaseLabel(0), "1i");
  EXPECT_EQ(p.PhaseLabel(13), "2i");
}

TEST(ClosePhase, ExactlyTheMinimumVolumeIsAPhase) {
  std::vector<int> flow(10, 500);
  flow.insert(flow.end(), {-500, -500});  // -1.0 = minPhaseSum
  flow.insert(flow.end(), 10, 500);
  const auto t = tagFlow(flowRecording(flow));
  ASSERT_EQ(t->phases.lastPhase, 2);
  EXPECT_EQ(t->phases.entries[1].firstSegment, 10);
  EXPECT_EQ(t->phases.entries[1].lastSegment, 11);
  EXPECT_EQ(t->phases.PhaseLabel(10), "2e");
}

TEST(ClosePhase, TheTableHoldsAtMost601Phases) {
  // Two segments per phase of 0.6 L/s: 1.2 each, above the minimum.
  const Recording r = flowRecording(test::squareBreathing(1210, 2, 600));
  const auto t = tagFlow(r);
  const PhaseTable& p = t->phases;
  EXPECT_EQ(p.lastPhase, 600);
  EXPECT_EQ(p.entries[600].firstSegment, 1200);
  EXPECT_EQ(p.entries[600].lastSegment, 1201);
  EXPECT_EQ(p.PhaseLabel(1201), "601i");
  EXPECT_EQ(p.PhaseLabel(1202), "N/A");  // the 602nd phase
  EXPECT_EQ(p.PhaseLabel(1209), "N/A");
}

TEST(ClosePhase, NothingFedSinceTheResetRecordsNothing) {
  // Acquisition stopped before its first segment: with no minimum volume set
  // an empty phase would pass the volume test, but it has no segments.
  for (bool resp : {false, true}) {
    PhaseTable p;
    TagTable tags;
    tags.create(1, 10);
    p.tags = &tags;
    p.resp = resp;
    p.ResetPhaseTable();
    p.ClosePhase();
    EXPECT_EQ(p.lastPhase, -1) << resp;
    EXPECT_EQ(p.FindPhase(0), -1);
  }
}

TEST(TagRecording, CountsCleanTagsAndBreathsAndRaisesReadyFlags) {
  // Six breaths of 5 inspiratory and 5 expiratory segments at 0.5 L/s.
  const Recording r = flowRecording(test::squareBreathing(60, 5, 500));
  auto t = std::make_unique<Tagged>();
  t->tags.create(1, 60);
  t->tags.setFlags(0, 2, Clipped);  // a flagged segment is tagged but not counted
  test::setTestThresholds(t->phases);
  TagRecording(t->phases, t->tags, r, false, true);
  const PhaseTable& p = t->phases;
  // Segments 0 and 59 are rejected, 2 is clipped.
  EXPECT_EQ(p.inspTagged, 30 - 2);
  EXPECT_EQ(p.expTagged, 30 - 1);
  EXPECT_EQ(p.inspBreaths, 6);
  EXPECT_EQ(p.expBreaths, 6);
  EXPECT_EQ(p.readyFlags, InspirationReady | ExpirationReady);
  EXPECT_EQ(p.lastPhase, 11);
  EXPECT_EQ(t->tags.phase(2), Inspiration);
}

TEST(TagRecording, RetagFalseKeepsEveryPhaseByteButRecomputesThePhases) {
  const Recording r = flowRecording(test::squareBreathing(40, 5, 500));
  std::vector<uint8_t> preset(40, 0);
  preset[3] = Background;
  preset[7] = 3;  // an odd stored value survives as well
  preset[20] = Expiration;
  const auto kept = tagFlow(r, false, false, preset);
  const auto fresh = tagFlow(r, true);
  for (int s = 0; s < 40; ++s) EXPECT_EQ(kept->tags.phase(s), preset[s]) << s;
  EXPECT_EQ(kept->tags.flags(0, 0), Rejected);
  ASSERT_EQ(kept->phases.lastPhase, fresh->phases.lastPhase);
  EXPECT_EQ(kept->phases.inspTagged, fresh->phases.inspTagged);
  for (int k = 0; k <= kept->phases.lastPhase; ++k) {
    EXPECT_EQ(kept->phases.entries[k].firstSegment, fresh->phases.entries[k].firstSegment);
    EXPECT_EQ(kept->phases.entries[k].lastSegment, fresh->phases.entries[k].lastSegment);
  }
}

TEST(TagRecording, RespTagsTheMiddleFifthOfEachPhase) {
  // A band rising over 0..9, falling over 10..19, rising over 20..29.
  std::vector<int> band;
  for (int s = 0; s < 10; ++s) band.push_back(100 * s);
  for (int s = 0; s < 10; ++s) band.push_back(850 - 50 * s);
  for (int s = 0; s < 10; ++s) band.push_back(450 + 50 * s);
  const auto t = tagFlow(flowRecording(band), true, true);
  EXPECT_EQ(phaseLetters(t->tags), "....II.......EE.........II....");
  ASSERT_EQ(t->phases.lastPhase, 2);
  EXPECT_EQ(t->phases.entries[0].lastSegment, 9);
  EXPECT_EQ(t->phases.entries[1].firstSegment, 10);
  EXPECT_FLOAT_EQ(t->phases.entries[0].phaseVolume, 0.9f);  // nine +1 steps / 10
  EXPECT_EQ(t->phases.inspTagged, 4);
  EXPECT_EQ(t->phases.expTagged, 2);
}

// A band that moves by 100 per segment, rising or falling for the given
// number of segments in turn, starting with a rise.
std::vector<int> zigZag(const std::vector<int>& phaseLengths) {
  std::vector<int> band;
  int value = 0, direction = 1;
  for (int n : phaseLengths) {
    for (int k = 0; k < n; ++k) {
      if (!band.empty()) value += 100 * direction;
      band.push_back(value);
    }
    direction = -direction;
  }
  return band;
}

TEST(TagRecording, RespRoundsTheFifthAndPlacesItByDirection) {
  // Phases of 7, 8, 13, 3 and 12 segments: L = 1, 2, 3, 1 and 2. A rise gets
  // the L segments centred in it, a fall the L segments ending at its middle
  // segment (9 and 10 of 7..14, not 10 and 11).
  const auto t = tagFlow(flowRecording(zigZag({7, 8, 13, 3, 12})), true, true);
  EXPECT_EQ(phaseLetters(t->tags), "...I.....EE.........III......E......II.....");
  ASSERT_EQ(t->phases.lastPhase, 4);
  const int first[] = {0, 7, 15, 28, 31}, last[] = {6, 14, 27, 30, 42};
  for (int k = 0; k <= 4; ++k) {
    EXPECT_EQ(t->phases.entries[k].firstSegment, first[k]) << k;
    EXPECT_EQ(t->phases.entries[k].lastSegment, last[k]) << k;
  }
  // The first segment has no direction yet: six +1 steps, then eight -1 steps.
  EXPECT_FLOAT_EQ(t->phases.entries[0].phaseVolume, 0.6f);
  EXPECT_FLOAT_EQ(t->phases.entries[1].phaseVolume, -0.8f);
  EXPECT_FLOAT_EQ(t->phases.runningVolume[3], 0.3f);
  EXPECT_EQ(t->phases.inspTagged, 6);
  EXPECT_EQ(t->phases.expTagged, 3);
  EXPECT_EQ(t->phases.inspBreaths, 1);  // only the 13-segment rise reaches three
  EXPECT_EQ(t->phases.expBreaths, 0);
}

TEST(TagRecording, RespFlatStartHasNoDirectionUntilTheBandMoves) {
  // Equal values with an empty accumulator step by 0, so the flat start
  // belongs to the first rise; a fall then ends it.
  const Recording r = flowRecording({50, 50, 50, 60, 70, 80, 90, 100, 110, 120, 130, 120, 110, 100, 90, 80});
  const auto t = tagFlow(r, true, true);
  ASSERT_EQ(t->phases.lastPhase, 1);
  EXPECT_EQ(t->phases.entries[0].firstSegment, 0);
  EXPECT_EQ(t->phases.entries[0].lastSegment, 10);
  EXPECT_FLOAT_EQ(t->phases.entries[0].phaseVolume, 0.8f);
  EXPECT_FLOAT_EQ(t->phases.runningVolume[2], 0.0f);
  // L = round(2.2) = 2 from (0 + 10 + 1 - 2) div 2 = 4; the fall 11..15 gets
  // L = 1 at its middle, 13.
  EXPECT_EQ(phaseLetters(t->tags), "....II.......E..");
}

TEST(TagRecording, RespPhasesPastTheTableAreNeitherRecordedNorTagged) {
  // 596 phases of two segments (nothing to tag), then phases of three whose
  // middle segment is tagged, up to the full table of 601.
  std::vector<int> lengths(596, 2);
  lengths.insert(lengths.end(), 202, 3);
  const Recording r = flowRecording(zigZag(lengths));
  ASSERT_EQ(r.segmentCount, 1798);
  const auto t = tagFlow(r, true, true);
  const PhaseTable& p = t->phases;
  ASSERT_EQ(p.lastPhase, 600);
  EXPECT_EQ(p.entries[600].firstSegment, 1204);
  EXPECT_EQ(p.entries[600].lastSegment, 1206);
  std::vector<int> tagged;
  for (int s = 0; s < r.segmentCount; ++s)
    if (t->tags.phase(s) != 0) tagged.push_back(s);
  EXPECT_EQ(tagged, (std::vector<int>{1193, 1196, 1199, 1202, 1205}));
  EXPECT_EQ(p.PhaseLabel(1207), "N/A");
  EXPECT_EQ(p.inspTagged + p.expTagged, 5);
}

TEST(TagRecording, RespPhasesOfOneOrTwoSegmentsTagNothing) {
  // Zig-zag: every phase lasts one or two segments, so round(0.2 n) = 0.
  const Recording r = flowRecording({0, 100, 0, 100, 100, 0, 0, 100, 0, 100});
  const auto t = tagFlow(r, true, true);
  EXPECT_EQ(phaseLetters(t->tags), "..........");
  EXPECT_GT(t->phases.lastPhase, 3);
}

TEST(TagRecording, RespTiesContinueTheCurrentDirection) {
  // After a rise, an equal value still rises; the phase only turns at 8.
  const Recording r = flowRecording({0, 100, 200, 200, 300, 300, 400, 500, 100, 0});
  const auto t = tagFlow(r, true, true);
  ASSERT_GE(t->phases.lastPhase, 0);
  EXPECT_EQ(t->phases.entries[0].lastSegment, 7);
  EXPECT_FLOAT_EQ(t->phases.entries[0].phaseVolume, 0.7f);
}

TEST(SetThresholds, RefusesInconsistentLimitsAndKeepsThePreviousOnes) {
  PhaseTable p;
  EXPECT_EQ(p.inspLow, 0.0f);
  EXPECT_EQ(p.minPhaseSum, 0.0f);
  PreferencesRecord prefs;  // 2 mL/s per kg
  SubjectRecord subject;
  subject.weight = 73.8f;
  EXPECT_EQ(p.SetThresholds(0.439f, 0.661f, -0.661f, -0.439f, prefs, subject), 0);
  EXPECT_FLOAT_EQ(p.backgroundFlow, 0.1476f);
  EXPECT_FLOAT_EQ(p.minPhaseSum, 1.476f);
  prefs.backgroundFlowMode = 1;
  EXPECT_EQ(p.SetThresholds(0.0f, 0.0f, 0.0f, 0.0f, prefs, subject), 3);  // a weight of 0
  EXPECT_EQ(p.SetThresholds(0.5f, 0.4f, -0.6f, -0.4f, prefs, subject), 3);
  EXPECT_EQ(p.SetThresholds(0.4f, 0.6f, -0.4f, -0.6f, prefs, subject), 3);
  EXPECT_FLOAT_EQ(p.inspLow, 0.439f);
  EXPECT_FLOAT_EQ(p.backgroundFlow, 0.1476f);
  p.setBackgroundFlow(0.25f);
  EXPECT_FLOAT_EQ(p.minPhaseSum, 1.476f);
}

TEST(GetTargetFlow, PresetsCustomValuesAndStrainGauge) {
  TargetFlow t = get_target_flow(0, 1.0, 73.8, false);  // 0.5535 L/s
  EXPECT_EQ(t.target, 550);
  EXPECT_EQ(t.tolerance, 111);
  const FlowLimits l = flowLimits(t);
  EXPECT_FLOAT_EQ(l.inspLow, 0.439f);
  EXPECT_FLOAT_EQ(l.inspHigh, 0.661f);
  EXPECT_FLOAT_EQ(l.expLow, -0.661f);
  EXPECT_FLOAT_EQ(l.expHigh, -0.439f);

  t = get_target_flow(1, 1.0, 50.0, false);  // 0.75 L/s
  EXPECT_EQ(t.target, 750);
  EXPECT_EQ(t.tolerance, 150);
  t = get_target_flow(0, 1.0, 50.0, false);  // 0.375: 37.5 rounds to 38, ties to even
  EXPECT_EQ(t.target, 380);
  EXPECT_EQ(t.tolerance, 75);

  t = get_target_flow(3, 0.034, 50.0, false);  // at least 0.1
  EXPECT_EQ(t.target, 100);
  EXPECT_EQ(t.tolerance, 20);
  t = get_target_flow(3, 1.234, 50.0, false);
  EXPECT_EQ(t.target, 1230);
  EXPECT_EQ(t.tolerance, 246);

  t = get_target_flow(2, 1.0, 50.0, true);
  EXPECT_EQ(t.target, 5000);
  EXPECT_EQ(t.tolerance, 1000);
  t = get_target_flow(3, 2.0, 50.0, true);  // the custom value is not replaced
  EXPECT_EQ(t.target, 2000);

  EXPECT_EQ(get_target_flow(7, 1.0, 50.0, false).target, 0);
  EXPECT_EQ(get_target_flow(3, std::nan(""), 50.0, false).target, 0);
  EXPECT_EQ(get_target_flow(0, 1.0, 1e30, false).target, 0);
}

TEST(StepPhase, JumpsTwoPhasesToTheNextPhaseWithEnoughCleanSegments) {
  const Recording r = flowRecording(test::squareBreathing(40, 5, 500));
  auto t = tagFlow(r);
  PhaseTable& p = t->phases;
  ASSERT_EQ(p.lastPhase, 7);
  for (int k = 0; k <= p.lastPhase; ++k) p.entries[k].cleanCount = 5;
  p.entries[2].cleanCount = 2;  // too few: skipped
  EXPECT_EQ(p.StepPhase(1, +1), 20);  // phase 0 -> 2 (skipped) -> 4
  EXPECT_EQ(p.StepPhase(22, -1), 0);  // phase 4 -> 2 (skipped) -> 0, its first tagged segment
  EXPECT_EQ(p.StepPhase(37, +1), 37);  // past the last phase: stays
  EXPECT_EQ(p.StepPhase(6, +1), 15);   // expiratory phases step to expiratory ones
  EXPECT_EQ(p.StepPhase(6, 0), 6);
}

}  // namespace
}  // namespace vode
