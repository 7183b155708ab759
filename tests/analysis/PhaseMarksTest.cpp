// Hand marks over a range on a recording without a breath signal: the marks
// make phases, breaths and averages, undo and redo through snapshots, and
// survive a save.
#include <gtest/gtest.h>

#include "analysis/AnalysisCommand.h"
#include "model/Palette.h"
#include "analysis/PhaseMarks.h"
#include "document/OpenDocument.h"
#include "formats/BlockFile.h"
#include "support/TestSupport.h"

namespace vode {
namespace {

struct PhaseMarks : ::testing::Test {
  test::TempDir dir;
  SilentPrompter prompter;
  NullProgress progress;
  Document doc;

  void SetUp() override {
    doc.recording = std::make_unique<Recording>(test::makeRecording(60, 2));
    std::fill(doc.recording->flow.begin(), doc.recording->flow.end(), int16_t{0});
    doc.prepareOpenedRecording();
    DoAnalyzeClick(doc, doc, Palette::grey(), progress, prompter);
  }

  std::string phases() const {
    std::string out;
    for (int s = 0; s < doc.tagTable->segments(); ++s) out += "0IE.B"[std::min<int>(doc.tagTable->phase(s), 4)];
    return out;
  }
  RangeMarkResult mark(int first, int last, PhaseMark kind, int channel = -1) {
    return markRange(doc, doc, first, last, kind, channel, progress, prompter);
  }
};

TEST_F(PhaseMarks, MarkedRangesBecomeBreathsWithAveragesAndARealBreathSignal) {
  EXPECT_FALSE(hasBreathSignal(*doc.recording));
  const int16_t target = markFlowValue(doc, PhaseMark::Inspiration);
  ASSERT_GT(target, 0);
  EXPECT_EQ(markFlowValue(doc, PhaseMark::Expiration), -target);
  EXPECT_EQ(markFlowValue(doc, PhaseMark::Background), 0);

  const RangeMarkResult in = mark(10, 19, PhaseMark::Inspiration);
  mark(20, 29, PhaseMark::Expiration);
  mark(30, 39, PhaseMark::Background);
  EXPECT_EQ(in.marked, 10);
  EXPECT_TRUE(doc.state.modified);
  EXPECT_TRUE(hasBreathSignal(*doc.recording));
  EXPECT_EQ(phases(), std::string(10, '0') + std::string(10, 'I') + std::string(10, 'E') + std::string(10, 'B') +
                          std::string(20, '0'));
  EXPECT_EQ(doc.recording->flow[10 * 32], target);
  EXPECT_EQ(doc.recording->flow[29 * 32 + 31], -target);
  EXPECT_EQ(doc.recording->flow[35 * 32], 0);
  // The breaths follow the marks: one inspiratory and one expiratory phase.
  ASSERT_GE(doc.phaseTable->lastPhase, 1);
  EXPECT_GT(doc.phaseTable->entries[0].phaseVolume, 0.0f);
  EXPECT_LT(doc.phaseTable->entries[1].phaseVolume, 0.0f);
  for (int c = 0; c < 2; ++c) {
    EXPECT_EQ(doc.averages->inspCountOf(c), 10);
    EXPECT_EQ(doc.averages->expCountOf(c), 10);
    EXPECT_EQ(doc.averages->backgroundCountOf(c), 10);
  }
}

TEST_F(PhaseMarks, SnapshotsUndoAndRedoAMarkAndClippedSegmentsStayOnTheirChannel) {
  doc.tagTable->addFlags(0, 15, Clipped);
  doc.tagTable->addFlags(1, 12, Rejected);
  const std::string untouched = phases();
  const std::vector<int16_t> flow = doc.recording->flow;

  const RangeMarkResult r = mark(12, 17, PhaseMark::Expiration, 0);
  EXPECT_EQ(r.marked, 5);
  EXPECT_EQ(r.clippedSkipped, 1);
  EXPECT_EQ(doc.tagTable->phase(15), 0);
  EXPECT_EQ(doc.tagTable->phase(16), Expiration);
  EXPECT_EQ(doc.tagTable->flags(1, 12), 0);  // marking includes: Rejected goes
  const std::vector<int16_t> marked = doc.recording->flow;

  restoreSegments(doc, doc, r.before, progress, prompter);
  EXPECT_EQ(phases(), untouched);
  EXPECT_EQ(doc.recording->flow, flow);
  EXPECT_EQ(doc.tagTable->flags(1, 12), Rejected);
  EXPECT_EQ(doc.averages->expCountOf(1), 0);

  restoreSegments(doc, doc, r.after, progress, prompter);
  EXPECT_EQ(doc.tagTable->phase(16), Expiration);
  EXPECT_EQ(doc.recording->flow, marked);
  EXPECT_EQ(doc.averages->expCountOf(1), 5);

  // Ranges are limited to the recording; one outside it changes nothing.
  EXPECT_EQ(mark(58, 70, PhaseMark::Inspiration).marked, 2);
  EXPECT_TRUE(mark(80, 90, PhaseMark::Inspiration).before.empty());
  // A snapshot of another recording's shape is not put back.
  SegmentSnapshot wrong = r.before;
  wrong.flow.pop_back();
  restoreSegments(doc, doc, wrong, progress, prompter);
  EXPECT_EQ(doc.tagTable->phase(16), Expiration);
}

TEST_F(PhaseMarks, MarksSurviveSavingAndReopening) {
  mark(5, 14, PhaseMark::Inspiration);
  mark(15, 24, PhaseMark::Expiration);
  mark(25, 34, PhaseMark::Background);
  const std::string marked = phases();
  const std::string path = dir.file("marked.mer");
  ASSERT_EQ(saveRecordingFile(doc, path, 0, 59, prompter, progress), 0);

  Document back;
  ASSERT_EQ(openPath(back, path, prompter, progress), 0);
  DoAnalyzeClick(back, back, Palette::grey(), progress, prompter);
  std::swap(doc, back);
  EXPECT_EQ(phases(), marked);
  for (int c = 0; c < 2; ++c) {
    EXPECT_EQ(doc.averages->inspCountOf(c), back.averages->inspCountOf(c));
    EXPECT_EQ(doc.averages->backgroundCountOf(c), 10);
  }
  EXPECT_EQ(doc.phaseTable->lastPhase, back.phaseTable->lastPhase);
}

TEST(PhaseMarksWithoutAnalysis, AMarkTagsTheRecordingFirst) {
  Document doc;
  doc.recording = std::make_unique<Recording>(test::makeRecording(20, 1));
  SilentPrompter prompter;
  NullProgress progress;
  const RangeMarkResult r = markRange(doc, doc, 3, 6, PhaseMark::Background, -1, progress, prompter);
  ASSERT_TRUE(doc.tagTable);
  EXPECT_EQ(r.marked, 4);
  EXPECT_EQ(doc.tagTable->phase(4), Background);
  EXPECT_EQ(doc.tagTable->flags(0, 0), Rejected);  // the tagging ran
}

}  // namespace
}  // namespace vode
