// The power-versus-flow panel through its widgets: band selection, the points
// of the chart types, set B against channel changes, "Copy Power to Flow" and
// the zoom buttons on the chart.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QScatterSeries>
#include <QScrollBar>
#include <QSpinBox>
#include <filesystem>

#include "support/GuiTestSupport.h"
#include "viewer/FlowChart.h"
#include "viewer/PowerPanel.h"

using namespace vode;
using namespace vode::test;

namespace {

// flow2_tagged.mer (two channels, 150 segments) in power display.
class PowerPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VODE_NEEDS_TESTDATA();
    path = f.copyOfTestdata("flow2_tagged.mer", "tagged.mer");
    ASSERT_EQ(f.open(path), 0);
    f.form().StopBitBtnClick();
    ASSERT_TRUE(f.doc().averages && f.doc().spectra);
    click(f.form(), "VolumeButton");
    click(f.form(), "VolumeButton");
    ASSERT_EQ(f.state().FlowDisplay, 2);
  }
  template <typename T>
  T* widget(const char* name) {
    return f.form().findChild<T*>(name);
  }
  void chooseType(ChartType type) { widget<QComboBox>("SpinType")->setCurrentIndex(static_cast<int>(type)); }
  FlowChart& chart() { return f.form().powerPanel().chart(); }

  WindowFixture f;
  std::string path;
};

TEST_F(PowerPanelTest, OctaveAndScrollBarMoveTheBand) {
  auto* octave = widget<QComboBox>("SpinOctave");
  octave->setCurrentIndex(octave->findText("300"));
  emit octave->activated(octave->currentIndex());
  auto* bar = widget<QScrollBar>("SpinBar");
  EXPECT_EQ(widget<QSpinBox>("SpinMin")->value(), 300);
  EXPECT_EQ(widget<QSpinBox>("SpinMax")->value(), 600);
  EXPECT_EQ(bar->pageStep(), 300);
  EXPECT_EQ(bar->maximum(), 4500);
  const std::vector<float> before = f.doc().spectra->bandPower[0];

  // The bar snaps to the 5 Hz grid and carries the width along.
  bar->setValue(1003);
  EXPECT_EQ(widget<QSpinBox>("SpinMin")->value(), 1000);
  EXPECT_EQ(widget<QSpinBox>("SpinMax")->value(), 1300);
  EXPECT_EQ(f.doc().panel.spinMin, 1000);
  EXPECT_EQ(f.doc().panel.spinMax, 1300);
  EXPECT_NE(f.doc().spectra->bandPower[0], before);

  // Only the minimum moving (the maximum already where it belongs) is a new band too.
  octave->setCurrentIndex(octave->findText("1200"));
  widget<QSpinBox>("SpinMax")->setValue(2400);
  emit octave->activated(octave->currentIndex());
  EXPECT_EQ(f.doc().panel.spinMin, 1200);
  EXPECT_EQ(bar->pageStep(), 1200);
}

TEST_F(PowerPanelTest, FlowDbLeavesOutEveryFlaggedSegment) {
  chooseType(ChartType::FlowDb);
  ASSERT_TRUE(chart().isVisibleTo(&f.form()));
  EXPECT_EQ(chart().title(), "Power (dB) vs Flow (L/s)");
  EXPECT_EQ(chart().axisTitle(Qt::Horizontal),
            "Expiration" + QString(30, ' ') + "L/s" + QString(30, ' ') + "Inspiration");
  // Flags of every kind on channel 1, each on a different clean segment.
  TagTable& tags = *f.doc().tagTable;
  std::vector<int> flagged;
  for (int s = 0; s < tags.segments() && flagged.size() < 3; ++s)
    if (tags.flags(0, s) == 0) {
      tags.flagRow(0)[s] = static_cast<uint8_t>(flagged.empty() ? 4 : flagged.size() == 1 ? 16 : 32);
      flagged.push_back(s);
    }
  f.form().workspace().notify(Change::Tags);
  int clean = 0;
  for (int s = 0; s < f.doc().spectra->segmentCount; ++s) clean += tags.flags(0, s) == 0;
  const QList<QPointF> points = chart().points(0);
  EXPECT_EQ(points.size(), clean);
  for (int s : flagged) {
    const QPointF p(f.doc().phaseTable->segmentFlowAt(s), f.doc().spectra->bandPower[0][s]);
    EXPECT_FALSE(points.contains(p)) << s;
  }
}

TEST_F(PowerPanelTest, SetBKeepsItsPointsWhileSetAFollowsTheChannel) {
  chooseType(ChartType::FlowBinDb2Sd);
  EXPECT_EQ(chart().title(), "Power (dB) vs Flow (100 mL bins)");
  EXPECT_TRUE(widget<QSpinBox>("SpinFlow")->isEnabled());
  ASSERT_GT(chart().pointCount(0), 0);
  EXPECT_EQ(chart().pointCount(1), chart().pointCount(0));
  click(f.form(), "SetBase");
  const QList<QPointF> red = chart().points(0), frozen = chart().points(3);
  EXPECT_EQ(frozen, red);
  EXPECT_EQ(chart().points(4), chart().points(1));
  EXPECT_EQ(widget<QComboBox>("SpinMode")->currentText(), "A+B");
  EXPECT_EQ(labelText(f.form(), "BaseFile"), "tagged.mer");
  EXPECT_EQ(labelText(f.form(), "BaseSettings"), "0 - 100 Hz, 100 mL");

  f.form().ChooseChannel(1);
  EXPECT_NE(chart().points(0), red);
  EXPECT_EQ(chart().points(3), frozen);
  widget<QSpinBox>("SpinMax")->setValue(400);
  EXPECT_EQ(chart().points(3), frozen);

  widget<QComboBox>("SpinMode")->setCurrentIndex(0);  // "A"
  EXPECT_TRUE(chart().seriesShown(0));
  EXPECT_FALSE(chart().seriesShown(3));
}

TEST_F(PowerPanelTest, CopyPowerToFlowAsksFirst) {
  QAction* copy = f.form().action("CopyPowertoFlow1");
  ASSERT_TRUE(copy->isEnabled());
  const std::vector<int16_t> flow = f.doc().recording->flow;
  f.prompter.answers = {Answer::No};
  copy->trigger();
  EXPECT_TRUE(f.prompter.asked("Are you sure you want to copy power to flow?"));
  EXPECT_EQ(f.doc().recording->flow, flow);
  EXPECT_EQ(labelText(f.form(), "FlowUnitsLabel"), "L/s");
  EXPECT_FALSE(f.doc().state.modified);

  f.prompter.answers = {Answer::Yes};
  copy->trigger();
  EXPECT_NE(f.doc().recording->flow, flow);
  EXPECT_EQ(labelText(f.form(), "FlowUnitsLabel"), "P");
  EXPECT_TRUE(f.doc().state.modified);
}

TEST_F(PowerPanelTest, ZoomButtonsActOnTheShownChartAndDoubleClickNamesThePoint) {
  chooseType(ChartType::FlowBinDb);
  const QPointF x = chart().axisRange(Qt::Horizontal);
  const int timeIndex = f.doc().preferences.sonogramTime;
  click(f.form(), "ZoomInX");
  const QPointF in = chart().axisRange(Qt::Horizontal);
  EXPECT_NEAR(in.y() - in.x(), (x.y() - x.x()) / 2, 1e-9);
  EXPECT_NEAR(in.x() + in.y(), x.x() + x.y(), 1e-9);
  click(f.form(), "ZoomOutY");
  EXPECT_NEAR(chart().axisRange(Qt::Horizontal).y() - chart().axisRange(Qt::Horizontal).x(), x.y() - x.x(), 1e-9);
  EXPECT_EQ(f.doc().preferences.sonogramTime, timeIndex);

  // A double-click on a red point names the series, the point and the mouse.
  chart().fitAxes();
  QCoreApplication::processEvents();  // the chart lays out its plot area
  QScatterSeries* series = nullptr;
  for (QScatterSeries* s : chart().chart()->findChildren<QScatterSeries*>())
    if (s->name() == "Series1") series = s;
  ASSERT_NE(series, nullptr);
  const QPoint at = chart().mapFromScene(chart().chart()->mapToPosition(chart().points(0).at(3), series));
  QMouseEvent press(QEvent::MouseButtonDblClick, QPointF(at), chart().viewport()->mapToGlobal(QPointF(at)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(chart().viewport(), &press);
  ASSERT_FALSE(f.prompter.messages.empty());
  const QString shown = QString::fromStdString(f.prompter.messages.back().text);
  EXPECT_TRUE(shown.startsWith("OnDblClick Series1, ")) << shown.toStdString();
  EXPECT_TRUE(shown.endsWith(QString(", %1, %2").arg(at.x()).arg(at.y()))) << shown.toStdString();
}

}  // namespace
