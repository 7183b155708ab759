// Breath phases given by hand in the window to a recording without a breath
// signal: range marks over a dragged range or the current segment, kept by a
// save and an open; label tracks in and out; the segment table.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <QAction>

#include "analysis/PhaseMarks.h"
#include "model/TagTable.h"
#include "support/GuiTestSupport.h"

using namespace vode;
using namespace vode::test;

namespace {

// A stethoscope's FLAC of 8 s (80 segments), opened: no breath signal.
struct HandPhases : ::testing::Test {
  WindowFixture f;
  std::string flac = f.temp.file("steth.flac");

  void SetUp() override {
    ASSERT_TRUE(writeSoundFile(flac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 8000, 2, 8 * 8000));
    ASSERT_EQ(f.open(flac), 0);
    ASSERT_EQ(f.doc().recording->segmentCount, 80);
    f.form().StopBitBtnClick();  // the play after an open
  }
  // A press on segment from and a release on segment to, over the flow pane.
  void drag(int32_t from, int32_t to) {
    QWidget* flow = control(f.form(), "FlowBox");
    const int px = f.state().SegmentPixels;
    sendMouse(flow, QEvent::MouseButtonPress, QPoint(from * px + 2, 5), Qt::LeftButton);
    sendMouse(flow, QEvent::MouseButtonRelease, QPoint(to * px + 2, 5), Qt::LeftButton);
    f.form().StopBitBtnClick();
  }
  std::string phases(int32_t first, int32_t last) {
    std::string text;
    for (int32_t s = first; s <= last; ++s) text += "-IE-B"[f.doc().tagTable->phase(s)];
    return text;
  }
};

}  // namespace

TEST_F(HandPhases, RangeMarksTagTheDraggedRangeAndSurviveSaveAndOpen) {
  EXPECT_EQ(f.form().statusNotice(), "Resampled from 8000 Hz, 16-bit, 2 channels");
  EXPECT_TRUE(f.form().action("MarkRangeInspiration1")->isEnabled());
  drag(10, 24);
  f.form().action("MarkRangeInspiration1")->trigger();
  drag(39, 25);  // leftwards: the same range either way round
  f.form().action("MarkRangeExpiration1")->trigger();
  f.form().set_current_segment(45);  // no drag from here: the segment alone
  f.form().action("MarkRangeBackground1")->trigger();
  EXPECT_EQ(phases(9, 46), "-" + std::string(15, 'I') + std::string(15, 'E') + "-----B-");
  const int16_t target = markFlowValue(f.doc(), PhaseMark::Inspiration);
  EXPECT_GT(target, 0);
  EXPECT_EQ(f.doc().recording->flow[12 * 32], target);
  EXPECT_EQ(f.doc().recording->flow[30 * 32], -target);
  EXPECT_EQ(f.doc().recording->flow[45 * 32], 0);
  EXPECT_TRUE(f.doc().tagTable->breathClean(0, 15));  // tagged, and in the averages
  EXPECT_TRUE(f.doc().state.modified);
  EXPECT_FALSE(f.form().action("Save1")->isEnabled());

  // Saved as a recording and opened again: the same phases and breath signal.
  const std::vector<int16_t> flow = f.doc().recording->flow;
  const std::string mer = f.temp.file("marked.mer");
  f.prompter.saveChoices = {{mer, 1}};
  f.form().action("SaveAs1")->trigger();
  ASSERT_EQ(f.open(mer), 0);
  EXPECT_EQ(phases(9, 46), "-" + std::string(15, 'I') + std::string(15, 'E') + "-----B-");
  EXPECT_EQ(f.doc().recording->flow, flow);
  EXPECT_EQ(f.form().statusNotice(), "");  // it has a breath signal now
}

TEST_F(HandPhases, ClippedSegmentsStayAndSaySoWhenNothingElseWasMarked) {
  for (int32_t s = 20; s <= 22; ++s) f.doc().tagTable->addFlags(0, s, Clipped);
  drag(20, 22);
  f.form().action("MarkRangeInspiration1")->trigger();
  EXPECT_TRUE(f.prompter.saw("Clipped segments cannot be modified"));
  EXPECT_EQ(phases(20, 22), "---");
  EXPECT_FALSE(f.doc().state.modified);
  f.prompter.messages.clear();
  drag(19, 23);  // the segments either side are marked, without a word
  f.form().action("MarkRangeInspiration1")->trigger();
  EXPECT_EQ(phases(19, 23), "I---I");
  EXPECT_TRUE(f.prompter.messages.empty());
}
