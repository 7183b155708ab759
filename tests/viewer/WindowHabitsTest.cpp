// The window's everyday habits through its real widgets: keys on the scroll
// bar, the wheel over the panes, Space, the standard keys, and what a drag or
// an edit under a still mouse leaves behind.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QScrollBar>
#include <QTest>

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
  QTest::keyClick(f.scrollBar(), Qt::Key_End);
  EXPECT_EQ(f.state().CurrentSegment, 199);
  QTest::keyClick(f.scrollBar(), Qt::Key_Home);
  EXPECT_EQ(f.state().CurrentSegment, 0);
}
