// The window's controls: zoom buttons, the flow display toggle, the channel
// and spectrum choices, the hair-line cursor and the panes' mouse.
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

#include "support/GuiTestSupport.h"
#include "workspace/DisplayLogic.h"
#include "viewer/PaneWidget.h"

using namespace vode;
using namespace vode::test;

TEST(Zoom, SonogramViewTimeAndFrequency) {
  WindowFixture f;
  TMainForm& form = f.form();
  f.load(makeRecording(500, 1));
  form.set_current_segment(120);
  click(form, "ZoomInX");
  EXPECT_EQ(f.doc().preferences.sonogramTime, 0);
  for (int i = 0; i < 5; ++i) click(form, "ZoomOutX");
  EXPECT_EQ(f.doc().preferences.sonogramTime, 3);
  EXPECT_EQ(f.state().SegmentPixels, 1);
  EXPECT_EQ(control(form, "SonoShape")->width(), 3);
  // Segment 120 is still on the wider screen: no paging.
  EXPECT_EQ(f.state().FirstSegment, 75);
  EXPECT_EQ(labelText(form, "RightTimeLabel"), "47.5s");

  click(form, "ZoomInY");
  EXPECT_EQ(f.doc().preferences.frequency, 0);
  for (int i = 0; i < 3; ++i) click(form, "ZoomOutY");
  EXPECT_EQ(f.doc().preferences.frequency, 2);
  EXPECT_EQ(largeLabels(form), "Hz,3600,2400,1200,0");
  EXPECT_EQ(labelText(form, "FreqLabel"), "4800");
}

TEST(Zoom, WaveformViewTimeAndAmplitude) {
  WindowFixture f;
  TMainForm& form = f.form();
  f.load(makeRecording(60, 1));
  form.TimeBoxClick();
  click(form, "ZoomInX");
  EXPECT_EQ(f.doc().preferences.waveformTime, 2);  // 100 ms is the shortest
  for (int i = 0; i < 8; ++i) click(form, "ZoomOutX");
  EXPECT_EQ(f.doc().preferences.waveformTime, 7);
  EXPECT_EQ(control(form, "FlowShape")->width(), 32 * 8 + 2);

  click(form, "ZoomOutY");
  EXPECT_EQ(f.doc().preferences.amplitude, AutoAmplitudeIndex);
  for (int i = 0; i < 12; ++i) click(form, "ZoomInY");
  EXPECT_EQ(f.doc().preferences.amplitude, 0);
  EXPECT_EQ(labelText(form, "VoltsMaxLabel"), "0.5");
  EXPECT_EQ(largeLabels(form), "Volts,0.2,0.0,-0.2,-0.5");
}

TEST(Zoom, SpectrumViewDbScaleAndFrequency) {
  WindowFixture f;
  TMainForm& form = f.form();
  f.load(makeRecording(60, 1));
  f.doc().spectra = std::make_unique<SegmentSpectra>();
  ASSERT_TRUE(f.doc().spectra->create(60, 1));
  form.FreqBoxClick();
  click(form, "ZoomOutY");
  EXPECT_EQ(f.doc().preferences.dBScale, 1);
  click(form, "ZoomInY");
  click(form, "ZoomInY");
  EXPECT_EQ(f.doc().preferences.dBScale, 0);
  EXPECT_EQ(largeLabels(form), "dB,48,32,16,0");
  click(form, "ZoomOutX");
  EXPECT_EQ(f.doc().preferences.frequency, 1);
  EXPECT_EQ(labelText(form, "FreqLabel"), "2400");
  click(form, "ZoomInX");
  click(form, "ZoomInX");
  EXPECT_EQ(f.doc().preferences.frequency, 0);
  EXPECT_EQ(f.state().ViewMode, SpectrumView);
}

TEST(FlowDisplay, VolumeToggleSkipsPowerWithoutAverages) {
  WindowFixture f;
  TMainForm& form = f.form();
  f.load(makeRecording(60, 1));
  click(form, "VolumeButton");
  EXPECT_EQ(f.state().FlowDisplay, 1);
  EXPECT_EQ(labelText(form, "FlowTitleLabel"), "Flow and Volume");
  EXPECT_TRUE(control(form, "VolumeMaxLabel")->isVisibleTo(&form));
  click(form, "VolumeButton");
  EXPECT_EQ(f.state().FlowDisplay, 0);
  EXPECT_EQ(labelText(form, "FlowTitleLabel"), "Flow");

  f.doc().averages = std::make_unique<OverallAverages>();
  f.doc().averages->allocate(1);
  click(form, "VolumeButton");
  click(form, "VolumeButton");
  EXPECT_EQ(f.state().FlowDisplay, 2);
  EXPECT_EQ(labelText(form, "FlowTitleLabel"), "Flow and Power");
  EXPECT_TRUE(control(form, "AvgPanel")->isVisibleTo(&form));
  EXPECT_FALSE(control(form, "PSDRadioGroup")->isVisibleTo(&form));
  EXPECT_FALSE(control(form, "SonoLabel3")->isVisibleTo(&form));
  EXPECT_TRUE(control(form, "VolumeButton")->isVisibleTo(&form));
  click(form, "VolumeButton");
  EXPECT_EQ(f.state().FlowDisplay, 0);
  EXPECT_TRUE(control(form, "PSDRadioGroup")->isVisibleTo(&form));
}

TEST(FlowDisplay, RespirationBand) {
  WindowFixture f;
  Recording r = makeRecording(60, 1);
  f.doc().channelSetup.airflowKind = 1;
  f.doc().recording = std::make_unique<Recording>(std::move(r));
  f.form().adjust_to_prefs();
  EXPECT_EQ(labelText(f.form(), "FlowTitleLabel"), "Respiration");
  EXPECT_EQ(labelText(f.form(), "FlowUnitsLabel"), "Volts");
  EXPECT_FALSE(control(f.form(), "VolumeButton")->isEnabled());
}

TEST(Channels, RadioGroupForTwoDropDownForMore) {
  WindowFixture f;
  TMainForm& form = f.form();
  f.doc().channelSetup.channelNames[0] = "TRA";
  f.doc().channelSetup.channelNames[1] = "";
  Recording one = makeRecording(30, 1);
  f.doc().recording = std::make_unique<Recording>(std::move(one));
  form.adjust_to_prefs();
  EXPECT_TRUE(control(form, "ChannelRadioGroup")->isEnabled());
  EXPECT_EQ(static_cast<QRadioButton*>(control(form, "ChannelRadio1"))->text(), "&1: TRA");
  EXPECT_EQ(static_cast<QRadioButton*>(control(form, "ChannelRadio2"))->text(), "&2: not available");
  form.ChooseChannel(1);  // past the last channel: back to it
  EXPECT_EQ(f.state().CurrentChannel, 0);
  EXPECT_TRUE(static_cast<QRadioButton*>(control(form, "ChannelRadio1"))->isChecked());

  f.doc().channelSetup.channelNames[1] = "RUant";
  f.doc().channelSetup.channelNames[2] = "LUant";
  f.doc().channelSetup.channelNames[3] = "";
  f.load(makeRecording(30, 4));
  EXPECT_FALSE(control(form, "ChannelRadioGroup")->isEnabled());
  auto* combo = static_cast<QComboBox*>(control(form, "ChannelComboBox"));
  EXPECT_TRUE(combo->isVisibleTo(&form));
  EXPECT_TRUE(combo->isEnabled());
  // The list carries the names as they are: an unnamed channel keeps its
  // line, empty, so each line stays its channel.
  ASSERT_EQ(combo->count(), 4);
  EXPECT_EQ(combo->itemText(0), "TRA");
  EXPECT_EQ(combo->itemText(1), "RUant");
  EXPECT_EQ(combo->itemText(2), "LUant");
  EXPECT_EQ(combo->itemText(3), "");
  form.ChooseChannel(2);
  EXPECT_EQ(f.state().CurrentChannel, 2);
  EXPECT_EQ(combo->currentIndex(), 2);
}

TEST(Channels, AnAssistiveToolsToggleChoosesChannelAndSpectrum) {
  WindowFixture f;
  f.load(makeRecording(30, 2));
  toggleAccessibly(control(f.form(), "ChannelRadio2"));
  EXPECT_EQ(f.state().CurrentChannel, 1);
  toggleAccessibly(control(f.form(), "PsdRadioAll"));
  EXPECT_EQ(f.state().PsdChoice, PsdAll);
}

TEST(PsdChoice, ArrowsFollowTheChoice) {
  WindowFixture f;
  TMainForm& form = f.form();
  form.SetPsdChoice(PsdBreath);
  EXPECT_EQ(control(form, "PrevBitBtn")->toolTip(), "Previous tagged breath");
  EXPECT_EQ(control(form, "NextBitBtn")->toolTip(), "Next tagged breath");
  form.SetPsdChoice(PsdAll);
  EXPECT_FALSE(control(form, "PrevBitBtn")->isEnabled());
  form.SetPsdChoice(PsdSingle);
  EXPECT_TRUE(control(form, "NextBitBtn")->isEnabled());
  EXPECT_EQ(control(form, "NextBitBtn")->toolTip(), "Next tagged segment");
}

TEST(HairLine, OneLineAtATimeErasedBySelection) {
  WindowFixture f;
  TMainForm& form = f.form();
  f.load(makeRecording(60, 1));
  auto* flow = form.findChild<PaneWidget*>("FlowBox");
  auto* sono = form.findChild<PaneWidget*>("SonoBox");
  form.TrackCursorLine(flow, 30);
  EXPECT_EQ(flow->cursorLine(), 30);
  form.TrackCursorLine(sono, 50);
  EXPECT_EQ(flow->cursorLine(), -1);
  EXPECT_EQ(sono->cursorLine(), 50);
  form.set_current_segment(3);
  EXPECT_EQ(sono->cursorLine(), -1);

  // A repaint of a line pane removes the line too, wherever it is: here the
  // spectrum pane after a new PSD choice, the large pane after Wheezes.
  form.TrackCursorLine(sono, 70);
  form.SetPsdChoice(PsdBreath);
  EXPECT_EQ(sono->cursorLine(), -1);
  form.TrackCursorLine(flow, 12);
  form.WheezesClick();
  EXPECT_EQ(flow->cursorLine(), -1);
}

TEST(PaneMouse, MovesShowReadoutsAndTheLine) {
  WindowFixture f;
  TMainForm& form = f.form();
  f.load(makeRecording(60, 1));
  auto* flow = form.findChild<PaneWidget*>("FlowBox");
  sendMouse(flow, QEvent::MouseMove, QPoint(12, 20));
  EXPECT_EQ(flow->cursorLine(), 12);
  // Segment 1, breath sample 16: 0.15 s.
  EXPECT_TRUE(form.cursorStatus().startsWith("0.15 s, ")) << form.cursorStatus().toStdString();
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(flow, &leave);
  EXPECT_EQ(flow->cursorLine(), -1);
}

TEST(PaneMouse, PressesSelectAndClicksSwitchViews) {
  WindowFixture f;
  TMainForm& form = f.form();
  f.load(makeRecording(60, 1));
  sendMouse(control(form, "FlowBox"), QEvent::MouseButtonPress, QPoint(8 * 7 + 3, 10), Qt::LeftButton);
  EXPECT_EQ(f.state().CurrentSegment, 7);
  sendMouse(control(form, "TagBox"), QEvent::MouseButtonPress, QPoint(8 * 9, 5), Qt::LeftButton);
  EXPECT_EQ(f.state().CurrentSegment, 9);

  QWidget* time = control(form, "TimeBox");
  sendMouse(time, QEvent::MouseButtonPress, QPoint(60, 60), Qt::LeftButton);
  sendMouse(time, QEvent::MouseButtonRelease, QPoint(60, 60), Qt::LeftButton);
  EXPECT_EQ(f.state().ViewMode, WaveformView);
  // The large pane selects nothing outside Sonogram view.
  sendMouse(control(form, "SonoBox"), QEvent::MouseButtonPress, QPoint(8 * 20, 5), Qt::LeftButton);
  EXPECT_EQ(f.state().CurrentSegment, 9);
}
