// The window's everyday habits through its real widgets: keys on the scroll
// bar, the wheel over the panes, Space and the standard keys.
#include <gtest/gtest.h>

#include <QAction>
#include <QTest>
#include <QWheelEvent>

#include "support/GuiTestSupport.h"

using namespace vode;
using namespace vode::test;

namespace {

// Shown and active, so keys reach the focused widget.
struct ShownWindow : WindowFixture {
  ShownWindow() {
    form().show();
    form().activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&form()));
  }
};

void wheel(QWidget* pane, int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  const QPointF at(20, 10);
  QWheelEvent event(at, pane->mapToGlobal(at), {}, QPoint(0, delta), Qt::NoButton, modifiers, Qt::NoScrollPhase,
                    false);
  QCoreApplication::sendEvent(pane, &event);
}

}  // namespace

TEST(WindowHabits, ArrowsOnTheScrollBarMoveAndSpacePlaysUnlessTheFocusTakesItItself) {
  ShownWindow f;
  f.load(makeRecording(200, 1));
  QWidget* bar = control(f.form(), "ScrollBar");
  bar->setFocus();
  f.form().set_current_segment(20);
  QTest::keyClick(bar, Qt::Key_Right);
  EXPECT_EQ(f.state().CurrentSegment, 21);
  QTest::keyClick(bar, Qt::Key_Left);
  QTest::keyClick(bar, Qt::Key_Left);
  EXPECT_EQ(f.state().CurrentSegment, 19);

  QTest::keyClick(bar, Qt::Key_Space);
  EXPECT_TRUE(f.form().playing());
  QTest::keyClick(bar, Qt::Key_Space);
  EXPECT_FALSE(f.form().playing());
  // On a button Space presses that button.
  QWidget* zoomOut = control(f.form(), "ZoomOutX");
  zoomOut->setFocus();
  const int seconds = f.state().SonoSeconds;
  QTest::keyClick(zoomOut, Qt::Key_Space);
  EXPECT_FALSE(f.form().playing());
  EXPECT_GT(f.state().SonoSeconds, seconds);
}

TEST(WindowHabits, WheelOverTheTimeAlignedPanes) {
  WindowFixture f;
  f.load(makeRecording(600, 1));
  f.form().set_current_segment(100);
  // A notch toward the user is a tenth of the 5 s screen later; parts of a
  // notch add up; the small panes do not page.
  const std::tuple<const char*, int, int> steps[] = {
      {"FlowBox", -120, 105}, {"TagBox", 240, 95}, {"SonoBox", -60, 95}, {"SonoShape", -60, 100}, {"TimeBox", -120, 100}};
  for (const auto& [pane, delta, segment] : steps) {
    wheel(control(f.form(), pane), delta);
    EXPECT_EQ(f.state().CurrentSegment, segment) << pane;
  }
  // Ctrl presses X "+" (away) and "-" (toward), Shift the Y buttons, as a
  // click on them would.
  for (const auto& [pane, modifier, value] : {std::tuple{"SonoBox", Qt::ControlModifier, &DisplayState::SonoSeconds},
                                              std::tuple{"FlowBox", Qt::ShiftModifier, &DisplayState::MaxFrequency}}) {
    const int before = f.state().*value;
    wheel(control(f.form(), pane), -120, modifier);
    EXPECT_GT(f.state().*value, before) << pane;
    wheel(control(f.form(), pane), 120, modifier);
    EXPECT_EQ(f.state().*value, before) << pane;
  }
  // In Spectrum view Y is the dB scale.
  f.form().DoAnalyzeClick();
  f.form().FreqBoxClick();
  ASSERT_EQ(f.state().ViewMode, SpectrumView);
  const int db = f.state().dBScaleIndex;
  wheel(control(f.form(), "SonoBox"), 120, Qt::ShiftModifier);
  EXPECT_NE(f.state().dBScaleIndex, db);
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
