// The window's display state: paging, the amplitude scale and the three views
// of the large pane.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScrollBar>
#include <QThread>
#include <thread>
#include <tuple>

#include "support/GuiTestSupport.h"
#include "workspace/DisplayLogic.h"
#include "viewer/PaneWidget.h"

using namespace vode;
using namespace vode::test;

TEST(CurrentSegment, PagesByHalfScreensAndClamps) {
  WindowFixture f;
  f.load(makeRecording(100, 1));
  TMainForm& form = f.form();
  form.set_current_segment(57);
  EXPECT_EQ(f.state().FirstSegment, 25);
  EXPECT_EQ(labelText(form, "LeftTimeLabel"), "2.5s");
  EXPECT_EQ(labelText(form, "RightTimeLabel"), "7.5s");
  EXPECT_TRUE(form.segmentStatus().startsWith("Time 5.7s, "));
  // The marker frames one pixel outside the current segment's cells.
  EXPECT_EQ(control(form, "SonoShape")->x(), 40 + (57 - 25) * 8);
  EXPECT_EQ(control(form, "SonoShape")->width(), 10);
  form.set_current_segment(24);
  EXPECT_EQ(f.state().FirstSegment, 0);

  form.set_current_segment(500);
  EXPECT_EQ(f.state().CurrentSegment, 99);
  form.set_current_segment(-7);
  EXPECT_EQ(f.state().CurrentSegment, 0);

  // The scroll bar and the current segment move together.
  auto* bar = form.findChild<QScrollBar*>("ScrollBar");
  EXPECT_EQ(bar->maximum(), 99);
  bar->setValue(80);
  EXPECT_EQ(f.state().CurrentSegment, 80);
  EXPECT_EQ(f.state().FirstSegment, 50);
}

TEST(CurrentSegment, NoRecordingShowsNoFile) {
  WindowFixture f;
  f.form().set_current_segment(10);
  EXPECT_EQ(f.form().segmentStatus(), "No file loaded");
  EXPECT_EQ(f.form().cursorStatus(), "N/A");
  EXPECT_EQ(f.state().CurrentSegment, 0);
}

TEST(Amplitude, AutoScaleFollowsThePeak) {
  for (const auto& [peak, volts, counts] :
       {std::tuple{int16_t(16384), "2.5", 16384}, std::tuple{int16_t(32767), "5.0", 32768}}) {
    WindowFixture f;
    Recording r = Recording::create(20, 1);
    r.sound[0][5000] = peak;
    f.load(std::move(r));
    EXPECT_EQ(labelText(f.form(), "VoltsMaxLabel"), volts);
    EXPECT_EQ(f.state().AmplitudeCounts, counts);
  }
  // All zero: one 0.5 V step rather than a zero scale.
  WindowFixture f;
  f.load(Recording::create(20, 1));
  EXPECT_EQ(labelText(f.form(), "VoltsMaxLabel"), "0.5");
  EXPECT_EQ(labelText(f.form(), "VoltsMinLabel"), "-0.5");
  EXPECT_GT(f.state().AmplitudeCounts / 64, 0);
}

TEST(Views, SmallPanesSwitchTheLargePane) {
  WindowFixture f;
  TMainForm& form = f.form();
  form.TimeBoxClick();  // nothing without a recording
  EXPECT_EQ(f.state().ViewMode, SonogramView);

  f.load(makeRecording(60, 1));
  form.TimeBoxClick();
  EXPECT_EQ(f.state().ViewMode, WaveformView);
  EXPECT_FALSE(control(form, "SonoShape")->isVisibleTo(&form));
  EXPECT_EQ(control(form, "TimeBox")->toolTip(), "Click to unzoom");
  EXPECT_EQ(control(form, "SonoBox")->toolTip(), "");
  const double a = labelText(form, "VoltsMaxLabel").toDouble();
  EXPECT_EQ(largeLabels(form), QString::fromStdString("Volts," + formatFixed(a / 2, 1) + ",0.0," +
                                                      formatFixed(-a / 2, 1) + "," + formatFixed(-a, 1)));

  // Spectrum view needs spectra.
  form.FreqBoxClick();
  EXPECT_EQ(f.state().ViewMode, WaveformView);
  f.doc().spectra = std::make_unique<SegmentSpectra>();
  ASSERT_TRUE(f.doc().spectra->create(60, 1));
  // The expanded waveform had put its own window under the scroll bar; the
  // spectrum view shows the screen's edge times again.
  form.findChild<QLabel*>("LeftTimeLabel")->setText("0.0");
  form.findChild<QLabel*>("RightTimeLabel")->setText("0.1");
  form.FreqBoxClick();
  EXPECT_EQ(f.state().ViewMode, SpectrumView);
  EXPECT_EQ(labelText(form, "LeftTimeLabel"), "0.0s");
  EXPECT_EQ(labelText(form, "RightTimeLabel"), "5.0s");
  EXPECT_EQ(largeLabels(form), "dB,48,24,0,-24");
  EXPECT_EQ(control(form, "FreqBox")->toolTip(), "Click to unzoom");
  EXPECT_EQ(control(form, "TimeBox")->toolTip(), "Click to zoom");
  form.FreqBoxClick();
  EXPECT_EQ(f.state().ViewMode, SonogramView);
  EXPECT_EQ(largeLabels(form), "Hz,900,600,300,0");
  EXPECT_TRUE(control(form, "SonoShape")->isVisibleTo(&form));
}

