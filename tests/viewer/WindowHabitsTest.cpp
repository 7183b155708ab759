// The window's everyday habits through its real widgets: keys on the scroll
// bar, the wheel over the panes, Space, the standard keys, and what a drag or
// an edit under a still mouse leaves behind.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "support/GuiTestSupport.h"
#include "viewer/PaneWidget.h"

using namespace vode;
using namespace vode::test;

namespace {

struct ShownWindow : WindowFixture {
  ShownWindow() {
    form().show();
    form().activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&form()));
  }
  QScrollBar* scrollBar() { return static_cast<QScrollBar*>(control(form(), "ScrollBar")); }
};

}  // namespace

TEST(WindowHabits, ArrowKeysOnTheScrollBarMoveForwardAndBack) {
  ShownWindow f;
  f.load(makeRecording(200, 1));
  f.scrollBar()->setFocus();
  f.form().set_current_segment(20);
  QTest::keyClick(f.scrollBar(), Qt::Key_Right);
  EXPECT_EQ(f.state().CurrentSegment, 21);
  QTest::keyClick(f.scrollBar(), Qt::Key_Left);
  QTest::keyClick(f.scrollBar(), Qt::Key_Left);
  EXPECT_EQ(f.state().CurrentSegment, 19);
}

namespace {

void wheel(QWidget* pane, int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  const QPointF at(20, 10);
  QWheelEvent event(at, pane->mapToGlobal(at), {}, QPoint(0, delta), Qt::NoButton, modifiers, Qt::NoScrollPhase,
                    false);
  QCoreApplication::sendEvent(pane, &event);
}

}  // namespace

TEST(WindowHabits, WheelOverTheTimeAlignedPanes) {
  WindowFixture f;
  f.load(makeRecording(600, 1));
  f.form().set_current_segment(100);
  // A notch toward the user: a tenth of the 5 s screen later.
  wheel(control(f.form(), "FlowBox"), -120);
  EXPECT_EQ(f.state().CurrentSegment, 105);
  wheel(control(f.form(), "TagBox"), 240);
  EXPECT_EQ(f.state().CurrentSegment, 95);
  // Parts of a notch add up.
  wheel(control(f.form(), "SonoBox"), -60);
  EXPECT_EQ(f.state().CurrentSegment, 95);
  wheel(control(f.form(), "SonoShape"), -60);
  EXPECT_EQ(f.state().CurrentSegment, 100);
  // The small panes do not page.
  wheel(control(f.form(), "TimeBox"), -120);
  EXPECT_EQ(f.state().CurrentSegment, 100);

  // Ctrl presses X "+" (away) and "-" (toward), Shift the Y buttons, as a
  // click on them would.
  const int seconds = f.state().SonoSeconds;
  wheel(control(f.form(), "SonoBox"), -120, Qt::ControlModifier);
  EXPECT_GT(f.state().SonoSeconds, seconds);
  wheel(control(f.form(), "SonoBox"), 120, Qt::ControlModifier);
  EXPECT_EQ(f.state().SonoSeconds, seconds);
  const int maxHz = f.state().MaxFrequency;
  wheel(control(f.form(), "FlowBox"), -120, Qt::ShiftModifier);
  EXPECT_GT(f.state().MaxFrequency, maxHz);
  wheel(control(f.form(), "FlowBox"), 120, Qt::ShiftModifier);
  EXPECT_EQ(f.state().MaxFrequency, maxHz);
  // In Spectrum view Y is the dB scale.
  f.form().DoAnalyzeClick();
  f.form().FreqBoxClick();
  ASSERT_EQ(f.state().ViewMode, SpectrumView);
  const int db = f.state().dBScaleIndex;
  wheel(control(f.form(), "SonoBox"), 120, Qt::ShiftModifier);
  EXPECT_NE(f.state().dBScaleIndex, db);
}

TEST(WindowHabits, SpacePlaysAndStopsUnlessTheFocusTakesItItself) {
  ShownWindow f;
  f.load(makeRecording(100, 1));
  f.scrollBar()->setFocus();
  QTest::keyClick(f.scrollBar(), Qt::Key_Space);
  EXPECT_TRUE(f.form().playing());
  QTest::keyClick(f.scrollBar(), Qt::Key_Space);
  EXPECT_FALSE(f.form().playing());
  // On a button Space presses that button.
  QWidget* zoomOut = control(f.form(), "ZoomOutX");
  zoomOut->setFocus();
  const int seconds = f.state().SonoSeconds;
  QTest::keyClick(zoomOut, Qt::Key_Space);
  EXPECT_FALSE(f.form().playing());
  EXPECT_GT(f.state().SonoSeconds, seconds);
}

TEST(WindowHabits, StandardKeysAndPlayAfterOpening) {
  ShownWindow f;
  f.load(makeRecording(30, 1));
  QTest::keyClick(&f.form(), Qt::Key_F1);
  EXPECT_TRUE(f.prompter.saw("The manual is not installed: " + f.form().helpFile() + " was not found."));
  QTest::keyClick(&f.form(), Qt::Key_W, Qt::ControlModifier);
  EXPECT_FALSE(f.doc().hasRecording());

  // Switched off, an open shows the recording without playing it.
  QAction* entry = f.form().action("PlayAfterOpening1");
  ASSERT_TRUE(entry->isChecked());
  entry->trigger();
  EXPECT_FALSE(f.form().playAfterOpening());
  f.load(makeRecording(30, 1));
  f.form().playAfterLoading();
  EXPECT_FALSE(f.form().playing());
}
