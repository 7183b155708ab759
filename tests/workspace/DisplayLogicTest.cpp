#include <gtest/gtest.h>

#include "support/TestSupport.h"
#include "workspace/DisplayLogic.h"

using namespace vode;

namespace {

// Two phases: segments 0..9 inspiration, 10..19 expiration.
void addTwoPhases(Document& doc) {
  PhaseTable& phases = doc.phases();
  phases.lastPhase = 1;
  phases.entries[0].firstSegment = 0;
  phases.entries[0].lastSegment = 9;
  phases.entries[0].phaseVolume = 0.5f;
  phases.entries[1].firstSegment = 10;
  phases.entries[1].lastSegment = 19;
  phases.entries[1].phaseVolume = -0.5f;
  phases.lastSegment = 19;
  for (int s = 0; s < 20; ++s) {
    phases.segmentFlow[s] = s < 10 ? 0.75f : -0.5f;
    phases.runningVolume[s] = 0.05f * static_cast<float>(s % 10 + 1);
  }
}

}  // namespace

TEST(Paging, MovesInHalfScreenSteps) {
  // 5 s per screen: 50 segments, half a screen 25.
  EXPECT_EQ(pagedFirstSegment(57, 0, 50), 25);  // lands in the second half moving right
  EXPECT_EQ(pagedFirstSegment(24, 25, 50), 0);  // first half moving left
  EXPECT_EQ(pagedFirstSegment(49, 0, 50), 0);   // still on screen
  EXPECT_EQ(pagedFirstSegment(25, 25, 50), 25);
  EXPECT_EQ(pagedFirstSegment(1799, 0, 400), 1400);  // 40 s per screen
  EXPECT_EQ(pagedFirstSegment(1800 - 1, 1400, 400), 1400);
  EXPECT_EQ(pagedFirstSegment(0, 1600, 400), 0);
}

TEST(Amplitude, AutoRoundsThePeakUpToHalfVolts) {
  EXPECT_DOUBLE_EQ(amplitudeVolts(AutoAmplitudeIndex, 16384), 2.5);
  EXPECT_DOUBLE_EQ(amplitudeVolts(AutoAmplitudeIndex, 32767), 5.0);
  EXPECT_DOUBLE_EQ(amplitudeVolts(AutoAmplitudeIndex, 32768), 5.0);
  EXPECT_DOUBLE_EQ(amplitudeVolts(AutoAmplitudeIndex, 3277), 0.5);
  EXPECT_DOUBLE_EQ(amplitudeVolts(AutoAmplitudeIndex, 3280), 1.0);
  // An all-zero recording keeps one 0.5 V step: the panes never divide by zero.
  EXPECT_DOUBLE_EQ(amplitudeVolts(AutoAmplitudeIndex, 0), 0.5);
  EXPECT_GT(amplitudeCountsFor(amplitudeVolts(AutoAmplitudeIndex, 0)) / 120, 0);
}

TEST(Amplitude, ChosenEntriesAndCounts) {
  EXPECT_DOUBLE_EQ(amplitudeVolts(0, 100), 0.5);
  EXPECT_DOUBLE_EQ(amplitudeVolts(3, 100), 2.0);
  EXPECT_DOUBLE_EQ(amplitudeVolts(9, 100), 5.0);
  EXPECT_EQ(amplitudeCountsFor(2.5), 16384);
  EXPECT_EQ(amplitudeCountsFor(5.0), 32768);
  EXPECT_EQ(amplitudeCountsFor(0.5), 3277);  // 3276.8 rounded
}

TEST(Settings, DerivedScalesAndDamagedIndices) {
  PreferencesRecord prefs;
  DisplayState state;
  prefs.sonogramTime = 3;
  prefs.frequency = 2;
  applySettings(state, prefs);
  EXPECT_EQ(state.SonoSeconds, 40);
  EXPECT_EQ(state.SegmentPixels, 1);
  EXPECT_EQ(state.MaxFrequency, 4800);
  // 40 s per screen: one pixel per segment, a marker three pixels wide.
  EXPECT_EQ(flowShapeGeometry(state, 10).width, 3);
  EXPECT_EQ(flowShapeGeometry(state, 10).largeStep, 200);

  // Indices from a damaged file stay inside their lists.
  prefs.sonogramTime = 57;
  prefs.frequency = -4;
  prefs.waveformTime = 99;
  prefs.amplitude = 300;
  prefs.dBScale = 7;
  prefs.flowDisplay = -1;
  applySettings(state, prefs);
  EXPECT_EQ(state.SonoSeconds, 40);
  EXPECT_EQ(state.MaxFrequency, 1200);
  EXPECT_EQ(waveformWindowMs(state), 3200);
  EXPECT_EQ(state.AmplitudeIndex, AutoAmplitudeIndex);
  EXPECT_EQ(state.dBScaleIndex, 1);
  EXPECT_EQ(state.FlowDisplay, 0);
}

TEST(FlowShape, WaveformWindowMarker) {
  DisplayState state;
  state.ViewMode = WaveformView;
  state.SegmentPixels = 8;
  state.WaveformIndex = 5;  // 800 ms: centred, 8 segments wide
  FlowShapeGeometry g = flowShapeGeometry(state, 100);
  EXPECT_EQ(g.left, 100 - (64 / 2 - 8));
  EXPECT_EQ(g.width, 66);
  EXPECT_EQ(g.largeStep, 4);
  EXPECT_EQ(flowShapeGeometry(state, 8).left, 0);  // never left of the pane

  state.WaveformIndex = 0;  // 25 ms shows as a 100 ms window starting at the segment
  g = flowShapeGeometry(state, 40);
  EXPECT_EQ(g.left, 40);
  EXPECT_EQ(g.width, 10);
  EXPECT_EQ(g.largeStep, 1);

  state.ViewMode = SonogramView;
  state.SonoSeconds = 5;
  g = flowShapeGeometry(state, 40);
  EXPECT_EQ(g.width, 10);
  EXPECT_EQ(g.largeStep, 25);
}

TEST(Zoom, WaveformTimeSteps) {
  PreferencesRecord prefs;
  for (int16_t from : {0, 1, 2}) {
    prefs.waveformTime = from;
    EXPECT_TRUE(stepWaveformIndex(prefs, +1));
    EXPECT_EQ(prefs.waveformTime, 3) << "zoom out from index " << from << " goes to 200 ms";
  }
  EXPECT_TRUE(stepWaveformIndex(prefs, -1));
  EXPECT_EQ(prefs.waveformTime, 2);  // 100 ms
  EXPECT_FALSE(stepWaveformIndex(prefs, -1));
  EXPECT_EQ(prefs.waveformTime, 2);
  prefs.waveformTime = 7;
  EXPECT_FALSE(stepWaveformIndex(prefs, +1));
  EXPECT_EQ(prefs.waveformTime, 7);
}

TEST(Zoom, IndicesStopAtTheirEnds) {
  PreferencesRecord prefs;
  prefs.sonogramTime = 0;
  EXPECT_FALSE(stepTimeIndex(prefs, -1));
  prefs.sonogramTime = 3;
  EXPECT_FALSE(stepTimeIndex(prefs, +1));
  EXPECT_TRUE(stepTimeIndex(prefs, -1));
  EXPECT_EQ(prefs.sonogramTime, 2);

  prefs.frequency = 0;
  EXPECT_FALSE(stepFrequencyIndex(prefs, -1));
  prefs.frequency = 2;
  EXPECT_FALSE(stepFrequencyIndex(prefs, +1));

  prefs.amplitude = 9;
  EXPECT_TRUE(stepAmplitudeIndex(prefs, +1));
  EXPECT_EQ(prefs.amplitude, AutoAmplitudeIndex);
  EXPECT_FALSE(stepAmplitudeIndex(prefs, +1));
  prefs.amplitude = 0;
  EXPECT_FALSE(stepAmplitudeIndex(prefs, -1));

  prefs.dBScale = 1;
  EXPECT_FALSE(stepDbScaleIndex(prefs, +1));
  EXPECT_TRUE(stepDbScaleIndex(prefs, -1));
  EXPECT_FALSE(stepDbScaleIndex(prefs, -1));
}

TEST(FlowDisplay, PowerOnlyWithAverages) {
  EXPECT_EQ(nextFlowDisplay(0, false), 1);
  EXPECT_EQ(nextFlowDisplay(1, false), 0);
  EXPECT_EQ(nextFlowDisplay(1, true), 2);
  EXPECT_EQ(nextFlowDisplay(2, true), 0);
}

TEST(DbLabels, ExtendedScaleOnlyInSpectrumView) {
  DisplayState state;
  state.dBScaleIndex = 1;
  EXPECT_EQ(dbLabels(state).top, 64);
  state.ViewMode = SpectrumView;
  EXPECT_EQ(dbLabels(state).top, 72);
  EXPECT_EQ(dbLabels(state).step, 24);
  state.dBScaleIndex = 0;
  EXPECT_EQ(dbLabels(state).step, 16);
}

TEST(SegmentStatus, WithAndWithoutPhases) {
  Document doc;
  DisplayState state;
  EXPECT_EQ(segmentStatusText(doc, state, 23), "Time 2.3s, N/A, N/A");

  addTwoPhases(doc);
  EXPECT_EQ(segmentStatusText(doc, state, 3), "Time 0.3s, 1i, 0.75 L/s");
  EXPECT_EQ(segmentStatusText(doc, state, 12), "Time 1.2s, 2e, -0.50 L/s");
  EXPECT_EQ(segmentStatusText(doc, state, 25), "Time 2.5s, N/A, 0.00 L/s");
  doc.phaseTable->segmentFlow[26] = -0.004f;
  EXPECT_EQ(segmentStatusText(doc, state, 26), "Time 2.6s, N/A, 0.00 L/s");
  state.FlowDisplay = 1;
  EXPECT_EQ(segmentStatusText(doc, state, 3), "Time 0.3s, 1i, 0.20 L");
  state.FlowDisplay = 0;
  doc.channelSetup.airflowKind = 1;
  EXPECT_EQ(segmentStatusText(doc, state, 3), "Time 0.3s, 1i, 0.75 V");
}

TEST(StepTagged, SingleScansBothWaysAndSkipsFlaggedSegments) {
  Document doc;
  doc.recording = std::make_unique<Recording>(Recording::create(30, 2));
  doc.tagTable = std::make_unique<TagTable>();
  doc.tagTable->create(2, 30);
  addTwoPhases(doc);
  doc.tagTable->setPhase(5, Inspiration);
  doc.tagTable->setPhase(8, Expiration);
  doc.tagTable->setPhase(12, Background);
  doc.tagTable->setPhase(15, Expiration);
  doc.tagTable->setFlags(1, 8, Rejected);  // only on the second channel

  DisplayState state;
  state.CurrentSegment = 5;
  EXPECT_EQ(stepTaggedTarget(doc, state, +1), 8);
  state.CurrentChannel = 1;
  EXPECT_EQ(stepTaggedTarget(doc, state, +1), 15);  // 8 is rejected there, 12 is background
  state.CurrentSegment = 15;
  EXPECT_EQ(stepTaggedTarget(doc, state, +1), 15);  // nothing further: stays
  EXPECT_EQ(stepTaggedTarget(doc, state, -1), 5);

  state.PsdChoice = PsdAll;
  EXPECT_EQ(stepTaggedTarget(doc, state, -1), 15);
  doc.phaseTable.reset();
  state.PsdChoice = PsdSingle;
  EXPECT_EQ(stepTaggedTarget(doc, state, -1), 15);  // needs the phases
}

TEST(StepTagged, BreathJumpsToTheNextPhaseOfTheSameDirection) {
  // Phases of 10 segments: 0 I, 1 E, 2 I, 3 E; a 40-segment recording.
  Document doc;
  doc.recording = std::make_unique<Recording>(Recording::create(40, 1));
  doc.tagTable = std::make_unique<TagTable>();
  doc.tagTable->create(1, 40);
  PhaseTable& phases = doc.phases();
  phases.tags = doc.tagTable.get();
  phases.lastPhase = 3;
  phases.lastSegment = 39;
  for (int k = 0; k < 4; ++k) {
    phases.entries[k].firstSegment = 10 * k;
    phases.entries[k].lastSegment = 10 * k + 9;
    phases.entries[k].phaseVolume = k % 2 == 0 ? 0.5f : -0.5f;
    phases.entries[k].cleanCount = 8;
    for (int s = 10 * k; s < 10 * k + 10; ++s) doc.tagTable->setPhase(s, k % 2 == 0 ? Inspiration : Expiration);
  }
  doc.tagTable->setFlags(0, 0, Rejected);
  doc.tagTable->setFlags(0, 20, Rejected);

  DisplayState state;
  state.PsdChoice = PsdBreath;
  state.CurrentSegment = 5;
  // The next inspiration starts at 20, rejected here: the scan goes on to 21.
  EXPECT_EQ(stepTaggedTarget(doc, state, +1), 21);
  state.CurrentSegment = 25;
  // Back to the first inspiration; its first segment is rejected too.
  EXPECT_EQ(stepTaggedTarget(doc, state, -1), 1);
  state.CurrentSegment = 15;
  EXPECT_EQ(stepTaggedTarget(doc, state, +1), 30);
  // No expiration after the last one: the start is the current segment, and
  // the forward scan finds it.
  state.CurrentSegment = 35;
  EXPECT_EQ(stepTaggedTarget(doc, state, +1), 35);
  // A phase with too few clean segments is passed over.
  phases.entries[2].cleanCount = 2;
  state.CurrentSegment = 5;
  EXPECT_EQ(stepTaggedTarget(doc, state, +1), 5);
  // Nothing tagged from the start on: the scroll bar goes to the start.
  for (int s = 0; s < 40; ++s) doc.tagTable->setPhase(s, Background);
  phases.entries[2].cleanCount = 8;
  EXPECT_EQ(stepTaggedTarget(doc, state, +1), 20);
}
