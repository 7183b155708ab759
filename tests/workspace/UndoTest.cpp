// Undo and redo through the window's keys and menus: every kind of edit
// undone leaves Save writing the bytes it wrote before the edit, a drag is
// one step, and the caption's "*" follows the saved position of the history.
#include <gtest/gtest.h>

#include <QTest>
#include <filesystem>

#include "dialogs/DialogFixture.h"
#include "viewer/PaneWidget.h"

using namespace vode;
using namespace vode::test;

namespace {

// flow2_tagged.mer (two channels, 150 segments), copied so Save can write it.
class Undo : public ::testing::Test {
 protected:
  void SetUp() override {
    VODE_NEEDS_TESTDATA();
    path = f.copyOfTestdata("flow2_tagged.mer", "tagged.mer");
    ASSERT_EQ(f.open(path), 0);
    f.form().StopBitBtnClick();
    strip = f.form().findChild<PaneWidget*>("TagBox");
    f.form().show();
    f.form().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f.form()));
    caption = "R.E.Z.U. Vode - " + QString::fromStdString(path);
  }
  TagTable& tags() { return *f.doc().tagTable; }
  int32_t inspiratorySegment() {
    const PhaseTable& phases = *f.doc().phaseTable;
    for (int k = 0; k <= phases.lastPhase; ++k)
      if (phases.entries[k].phaseVolume > 0.0f) return phases.entries[k].firstSegment + 1;
    return -1;
  }
  QPoint at(int32_t s) { return QPoint((s - f.state().FirstSegment) * f.state().SegmentPixels + 1, 5); }
  void drag(int32_t first, int32_t last, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    sendMouse(strip, QEvent::MouseButtonPress, at(first), button, modifiers);
    for (int32_t s = first + 1; s <= last; ++s) {
      QMouseEvent move(QEvent::MouseMove, QPointF(at(s)), strip->mapToGlobal(QPointF(at(s))), Qt::NoButton, button,
                       Qt::NoModifier);
      QCoreApplication::sendEvent(strip, &move);
    }
    sendMouse(strip, QEvent::MouseButtonRelease, at(last), button, modifiers);
  }
  void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
    QTest::keyClick(&f.form(), k, modifiers);
  }
  std::vector<uint8_t> saved() {
    f.form().action("Save1")->trigger();
    return readBytes(path);
  }
  bool marked() { return shownCaption(f.form()) == caption + "*"; }

  DialogFixture f;
  std::string path;
  PaneWidget* strip = nullptr;
  QString caption;
};

TEST_F(Undo, EditsUndoneByKeysSaveWhatTheUntouchedDocumentSaves) {
  const std::vector<uint8_t> untouched = saved();
  EXPECT_EQ(shownCaption(f.form()), caption);
  EXPECT_FALSE(f.form().action("Undo1")->isEnabled());
  const int32_t s = inspiratorySegment();
  const std::vector<int16_t> flow = f.doc().recording->flow;
  const std::string subject = f.doc().subject.lastName.str();

  drag(s, s + 3, Qt::RightButton);  // cleared: one step
  EXPECT_TRUE(marked());
  const int32_t rejectedAt = s + 8;
  drag(rejectedAt, rejectedAt, Qt::LeftButton, Qt::ControlModifier);
  f.form().set_current_segment(s + 12);
  key(Qt::Key_I);  // Mark Inspiration
  f.answer = [&](QDialog& d) { f.set(d, "LastNameEdit", "Doe"); f.press(d, "OKBitBtn"); };
  f.form().action("Subject1")->trigger();
  ASSERT_EQ(f.doc().subject.lastName.str(), "Doe");

  key(Qt::Key_Z);
  EXPECT_EQ(f.doc().subject.lastName.str(), subject);
  key(Qt::Key_Z);
  EXPECT_EQ(f.doc().recording->flow, flow);
  key(Qt::Key_Z);
  EXPECT_FALSE(tags().flags(0, rejectedAt) & Rejected);
  EXPECT_TRUE(marked());
  for (int32_t n = s; n <= s + 3; ++n) EXPECT_EQ(tags().phase(n), 0) << n;
  key(Qt::Key_Z);
  for (int32_t n = s; n <= s + 3; ++n) EXPECT_NE(tags().phase(n), 0) << n;
  EXPECT_EQ(shownCaption(f.form()), caption);  // back where the file was saved
  EXPECT_FALSE(f.form().action("Undo1")->isEnabled());
  EXPECT_EQ(saved(), untouched);

  // Both redo keys bring the four steps back.
  key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  for (int i = 0; i < 3; ++i) key(Qt::Key_Y);
  EXPECT_FALSE(f.form().action("Redo1")->isEnabled());
  EXPECT_EQ(tags().phase(s + 3), 0);
  EXPECT_TRUE(tags().flags(0, rejectedAt) & Rejected);
  EXPECT_EQ(f.doc().subject.lastName.str(), "Doe");
  EXPECT_TRUE(marked());
  EXPECT_NE(saved(), untouched);
  EXPECT_EQ(shownCaption(f.form()), caption);
  // The file now holds the edits: undoing them is a change to save.
  for (int i = 0; i < 4; ++i) f.form().action("Undo1")->trigger();
  EXPECT_TRUE(marked());
  EXPECT_EQ(saved(), untouched);
}

TEST_F(Undo, SampleCommandsAndDetectorsUndoToTheSameBytes) {
  const std::vector<uint8_t> untouched = saved();
  for (const char* command :
       {"DeleteChannel1", "NormalizeChannels1", "CopyPowertoFlow1", "DetectCrackles1", "DetectWheezesTonal1"}) {
    f.prompter.answers = {Answer::Yes};
    f.form().action(command)->trigger();
    EXPECT_TRUE(f.form().action("Undo1")->isEnabled()) << command;
    f.form().action("Undo1")->trigger();
    EXPECT_FALSE(marked()) << command;
    EXPECT_EQ(f.doc().recording->channelCount, 2) << command;
    EXPECT_EQ(saved(), untouched) << command;
  }
  EXPECT_FALSE(f.doc().wheezeMap);
  // Redone, the channel goes again with its analysis.
  f.form().action("Redo1")->trigger();
  EXPECT_TRUE(f.doc().wheezeMap);
  f.prompter.answers = {Answer::Yes};
  f.form().action("DeleteChannel1")->trigger();
  f.form().action("Undo1")->trigger();
  f.form().action("Redo1")->trigger();
  EXPECT_EQ(f.doc().recording->channelCount, 1);
  EXPECT_EQ(f.doc().spectra->channelCount, 1);
  EXPECT_FALSE(f.doc().wheezeMap);
}

TEST_F(Undo, TheHistoryKeepsOnlyChangesAndEndsWithTheRecording) {
  const int32_t s = inspiratorySegment();
  const std::string laboratory = f.doc().laboratory.name.str();
  drag(s, s, Qt::RightButton);
  EXPECT_TRUE(marked());
  // A cancelled dialog is no step.
  f.answer = [&](QDialog& d) { d.reject(); };
  f.form().action("Comments1")->trigger();
  f.answer = [&](QDialog& d) { f.set(d, "NameEdit", "Lab"); f.press(d, "OKBitBtn"); };
  f.form().action("Laboratory1")->trigger();
  key(Qt::Key_Z);
  EXPECT_EQ(f.doc().laboratory.name.str(), laboratory);
  key(Qt::Key_Z);
  EXPECT_NE(tags().phase(s), 0);
  EXPECT_FALSE(marked());
  // A new edit after an undo: what was undone cannot come back.
  drag(s + 1, s + 2, Qt::LeftButton);
  EXPECT_FALSE(f.form().action("Redo1")->isEnabled());
  f.prompter.answers = {Answer::No};
  f.form().action("Close1")->trigger();
  EXPECT_FALSE(f.form().action("Undo1")->isEnabled());
  ASSERT_EQ(f.open(path), 0);
  EXPECT_FALSE(f.form().action("Undo1")->isEnabled());
  EXPECT_EQ(shownCaption(f.form()), caption);
}

}  // namespace

TEST(EditHistory, KeepsTheLatestStepsAndOnlyAFewWholeDocuments) {
  const Document doc;
  EditHistory history;
  history.clear(false);
  const auto push = [&](Part part, bool marks) { history.push(EditStep{Snapshot(part, doc), marks, 0}); };
  push(Part::Records, true);
  history.follow(false);  // saved after the first step
  for (int i = 0; i < EditHistory::WholeLimit; ++i) push(Part::Document, false);
  EXPECT_FALSE(history.modifiedHere());  // nothing since the save marked the document
  // One whole document too many: the oldest goes with the step before it,
  // and with that step the position the file was saved at.
  push(Part::Document, false);
  EXPECT_TRUE(history.modifiedHere());
  int undone = 0;
  for (; history.canUndo(); ++undone) history.undoStep();
  EXPECT_EQ(undone, EditHistory::WholeLimit);

  history.clear(false);
  for (std::size_t i = 0; i < EditHistory::Limit + 20; ++i) push(Part::Records, true);
  for (undone = 0; history.canUndo(); ++undone) history.undoStep();
  EXPECT_EQ(undone, static_cast<int>(EditHistory::Limit));
  EXPECT_TRUE(history.modifiedHere());  // the saved position went with the oldest steps
}
