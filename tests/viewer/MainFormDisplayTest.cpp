// The window's display state: paging, amplitude, the three views and their
// zoom buttons, the flow display toggle, the channel choice and progress.
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
#include "viewer/DisplayLogic.h"
#include "viewer/PaneWidget.h"

using namespace vode;
using namespace vode::test;

namespace {

Recording silentRecording(int segments, int channels) { return Recording::create(segments, channels); }

QString largeLabels(TMainForm& form) {
  QStringList texts;
  for (int i = 5; i >= 1; --i) texts << form.labelText(QString("SonoLabel%1").arg(i));
  return texts.join(",");
}

void click(TMainForm& form, const char* name) { static_cast<QAbstractButton*>(form.control(name))->click(); }

}  // namespace

TEST(CurrentSegment, PagesByHalfScreensAndClamps) {
  WindowFixture f;
  f.load(makeRecording(100, 1));
  TMainForm& form = f.form();
  form.set_current_segment(57);
  EXPECT_EQ(f.state().FirstSegment, 25);
  EXPECT_EQ(form.labelText("LeftTimeLabel"), "2.5s");
  EXPECT_EQ(form.labelText("RightTimeLabel"), "7.5s");
  EXPECT_TRUE(form.segmentStatus().startsWith("Time 5.7s, "));
  // The marker frames one pixel outside the current segment's cells.
  EXPECT_EQ(form.control("SonoShape")->x(), 40 + (57 - 25) * 8);
  EXPECT_EQ(form.control("SonoShape")->width(), 10);
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
    Recording r = silentRecording(20, 1);
    r.sound[0][5000] = peak;
    f.load(std::move(r));
    EXPECT_EQ(f.form().labelText("VoltsMaxLabel"), volts);
    EXPECT_EQ(f.state().AmplitudeCounts, counts);
  }
  // All zero: one 0.5 V step rather than a zero scale.
  WindowFixture f;
  f.load(silentRecording(20, 1));
  EXPECT_EQ(f.form().labelText("VoltsMaxLabel"), "0.5");
  EXPECT_EQ(f.form().labelText("VoltsMinLabel"), "-0.5");
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
  EXPECT_FALSE(form.control("SonoShape")->isVisibleTo(&form));
  EXPECT_EQ(form.control("TimeBox")->toolTip(), "Click to unzoom");
  EXPECT_EQ(form.control("SonoBox")->toolTip(), "");
  const double a = form.labelText("VoltsMaxLabel").toDouble();
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
  EXPECT_EQ(form.labelText("LeftTimeLabel"), "0.0s");
  EXPECT_EQ(form.labelText("RightTimeLabel"), "5.0s");
  EXPECT_EQ(largeLabels(form), "dB,48,24,0,-24");
  EXPECT_EQ(form.control("FreqBox")->toolTip(), "Click to unzoom");
  EXPECT_EQ(form.control("TimeBox")->toolTip(), "Click to zoom");
  form.FreqBoxClick();
  EXPECT_EQ(f.state().ViewMode, SonogramView);
  EXPECT_EQ(largeLabels(form), "Hz,900,600,300,0");
  EXPECT_TRUE(form.control("SonoShape")->isVisibleTo(&form));
}

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
  EXPECT_EQ(form.control("SonoShape")->width(), 3);
  // Segment 120 is still on the wider screen: no paging.
  EXPECT_EQ(f.state().FirstSegment, 75);
  EXPECT_EQ(form.labelText("RightTimeLabel"), "47.5s");

  click(form, "ZoomInY");
  EXPECT_EQ(f.doc().preferences.frequency, 0);
  for (int i = 0; i < 3; ++i) click(form, "ZoomOutY");
  EXPECT_EQ(f.doc().preferences.frequency, 2);
  EXPECT_EQ(largeLabels(form), "Hz,3600,2400,1200,0");
  EXPECT_EQ(form.labelText("FreqLabel"), "4800");
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
  EXPECT_EQ(form.control("FlowShape")->width(), 32 * 8 + 2);

  click(form, "ZoomOutY");
  EXPECT_EQ(f.doc().preferences.amplitude, AutoAmplitudeIndex);
  for (int i = 0; i < 12; ++i) click(form, "ZoomInY");
  EXPECT_EQ(f.doc().preferences.amplitude, 0);
  EXPECT_EQ(form.labelText("VoltsMaxLabel"), "0.5");
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
  EXPECT_EQ(form.labelText("FreqLabel"), "2400");
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
  EXPECT_EQ(form.labelText("FlowTitleLabel"), "Flow and Volume");
  EXPECT_TRUE(form.control("VolumeMaxLabel")->isVisibleTo(&form));
  click(form, "VolumeButton");
  EXPECT_EQ(f.state().FlowDisplay, 0);
  EXPECT_EQ(form.labelText("FlowTitleLabel"), "Flow");

  f.doc().averages = std::make_unique<OverallAverages>();
  f.doc().averages->allocate(1);
  click(form, "VolumeButton");
  click(form, "VolumeButton");
  EXPECT_EQ(f.state().FlowDisplay, 2);
  EXPECT_EQ(form.labelText("FlowTitleLabel"), "Flow and Power");
  EXPECT_TRUE(form.control("AvgPanel")->isVisibleTo(&form));
  EXPECT_FALSE(form.control("PSDRadioGroup")->isVisibleTo(&form));
  EXPECT_FALSE(form.control("SonoLabel3")->isVisibleTo(&form));
  EXPECT_TRUE(form.control("VolumeButton")->isVisibleTo(&form));
  click(form, "VolumeButton");
  EXPECT_EQ(f.state().FlowDisplay, 0);
  EXPECT_TRUE(form.control("PSDRadioGroup")->isVisibleTo(&form));
}

TEST(FlowDisplay, RespirationBand) {
  WindowFixture f;
  Recording r = makeRecording(60, 1);
  f.doc().channelSetup.airflowKind = 1;
  f.doc().recording = std::make_unique<Recording>(std::move(r));
  f.form().adjust_to_prefs();
  EXPECT_EQ(f.form().labelText("FlowTitleLabel"), "Respiration");
  EXPECT_EQ(f.form().labelText("FlowUnitsLabel"), "Volts");
  EXPECT_FALSE(f.form().control("VolumeButton")->isEnabled());
}

TEST(Channels, RadioGroupForTwoDropDownForMore) {
  WindowFixture f;
  TMainForm& form = f.form();
  f.doc().channelSetup.channelNames[0] = "TRA";
  f.doc().channelSetup.channelNames[1] = "";
  Recording one = makeRecording(30, 1);
  f.doc().recording = std::make_unique<Recording>(std::move(one));
  form.adjust_to_prefs();
  EXPECT_TRUE(form.control("ChannelRadioGroup")->isEnabled());
  EXPECT_EQ(static_cast<QRadioButton*>(form.control("ChannelRadio1"))->text(), "&1: TRA");
  EXPECT_EQ(static_cast<QRadioButton*>(form.control("ChannelRadio2"))->text(), "&2: not available");
  form.ChooseChannel(1);  // past the last channel: back to it
  EXPECT_EQ(f.state().CurrentChannel, 0);
  EXPECT_TRUE(static_cast<QRadioButton*>(form.control("ChannelRadio1"))->isChecked());

  f.doc().channelSetup.channelNames[1] = "RUant";
  f.doc().channelSetup.channelNames[2] = "LUant";
  f.doc().channelSetup.channelNames[3] = "";
  f.load(makeRecording(30, 4));
  EXPECT_FALSE(form.control("ChannelRadioGroup")->isEnabled());
  auto* combo = static_cast<QComboBox*>(form.control("ChannelComboBox"));
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

TEST(PsdChoice, ArrowsFollowTheChoice) {
  WindowFixture f;
  TMainForm& form = f.form();
  form.SetPsdChoice(PsdBreath);
  EXPECT_EQ(form.control("PrevBitBtn")->toolTip(), "Previous tagged breath");
  EXPECT_EQ(form.control("NextBitBtn")->toolTip(), "Next tagged breath");
  form.SetPsdChoice(PsdAll);
  EXPECT_FALSE(form.control("PrevBitBtn")->isEnabled());
  form.SetPsdChoice(PsdSingle);
  EXPECT_TRUE(form.control("NextBitBtn")->isEnabled());
  EXPECT_EQ(form.control("NextBitBtn")->toolTip(), "Next tagged segment");
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

TEST(Progress, DisablesTheWindowAndRestoresTheStatus) {
  WindowFixture f;
  TMainForm& form = f.form();
  f.load(makeRecording(60, 1));
  const QString status = form.segmentStatus();
  form.BeginProgress("Calculating Tags", 15);
  EXPECT_FALSE(form.isEnabled());
  EXPECT_FALSE(f.state().WindowEnabled);
  EXPECT_EQ(form.segmentStatus(), "Calculating Tags");
  EXPECT_TRUE(form.control("StatusGauge")->isVisibleTo(&form));
  form.EndProgress();
  EXPECT_TRUE(form.isEnabled());
  EXPECT_EQ(form.segmentStatus(), status);
  EXPECT_FALSE(form.control("StatusGauge")->isVisibleTo(&form));
}

TEST(Progress, WorkerCallsReachTheWindowThread) {
  WindowFixture f;
  TMainForm& form = f.form();
  f.prompter.answers = {Answer::No};
  bool windowEnabledDuringJob = true;
  bool onGuiThread = false;
  f.prompter.onMessage = [&] {
    onGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
    windowEnabledDuringJob = form.isEnabled();
  };
  Answer answer = Answer::Yes;
  std::thread::id workerThread;
  form.runInBackground([&](ProgressSink& progress, Prompter& prompter) {
    workerThread = std::this_thread::get_id();
    progress.begin("Calculating Power", 10);
    for (int i = 1; i <= 10; ++i) progress.set(i);
    prompter.message(MessageKind::Warning, "halfway");
    answer = prompter.ask("Go on?", Buttons::YesNo, Answer::Yes);
    progress.end();
  });
  EXPECT_NE(workerThread, std::this_thread::get_id());
  EXPECT_TRUE(f.prompter.saw("halfway"));
  EXPECT_TRUE(onGuiThread);
  EXPECT_FALSE(windowEnabledDuringJob);
  EXPECT_EQ(answer, Answer::No);
  EXPECT_TRUE(form.isEnabled());
  EXPECT_TRUE(f.state().WindowEnabled);
  EXPECT_EQ(form.segmentStatus(), "No file loaded");
}

TEST(Progress, WorkerFailureIsReportedNotThrown) {
  WindowFixture f;
  f.form().runInBackground([](ProgressSink& progress, Prompter&) {
    progress.begin("Loading file...", 3);
    throw std::bad_alloc();
  });
  EXPECT_TRUE(f.prompter.saw("Not enough memory"));
  EXPECT_TRUE(f.form().isEnabled());
  EXPECT_FALSE(f.form().control("StatusGauge")->isVisibleTo(&f.form()));
}

namespace {

void sendMouse(QWidget* pane, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::NoButton) {
  const Qt::MouseButtons buttons = type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
  QMouseEvent event(type, QPointF(pos), pane->mapToGlobal(QPointF(pos)), button, buttons, Qt::NoModifier);
  QCoreApplication::sendEvent(pane, &event);
}

}  // namespace

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
  sendMouse(form.control("FlowBox"), QEvent::MouseButtonPress, QPoint(8 * 7 + 3, 10), Qt::LeftButton);
  EXPECT_EQ(f.state().CurrentSegment, 7);
  sendMouse(form.control("TagBox"), QEvent::MouseButtonPress, QPoint(8 * 9, 5), Qt::LeftButton);
  EXPECT_EQ(f.state().CurrentSegment, 9);

  QWidget* time = form.control("TimeBox");
  sendMouse(time, QEvent::MouseButtonPress, QPoint(60, 60), Qt::LeftButton);
  sendMouse(time, QEvent::MouseButtonRelease, QPoint(60, 60), Qt::LeftButton);
  EXPECT_EQ(f.state().ViewMode, WaveformView);
  // The large pane selects nothing outside Sonogram view.
  sendMouse(form.control("SonoBox"), QEvent::MouseButtonPress, QPoint(8 * 20, 5), Qt::LeftButton);
  EXPECT_EQ(f.state().CurrentSegment, 9);
}
