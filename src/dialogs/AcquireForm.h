// "New Recording": monitors an acquisition device, records a take of up to
// 1800 segments into the document's recording, plays a recorded channel
// back, and hands the take over on OK. The window moves through three
// states: 0 idle, 1 monitoring, 2 recording or playing; it can only close
// from state 0.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "acquisition/AcquisitionTake.h"
#include "analysis/TargetFlow.h"

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSlider;
class QTimer;

namespace vode {

class AcquisitionDevice;
class AudioOutput;
class MonitorOutput;
class Document;
class FlowGauge;
class Prompter;
struct Recording;

class AcquireForm : public QDialog {
  Q_OBJECT

 public:
  enum State { Idle = 0, Monitoring = 1, Busy = 2 };

  AcquireForm(Document& doc, AcquisitionDevice& device, AudioOutput& audio, Prompter& prompter,
              QWidget* parent = nullptr);
  ~AcquireForm() override;

  // The Record button: Monitor in state 0, Record in state 1, Stop in state 2.
  void RecordBitBtnClick();
  // Play n (1 or 2) in state 0; pressed again (captioned "&Stop") it stops.
  void PlayBitBtnClick(int n);
  // Hands the take over to the document and closes with OK; without a
  // recording the window closes as cancelled.
  void OKBitBtnClick();
  // The background counter clicked: while monitoring, the breath level of
  // now becomes the zero of the breath signal.
  void BackCounterClick();
  // The 20 ms tick: reads the device, records, updates gauge, bar, counters.
  void AcqTimerTimer();

  void BreathRadioGroupClick();
  void TargetRadioGroupClick();
  // The custom target box left; false (message shown, focus kept) when it
  // does not hold a number.
  bool FlowEditExit();
  // "Channel #1 must be utilized" when name 1 is left empty.
  bool Sound1ComboBoxExit();
  void Sound2ComboBoxChange();
  void GainTrackBarChange();
  void ChanTrackBarChange();

  // Reads the target group and hands the target to the gauge and the phase
  // table. false when the custom value is not a number (nothing changes).
  bool set_target_flow();
  // Stores the window's choices into the channel set-up and computes the
  // calibration from the preferences.
  void get_settings();
  void DisableForMonitoring(bool on);
  void DisableForRecording(bool on);

  // Cancel, Escape and the window's close button work only in state 0, and
  // once something was recorded only after "Discard the recording?" is
  // answered Yes.
  void reject() override;

  int AcquireState() const { return state_; }
  const TargetFlow& target() const { return target_; }
  int breathChoice() const { return breathChoice_; }
  int soundChannels() const { return soundChannels_; }
  int recordedSegments() const { return take_ ? take_->recordedSegments() : 0; }
  const AcquisitionCalibration& calibration() const { return calibration_; }
  FlowGauge& gauge() const { return *FlowGaugeBox; }

  // Where the monitored sound goes from the next Monitor on; silent until set.
  void useMonitor(MonitorOutput& output) { monitor_ = &output; }

  // Makes the take's 1800-segment recording; nullptr when memory runs out.
  // Tests replace it.
  std::function<std::unique_ptr<Recording>(int channels)> newRecording;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void build();
  void open();
  void relabelTargetGroup();
  void resetCounters();
  void setStatus(const QString& text, const QColor& textColour, const QColor& background);
  void setCounterColour(const QColor& colour);
  bool startMonitoring();
  void startRecording();
  void stopRecording();
  void stopPlaying(int n);
  void endTake();
  int setupChannels() const;
  QPushButton* playButton(int n) const;
  void updateDisplays();

  Document& doc_;
  AcquisitionDevice& device_;
  AudioOutput& audio_;
  std::unique_ptr<MonitorOutput> silentMonitor_;
  MonitorOutput* monitor_;
  std::vector<std::int16_t> monitored_;
  Prompter& prompter_;

  int state_ = Idle;
  int breathChoice_ = 0;  // 0 pneumotach, 1 strain gauge; set from the set-up on opening
  TargetFlow target_;
  AcquisitionCalibration calibration_;
  std::unique_ptr<AcquisitionTake> take_;
  std::vector<std::int16_t> blocks_;
  int soundChannels_ = 1;
  int clipped_ = 0;
  int playChannel_ = 0;
  int64_t playPosition_ = -1;  // ms; -1 until a playback starts
  int64_t playLength_ = 0;     // ms
  int breathLevel_ = 0;  // the last measured breath level, converter counts

  QComboBox* Sound1ComboBox = nullptr;
  QComboBox* Sound2ComboBox = nullptr;
  QLabel* Sound1Label = nullptr;
  QLabel* Sound2Label = nullptr;
  QSlider* GainTrackBar = nullptr;
  QLabel* GainLabel = nullptr;
  QLabel* GainValueLabel = nullptr;
  QSlider* ChanTrackBar = nullptr;
  QLabel* ChanLabel = nullptr;
  QLabel* ChanValueLabel = nullptr;
  QGroupBox* BreathBox = nullptr;
  QButtonGroup* BreathRadioGroup = nullptr;
  QGroupBox* TargetBox = nullptr;
  QButtonGroup* TargetRadioGroup = nullptr;
  QLineEdit* FlowEdit = nullptr;
  FlowGauge* FlowGaugeBox = nullptr;
  QProgressBar* AmplitudeBar = nullptr;
  QLabel* InspCounter = nullptr;
  QLabel* ExpCounter = nullptr;
  QPushButton* BackCounter = nullptr;
  QLabel* CounterLabel = nullptr;
  QLabel* StatusPanel = nullptr;
  QPushButton* RecordBitBtn = nullptr;
  QPushButton* Play1BitBtn = nullptr;
  QPushButton* Play2BitBtn = nullptr;
  QPushButton* OKBitBtn = nullptr;
  QPushButton* CancelBitBtn = nullptr;
  QTimer* AcqTimer = nullptr;
};

// The window's caption for a subject: "Recording for " + last + ", " + first
// (cut to 62 characters), or "Recording for UNKNOWN" without a name.
QString recordingCaption(const std::string& lastName, const std::string& firstName);

}  // namespace vode
