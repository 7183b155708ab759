// "New Recording" and File/New: the targets the window derives, the state
// machine with a device the test feeds, the messages, and a take from the
// simulated subject that is saved and read back by vode-cli.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QProcess>
#include <QSlider>
#include <QTest>

#include "acquisition/SimulatedDevice.h"
#include "analysis/AnalysisCommand.h"
#include "app/NewRecordingCommand.h"
#include "audio/MonitorOutput.h"
#include "dialogs/AcquireForm.h"
#include "dialogs/FlowGauge.h"
#include "support/GuiTestSupport.h"

using namespace vode;
using namespace vode::test;

namespace {

// Delivers `pending` blocks at the next read: every sample of sound channel 1
// `sound`, of the other sound channels `second`, every breath sample `breath`
// counts.
class ScriptedDevice : public AcquisitionDevice {
 public:
  int channels = 0, gain = 0, starts = 0, pending = 0;
  int16_t sound = 1000, second = 1000, breath = 0;
  std::string description() const override { return "scripted"; }
  bool start(int c, int g, std::string&) override {
    channels = c;
    gain = g;
    ++starts;
    return true;
  }
  void stop() override { pending = 0; }
  int read(std::vector<int16_t>& blocks) override {
    for (int b = 0; b < pending; ++b) {
      blocks.insert(blocks.end(), 1024, sound);
      blocks.insert(blocks.end(), static_cast<size_t>(channels - 1) * 1024, second);
      blocks.insert(blocks.end(), 1024, breath);
    }
    return std::exchange(pending, 0);
  }
};

// Keeps what the window streams while it is started.
struct ScriptedMonitor : MonitorOutput {
  int rate = 0;
  bool on = false;
  std::vector<int16_t> heard;
  bool start(int r) override { return rate = r, on = true; }
  void write(std::span<const int16_t> s) override { heard.insert(heard.end(), s.begin(), s.end()); }
  void stop() override { on = false; }
  std::string errorText() const override { return {}; }
};

struct Acquire : WindowFixture {
  ScriptedDevice device;
  std::unique_ptr<AcquireForm> window() {
    return std::make_unique<AcquireForm>(doc(), device, form().audioOutput(), prompter);
  }
  template <typename W = QWidget>
  static W* child(AcquireForm& w, const char* name) {
    W* found = w.findChild<W*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  static void press(AcquireForm& w, const char* name) { child<QAbstractButton>(w, name)->click(); }
  // Shown and active, so that keys reach its focused control.
  std::unique_ptr<AcquireForm> shownWindow() {
    auto w = window();
    w->show();
    QApplication::setActiveWindow(w.get());
    return w;
  }
  static void key(Qt::Key k) {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : QApplication::activeWindow(), k);
    QApplication::processEvents();
  }
  static QString text(AcquireForm& w, const char* name) {
    if (auto* b = w.findChild<QAbstractButton*>(name)) return b->text();
    return child<QLabel>(w, name)->text();
  }
};

}  // namespace

TEST(AcquireForm, TargetsGaugeAndCaptionFollowTheChoices) {
  Acquire f;
  f.doc().subject.weight = 50.0f;
  auto w = f.window();
  EXPECT_EQ(w->windowTitle(), "Recording for UNKNOWN");
  for (QWidget* box : w->findChildren<QWidget*>()) {
    if (qobject_cast<QComboBox*>(box) || qobject_cast<QLineEdit*>(box) || qobject_cast<QSlider*>(box)) {
      EXPECT_FALSE(box->accessibleName().isEmpty()) << box->objectName().toStdString();
    }
  }
  EXPECT_EQ(w->target().target, 380);  // 0.375 L/s: halves go to even
  EXPECT_EQ(w->target().tolerance, 75);
  EXPECT_EQ(w->gauge().range(), 570);
  EXPECT_EQ(w->gauge().inspirationLow(), 305);
  EXPECT_EQ(w->gauge().inspirationHigh(), 455);
  EXPECT_EQ(w->gauge().inspirationLabel(), "0.38 L/s");
  EXPECT_EQ(w->gauge().expirationLabel(), "-0.38 L/s");
  EXPECT_FLOAT_EQ(f.doc().phaseTable->inspLow, 0.305f);

  // The custom value is kept at 0.10 at least and shown as it is used.
  f.child<QAbstractButton>(*w, "TargetRadioGroup3")->click();
  auto* edit = f.child<QLineEdit>(*w, "FlowEdit");
  edit->setText("0.04");
  EXPECT_TRUE(w->FlowEditExit());
  EXPECT_EQ(edit->text(), "0.10");
  EXPECT_EQ(w->target().target, 100);
  EXPECT_EQ(w->target().tolerance, 20);

  toggleAccessibly(f.child(*w, "TargetRadioGroup1"));
  toggleAccessibly(f.child(*w, "BreathRadioGroup1"));
  EXPECT_EQ(f.child<QAbstractButton>(*w, "TargetRadioGroup1")->text(), "Medium (2.5V)");
  EXPECT_EQ(w->target().target, 2500);
  EXPECT_EQ(w->target().tolerance, 500);
  EXPECT_EQ(w->gauge().inspirationLabel(), "2.50 V");
  EXPECT_EQ(w->gauge().expirationLabel(), "-2.50 V");
  EXPECT_FLOAT_EQ(f.doc().phaseTable->backgroundFlow, 0.25f);

  f.doc().subject.lastName = std::string(40, 'L');
  f.doc().subject.firstName = "Ann";
  EXPECT_EQ(f.window()->windowTitle(), "Recording for " + QString(30, 'L') + ", Ann");
}

TEST(AcquireForm, ACustomTargetThatIsNoNumberStopsMonitorBeforeAnythingChanges) {
  Acquire f;
  f.load(Recording::create(20, 1));
  auto w = f.window();
  f.child<QAbstractButton>(*w, "TargetRadioGroup3")->click();
  f.child<QLineEdit>(*w, "FlowEdit")->setText("abc");
  w->RecordBitBtnClick();
  EXPECT_TRUE(f.prompter.saw("'abc' is not a valid floating point value"));
  EXPECT_EQ(w->AcquireState(), AcquireForm::Idle);
  EXPECT_EQ(f.device.starts, 0);
  EXPECT_EQ(f.doc().recording->segmentCount, 20);
  EXPECT_EQ(f.text(*w, "StatusPanel"), "Waiting");
}

TEST(AcquireForm, OneNamedChannelRecordsOneChannelAndPlaysIt) {
  Acquire f;
  f.doc().channelSetup.channelNames[0] = "TRA";
  f.doc().channelSetup.channelNames[1] = "";
  auto w = f.window();
  EXPECT_EQ(f.child<QSlider>(*w, "ChanTrackBar")->value(), 0);
  EXPECT_EQ(f.text(*w, "ChanValueLabel"), "1");
  EXPECT_FALSE(f.child(*w, "OKBitBtn")->isEnabled());
  f.child<QSlider>(*w, "GainTrackBar")->setValue(2);
  EXPECT_EQ(f.text(*w, "GainValueLabel"), "400");

  w->RecordBitBtnClick();
  EXPECT_EQ(w->AcquireState(), AcquireForm::Monitoring);
  EXPECT_EQ(f.device.channels, 1);
  EXPECT_EQ(f.device.gain, 400);
  EXPECT_EQ(f.text(*w, "StatusPanel"), "Monitoring");
  EXPECT_EQ(f.text(*w, "RecordBitBtn"), "&Record");
  EXPECT_FALSE(f.child(*w, "BreathRadioGroup")->isEnabled());
  EXPECT_FALSE(f.child(*w, "CancelBitBtn")->isEnabled());

  // The level measured while monitoring becomes the breath signal's zero.
  f.device.breath = 100;
  f.device.pending = 2;
  w->AcqTimerTimer();
  w->BackCounterClick();
  EXPECT_EQ(w->calibration().zeroOffset, 100);
  EXPECT_EQ(w->recordedSegments(), 0);

  w->RecordBitBtnClick();
  EXPECT_EQ(f.text(*w, "StatusPanel"), "Recording");
  EXPECT_EQ(f.text(*w, "CounterLabel"), "Recorded 0.0 seconds");
  EXPECT_FALSE(f.child(*w, "TargetRadioGroup")->isEnabled());
  f.device.pending = 25;
  w->AcqTimerTimer();
  EXPECT_EQ(f.text(*w, "CounterLabel"), "Recorded 2.5 seconds");
  w->RecordBitBtnClick();

  ASSERT_TRUE(f.doc().recording);
  EXPECT_EQ(f.doc().recording->channelCount, 1);
  EXPECT_EQ(f.doc().recording->segmentCount, 25);
  EXPECT_EQ(f.doc().tagTable->segments(), 25);
  EXPECT_EQ(f.doc().recording->flow[0], 0);
  EXPECT_EQ(f.doc().channelSetup.gain, 2);
  EXPECT_EQ(f.text(*w, "StatusPanel"), "Stopped");
  EXPECT_TRUE(f.child(*w, "Play1BitBtn")->isEnabled());
  EXPECT_FALSE(f.child(*w, "Play2BitBtn")->isEnabled());

  w->PlayBitBtnClick(1);
  EXPECT_EQ(f.text(*w, "StatusPanel"), "Playing 1");
  EXPECT_EQ(f.text(*w, "Play1BitBtn"), "&Stop");
  EXPECT_FALSE(f.child(*w, "OKBitBtn")->isEnabled());
  w->PlayBitBtnClick(1);
  EXPECT_EQ(f.text(*w, "StatusPanel"), "Stopped");
  EXPECT_EQ(f.text(*w, "Play1BitBtn"), "Play &1");

  // The take is handed over with its peak reset and its volume.
  f.doc().peakAmplitude = 5;
  w->OKBitBtnClick();
  EXPECT_EQ(w->result(), QDialog::Accepted);
  EXPECT_EQ(f.doc().peakAmplitude, 0);  // offsets removed: a constant channel is 0
}

TEST(AcquireForm, TheMonitorSliderPicksWhatIsHeardWhileMonitoringAndRecording) {
  Acquire f;
  f.doc().channelSetup.channelNames[0] = "TRA";
  f.doc().channelSetup.channelNames[1] = "RLL";
  ScriptedMonitor monitor;
  auto w = f.window();
  w->useMonitor(monitor);
  w->RecordBitBtnClick();
  EXPECT_TRUE(monitor.on);
  EXPECT_EQ(monitor.rate, SoundRate);
  f.device.sound = 1000;
  f.device.second = -3001;
  // Heard, and the amplitude bar (the peak / 16) of the same choice.
  for (auto [position, heard, bar] : {std::tuple{0, 1000, 62}, {1, -1000, 187}, {2, -3001, 187}}) {
    f.child<QSlider>(*w, "ChanTrackBar")->setValue(position);
    if (position == 2) w->RecordBitBtnClick();
    monitor.heard.clear();
    f.device.pending = 2;
    w->AcqTimerTimer();
    EXPECT_EQ(monitor.heard, std::vector<int16_t>(2048, static_cast<int16_t>(heard))) << position;
    EXPECT_EQ(f.child<QProgressBar>(*w, "AmplitudeBar")->value(), bar) << position;
  }
  w->RecordBitBtnClick();
  EXPECT_FALSE(monitor.on);
}

TEST(AcquireForm, FourSetUpChannelsNoDataAndNoMemory) {
  Acquire f;
  f.doc().channelSetup.setupChannelCount = 4;
  f.doc().channelSetup.gain = 2;
  auto w = f.window();
  EXPECT_FALSE(f.child(*w, "Sound1ComboBox")->isEnabled());
  EXPECT_FALSE(f.child(*w, "GainTrackBar")->isEnabled());
  EXPECT_EQ(f.doc().channelSetup.gain, 0);

  w->RecordBitBtnClick();
  EXPECT_TRUE(f.prompter.saw("Preparing to acquire 4 channels"));
  EXPECT_EQ(f.device.channels, 4);
  EXPECT_EQ(f.device.gain, 100);
  w->RecordBitBtnClick();
  w->AcqTimerTimer();  // nothing arrives
  w->RecordBitBtnClick();
  EXPECT_FALSE(f.doc().recording);
  EXPECT_FALSE(f.child(*w, "Sound2ComboBox")->isEnabled());
  w->OKBitBtnClick();
  EXPECT_EQ(w->result(), QDialog::Rejected);

  // Without memory for the take the window stays ready for another Monitor.
  auto again = f.window();
  again->newRecording = [](int) { return nullptr; };
  again->RecordBitBtnClick();
  EXPECT_TRUE(f.prompter.saw("Error: Not enough memory"));
  EXPECT_EQ(again->AcquireState(), AcquireForm::Idle);
  EXPECT_EQ(f.text(*again, "RecordBitBtn"), "&Monitor");
  EXPECT_TRUE(f.child(*again, "CancelBitBtn")->isEnabled());
}

TEST(AcquireForm, EnterInAnEditBoxConfirmsItAndNeverStartsATake) {
  Acquire f;
  f.doc().channelSetup.channelNames[0] = "TRA";
  auto w = f.shownWindow();
  auto* first = f.child<QComboBox>(*w, "Sound1ComboBox");
  first->setFocus(Qt::TabFocusReason);
  f.key(Qt::Key_Return);
  EXPECT_EQ(QApplication::focusWidget(), f.child(*w, "Sound2ComboBox"));
  first->setFocus(Qt::TabFocusReason);
  first->setEditText(" ");
  f.key(Qt::Key_Enter);
  EXPECT_TRUE(f.prompter.saw("Channel #1 must be utilized"));
  EXPECT_EQ(QApplication::focusWidget(), first);

  // While monitoring Record is the default button; Enter in the custom
  // target box still only confirms the box.
  first->setEditText("TRA");
  w->RecordBitBtnClick();
  f.child<QAbstractButton>(*w, "TargetRadioGroup3")->click();
  auto* flow = f.child<QLineEdit>(*w, "FlowEdit");
  flow->setFocus(Qt::TabFocusReason);
  flow->setText("0.04");
  f.key(Qt::Key_Return);
  EXPECT_EQ(flow->text(), "0.10");
  EXPECT_EQ(w->AcquireState(), AcquireForm::Monitoring);
  EXPECT_EQ(f.device.starts, 1);
}

TEST(AcquireForm, CancelAndEscapeAskBeforeATakeIsDiscarded) {
  Acquire f;
  f.doc().channelSetup.channelNames[0] = "TRA";
  auto w = f.shownWindow();
  f.key(Qt::Key_Escape);  // nothing recorded: no question
  EXPECT_FALSE(w->isVisible());
  EXPECT_TRUE(f.prompter.questions.empty());

  w = f.shownWindow();
  w->RecordBitBtnClick();
  w->RecordBitBtnClick();
  f.device.pending = 5;
  w->AcqTimerTimer();
  w->RecordBitBtnClick();
  f.prompter.answers = {Answer::No, Answer::Yes};
  f.key(Qt::Key_Escape);
  EXPECT_TRUE(f.prompter.asked("Discard the recording?"));
  EXPECT_TRUE(w->isVisible());
  f.press(*w, "CancelBitBtn");
  EXPECT_EQ(f.prompter.questions.size(), 2u);
  EXPECT_FALSE(w->isVisible());
}

// Three minutes of the simulated subject, tagged as the analysis tags an
// opened file: the subject breathes to the window's target at any weight.
TEST(NewRecording, TheSimulatedSubjectBreathesToTheWindowsTarget) {
  for (const float weight : {50.0f, 85.0f}) {
    Acquire f;
    int64_t now = 0;
    SimulatedDevice device({}, [&now] { return now; });
    f.doc().subject.weight = weight;
    f.doc().channelSetup.channelNames[0] = "TRA";
    AcquireForm w(f.doc(), device, f.form().audioOutput(), f.prompter);
    w.RecordBitBtnClick();
    w.RecordBitBtnClick();
    for (int step = 0; step < 36; ++step) {
      now += 5000;  // what the device keeps for a window that reads late
      w.AcqTimerTimer();
    }
    ASSERT_EQ(w.AcquireState(), AcquireForm::Idle);  // full: stopped by itself
    w.OKBitBtnClick();
    NullProgress none;
    CalculateTags(f.doc(), f.doc(), true, none, f.prompter);
    ASSERT_EQ(f.doc().recording->segmentCount, MaxSegments);
    int untagged = 0;  // 316 and 313; 1468 when the subject ignored the target
    for (int s = 0; s < MaxSegments; ++s) untagged += f.doc().tagTable->phase(s) == 0;
    EXPECT_LT(untagged, MaxSegments / 4) << weight << " kg";
  }
}

TEST(NewRecording, ThreeSecondsFromTheSimulatedSubjectSavedAndReadBack) {
  Acquire f;
  int64_t now = 0;
  f.form().workspace().useAcquisitionDevice(std::make_unique<SimulatedDevice>(SimulatedDevice::Options{}, [&now] { return now; }));
  auto* command = new NewRecordingCommand(f.form(), f.commands());
  EXPECT_TRUE(f.form().action("New1")->isEnabled());
  f.doc().subject.weight = 70.0f;
  f.doc().channelSetup.channelNames[0] = "TRA";
  f.doc().channelSetup.channelNames[1] = "RML";

  // Cancel: nothing is kept, but the subject and channel set-up are.
  command->runDialog = [&](QDialog& d) {
    if (auto* w = qobject_cast<AcquireForm*>(&d)) w->reject();
    else d.accept();
    return d.result();
  };
  command->NewClick();
  EXPECT_FALSE(f.doc().hasRecording());
  EXPECT_EQ(f.doc().subject.weight, 70.0f);
  EXPECT_EQ(f.doc().channelSetup.channelNames[1].str(), "RML");

  command->runDialog = [&](QDialog& d) {
    if (auto* w = qobject_cast<AcquireForm*>(&d)) {
      w->RecordBitBtnClick();
      w->RecordBitBtnClick();
      now += 3000;
      w->AcqTimerTimer();
      w->RecordBitBtnClick();
      w->OKBitBtnClick();
    } else {
      d.accept();
    }
    return d.result();
  };
  command->NewClick();
  ASSERT_TRUE(f.doc().hasRecording());
  EXPECT_EQ(f.doc().state.currentFileName, "Untitled");
  EXPECT_TRUE(f.doc().state.modified);
  EXPECT_EQ(shownCaption(f.form()), "R.E.Z.U. Vode - Untitled*");
  EXPECT_EQ(f.doc().recording->segmentCount, 30);

  const std::string path = f.temp.file("take.mer");
  f.prompter.saveChoices.push_back({path, 1});
  ASSERT_TRUE(f.commands().SaveAsClick());
  QProcess cli;
  cli.start(VODE_CLI_PATH, {"info", QString::fromStdString(path)});
  ASSERT_TRUE(cli.waitForFinished(30000));
  const QString info = QString::fromUtf8(cli.readAllStandardOutput());
  EXPECT_EQ(cli.exitCode(), 0) << info.toStdString();
  EXPECT_TRUE(info.contains("\"channels\":2,")) << info.toStdString();
  EXPECT_TRUE(info.contains("\"segments\":30,")) << info.toStdString();
  EXPECT_TRUE(info.contains("\"channelNames\":[\"TRA\",\"RML\",")) << info.toStdString();
}
