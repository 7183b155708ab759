// Tagging through the real widgets: presses and drags over the tag strip with
// each shift state, the Edit menu's keys, the marks, the warnings, and the
// edits surviving Save and a new open.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <filesystem>

#include "analysis/TagEdits.h"
#include "support/GuiTestSupport.h"
#include "viewer/PaneWidget.h"

using namespace vode;
using namespace vode::test;

namespace {

// flow2_tagged.mer (two channels, 150 segments, eight breath phases), copied
// so that Save can write it back.
class Tagging : public ::testing::Test {
 protected:
  void SetUp() override {
    VODE_NEEDS_TESTDATA();
    path = f.copyOfTestdata("flow2_tagged.mer", "tagged.mer");
    ASSERT_EQ(f.open(path), 0);
    ASSERT_TRUE(f.doc().averages && f.doc().tagTable && f.doc().phaseTable);
    // The open starts playback, which the strip waits for.
    f.form().StopBitBtnClick();
    strip = f.form().findChild<PaneWidget*>("TagBox");
  }
  TagTable& tags() { return *f.doc().tagTable; }
  const PhaseTable& phases() { return *f.doc().phaseTable; }
  // A segment inside a phase entry of the given direction.
  int32_t segmentIn(bool inspiratory) {
    for (int k = 0; k <= phases().lastPhase; ++k)
      if ((phases().entries[k].phaseVolume > 0.0f) == inspiratory) return phases().entries[k].firstSegment + 1;
    return -1;
  }
  int stripX(int32_t s) { return (s - f.state().FirstSegment) * f.state().SegmentPixels + 1; }
  void pressStrip(int32_t s, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    sendMouse(strip, QEvent::MouseButtonPress, QPoint(stripX(s), 5), button, modifiers);
  }
  void clickStrip(int32_t s, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    pressStrip(s, button, modifiers);
    sendMouse(strip, QEvent::MouseButtonRelease, QPoint(stripX(s), 5), button, modifiers);
  }
  void moveOverStrip(int32_t s, Qt::MouseButtons buttons) {
    QMouseEvent move(QEvent::MouseMove, QPointF(stripX(s), 5), strip->mapToGlobal(QPointF(stripX(s), 5)),
                     Qt::NoButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(strip, &move);
  }
  bool rejected(int c, int32_t s) { return tags().flags(c, s) & Rejected; }

  WindowFixture f;
  std::string path;
  PaneWidget* strip = nullptr;
};

TEST_F(Tagging, EachShiftStateDoesItsOwnEdit) {
  const int32_t s = segmentIn(true);
  ASSERT_GT(s, 0);
  clickStrip(s, Qt::RightButton);
  EXPECT_EQ(tags().phase(s), 0);
  EXPECT_EQ(f.state().CurrentSegment, s);
  EXPECT_TRUE(f.doc().state.modified);
  clickStrip(s, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(tags().phase(s), Background);
  clickStrip(s, Qt::LeftButton, Qt::ControlModifier);
  for (int c : {0, 1})
    for (int32_t n : {s - 1, s, s + 1}) EXPECT_TRUE(rejected(c, n) || (tags().flags(c, n) & Clipped)) << c << n;
  moveOverStrip(s, Qt::NoButton);
  EXPECT_EQ(f.form().cursorStatus(), "Background Rejected");
  // Including clears Rejected on every channel, only of that segment.
  clickStrip(s, Qt::LeftButton);
  EXPECT_EQ(tags().phase(s), Inspiration);
  EXPECT_FALSE(rejected(0, s) || rejected(1, s));
  EXPECT_TRUE(rejected(0, s + 1) || (tags().flags(0, s + 1) & Clipped));
  const int32_t e = segmentIn(false);
  clickStrip(e, Qt::RightButton);
  clickStrip(e, Qt::LeftButton);
  EXPECT_EQ(tags().phase(e), Expiration);
  // Any other state only selects.
  const uint8_t other = tags().phase(s + 2);
  for (auto [button, modifiers] : {std::pair{Qt::LeftButton, Qt::KeyboardModifiers(Qt::AltModifier)},
                                   std::pair{Qt::MiddleButton, Qt::KeyboardModifiers()},
                                   std::pair{Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier},
                                   std::pair{Qt::RightButton, Qt::KeyboardModifiers(Qt::ShiftModifier)}}) {
    clickStrip(s + 2, button, modifiers);
    EXPECT_EQ(f.state().CurrentSegment, s + 2);
    EXPECT_EQ(tags().phase(s + 2), other);
    clickStrip(s, Qt::MiddleButton);
  }
  // Hand-corrected tags are unsaved changes.
  f.prompter.answers = {Answer::Cancel};
  EXPECT_FALSE(f.commands().closeQuery());
  EXPECT_TRUE(f.prompter.asked("Save changes to " + path + "?"));
}

TEST_F(Tagging, CtrlClickOnTheFirstSegmentAndANeighbourClippedOnOneChannel) {
  tags().setFlags(0, 0, 0);
  tags().setFlags(0, 1, 0);
  tags().setFlags(1, 0, 0);
  tags().setFlags(1, 1, Clipped);
  clickStrip(0, Qt::LeftButton, Qt::ControlModifier);
  EXPECT_TRUE(rejected(0, 0) && rejected(0, 1) && rejected(1, 0));
  EXPECT_EQ(tags().flags(1, 1), Clipped);
}

TEST_F(Tagging, ClippedAndPhaselessSegmentsWarnAndStayAsTheyWere) {
  const int32_t s = segmentIn(true);
  const uint8_t phase = tags().phase(s);
  tags().setFlags(0, s, Clipped);
  clickStrip(s, Qt::RightButton);
  EXPECT_TRUE(f.prompter.saw(ClippedSegmentMessage));
  EXPECT_EQ(tags().phase(s), phase);
  EXPECT_FALSE(f.doc().state.modified);
  int32_t outside = 0;
  while (phases().FindPhase(outside) >= 0) ++outside;
  ASSERT_LT(outside, 150);
  const uint8_t before = tags().phase(outside);
  clickStrip(outside, Qt::LeftButton);
  EXPECT_TRUE(f.prompter.saw(NoValidPhaseMessage));
  EXPECT_EQ(tags().phase(outside), before);
}

TEST_F(Tagging, DragTagsEachSegmentPassedUntilTheRelease) {
  const int32_t s = segmentIn(true);
  QLabel* tagLabel = f.form().findChild<QLabel*>("TagLabel");
  pressStrip(s, Qt::RightButton);
  EXPECT_EQ(tagLabel->text(), "MultiTag");
  for (int32_t n = s + 1; n <= s + 3; ++n) moveOverStrip(n, Qt::RightButton);
  sendMouse(strip, QEvent::MouseButtonRelease, QPoint(stripX(s + 3), 5), Qt::RightButton);
  EXPECT_TRUE(tagLabel->text().isEmpty());
  EXPECT_FALSE(f.state().MultiTagging);
  for (int32_t n = s; n <= s + 3; ++n) EXPECT_EQ(tags().phase(n), 0) << n;
  EXPECT_EQ(f.form().cursorStatus(), "Untagged");
  // Moves after the release only read.
  moveOverStrip(s + 4, Qt::NoButton);
  EXPECT_NE(tags().phase(s + 4), 0);
}

TEST_F(Tagging, ReadoutFollowsAnEditUnderAStillMouseAndAWarningEndsTheDrag) {
  const int32_t s = segmentIn(true);
  moveOverStrip(s, Qt::NoButton);
  clickStrip(s, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(f.form().cursorStatus(), "Background");
  clickStrip(s, Qt::LeftButton, Qt::ControlModifier);
  EXPECT_EQ(f.form().cursorStatus(), "Background Rejected");

  // The warning box takes the release: the next move without a button ends
  // the drag and only reads.
  tags().setFlags(0, s + 3, Clipped);
  pressStrip(s + 3, Qt::RightButton);
  ASSERT_TRUE(f.prompter.saw(ClippedSegmentMessage));
  const uint8_t after = tags().phase(s + 5);
  moveOverStrip(s + 5, Qt::NoButton);
  EXPECT_FALSE(f.state().MultiTagging);
  EXPECT_TRUE(f.form().findChild<QLabel*>("TagLabel")->text().isEmpty());
  EXPECT_EQ(f.state().CurrentSegment, s + 3);
  EXPECT_EQ(tags().phase(s + 5), after);
}

// Posts a move to the next segment and the release while the recalculation of
// the first edit runs, as a person's mouse would.
class PostDuringRecalculation : public QObject {
 public:
  PostDuringRecalculation(QWidget* strip, QPoint next) : strip_(strip), next_(next) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* label = static_cast<QLabel*>(watched);
    if (event->type() == QEvent::Paint && label->text() == "Calculating Tags" && !posted) {
      posted = true;
      const QPointF global = strip_->mapToGlobal(QPointF(next_));
      QCoreApplication::postEvent(
          strip_, new QMouseEvent(QEvent::MouseMove, QPointF(next_), global, Qt::NoButton, Qt::LeftButton, {}));
      QCoreApplication::postEvent(
          strip_, new QMouseEvent(QEvent::MouseButtonRelease, QPointF(next_), global, Qt::LeftButton, {}, {}));
    }
    return false;
  }
  bool posted = false;

 private:
  QWidget* strip_;
  QPoint next_;
};

TEST_F(Tagging, MovesAndReleaseDuringARecalculationAreNotLost) {
  f.form().show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.form()));
  const int32_t s = segmentIn(true);
  clickStrip(s, Qt::RightButton);
  clickStrip(s + 1, Qt::RightButton);
  PostDuringRecalculation poster(strip, QPoint(stripX(s + 1), 5));
  f.form().findChild<QLabel*>("SegmentStatus")->installEventFilter(&poster);
  pressStrip(s, Qt::LeftButton);
  ASSERT_TRUE(poster.posted);
  QApplication::processEvents();
  EXPECT_EQ(tags().phase(s), Inspiration);
  EXPECT_EQ(tags().phase(s + 1), Inspiration);
  EXPECT_FALSE(f.state().MultiTagging);
  EXPECT_TRUE(f.form().findChild<QLabel*>("TagLabel")->text().isEmpty());
}

TEST_F(Tagging, EditMenuKeysActOnTheCurrentSegment) {
  f.form().show();
  f.form().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&f.form()));
  const int32_t s = segmentIn(true);
  f.form().set_current_segment(s);
  QTest::keyClick(&f.form(), Qt::Key_Delete);
  EXPECT_EQ(tags().phase(s), 0);
  QTest::keyClick(&f.form(), Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(tags().phase(s), Background);
  QTest::keyClick(&f.form(), Qt::Key_Insert);
  EXPECT_EQ(tags().phase(s), Inspiration);
  QTest::keyClick(&f.form(), Qt::Key_Insert, Qt::ControlModifier);
  EXPECT_TRUE(rejected(0, s) || (tags().flags(0, s) & Clipped));
  // Marks write the breath signal and move on to the next segment.
  QTest::keyClick(&f.form(), Qt::Key_E, Qt::ControlModifier);
  EXPECT_EQ(f.doc().recording->flow[s * SegmentFlowSamples + 31], -1000);
  EXPECT_EQ(f.state().CurrentSegment, s + 1);
}

TEST_F(Tagging, MarkOnTheLastSegmentStaysThere) {
  f.form().set_current_segment(149);
  f.form().action("MarkInspiration1")->trigger();
  EXPECT_EQ(f.doc().recording->flow[149 * SegmentFlowSamples], 1000);
  EXPECT_EQ(f.state().CurrentSegment, 149);
  EXPECT_TRUE(f.doc().state.modified);
  f.load(makeRecording(20, 1), f.temp.file("x.wav"));
  EXPECT_FALSE(f.form().action("MarkInspiration1")->isEnabled());
}

TEST_F(Tagging, PanesSelectAndDragOnlyWhereTheyMay) {
  f.form().set_current_segment(5);
  QWidget* flow = control(f.form(), "FlowBox");
  sendMouse(flow, QEvent::MouseButtonPress, QPoint(8 * 12 + 2, 20), Qt::LeftButton);
  EXPECT_TRUE(f.state().Dragging);
  EXPECT_EQ(f.state().CurrentSegment, 12);
  sendMouse(flow, QEvent::MouseButtonRelease, QPoint(8 * 12 + 2, 20), Qt::LeftButton);
  EXPECT_FALSE(f.state().Dragging);
  // A press on the marker's outline, outside the strip, tags the segment it marks.
  QWidget* marker = control(f.form(), "TagShape");
  const uint8_t before = tags().phase(12);
  sendMouse(marker, QEvent::MouseButtonPress, QPoint(2, 0), Qt::RightButton);
  sendMouse(marker, QEvent::MouseButtonRelease, QPoint(2, 0), Qt::RightButton);
  EXPECT_TRUE(tags().phase(12) == 0 || f.prompter.saw(ClippedSegmentMessage)) << int(before);
  EXPECT_EQ(f.state().CurrentSegment, 12);
  // The large pane outside Sonogram view ignores a press.
  f.form().TimeBoxClick();
  sendMouse(control(f.form(), "SonoBox"), QEvent::MouseButtonPress, QPoint(8 * 30, 5), Qt::LeftButton);
  EXPECT_EQ(f.state().CurrentSegment, 12);
  EXPECT_FALSE(f.state().Dragging);
}

TEST_F(Tagging, EditsSurviveSaveAndANewOpen) {
  const int32_t s = segmentIn(false);
  clickStrip(s, Qt::LeftButton, Qt::ShiftModifier);
  clickStrip(s + 4, Qt::LeftButton, Qt::ControlModifier);
  const std::vector<uint8_t> flags(tags().flagRow(1), tags().flagRow(1) + 150);
  f.form().action("Save1")->trigger();
  EXPECT_FALSE(f.doc().state.modified);
  ASSERT_EQ(f.open(path), 0);
  f.form().StopBitBtnClick();
  EXPECT_EQ(tags().phase(s), Background);
  EXPECT_EQ(std::vector<uint8_t>(tags().flagRow(1), tags().flagRow(1) + 150), flags);
}

}  // namespace
