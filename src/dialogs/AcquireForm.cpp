#include "dialogs/AcquireForm.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <new>
#include <span>

#include "acquisition/AcquisitionDevice.h"
#include "audio/AudioOutput.h"
#include "audio/MonitorOutput.h"
#include "dialogs/DialogSupport.h"
#include "dialogs/FlowGauge.h"
#include "document/Document.h"
#include "model/Prompter.h"

namespace vode {

namespace {

constexpr int CustomTarget = 3;
constexpr int StrainGauge = 1;
const char* const MonitorLabels[3] = {"1", "1+2", "2"};

QString trimmedText(const QComboBox* box) { return box->currentText().trimmed(); }

// A copy of the first `segments` segments of a table: the take's table was
// made for 1800 segments and must match the recording it travels with.
std::unique_ptr<TagTable> shrunkTable(const TagTable& table, int segments) {
  auto shrunk = std::make_unique<TagTable>();
  if (shrunk->create(table.rows(), segments) != 0) return shrunk;
  std::copy_n(table.phaseData(), segments, shrunk->phaseData());
  for (int c = 0; c < table.rows(); ++c) std::copy_n(table.flagRow(c), segments, shrunk->flagRow(c));
  return shrunk;
}

}  // namespace

QString recordingCaption(const std::string& lastName, const std::string& firstName) {
  if (lastName.empty() && firstName.empty()) return "Recording for UNKNOWN";
  return "Recording for " + recordText(lastName + ", " + firstName).left(62);
}

AcquireForm::AcquireForm(Document& doc, AcquisitionDevice& device, AudioOutput& audio, Prompter& prompter,
                         QWidget* parent)
    : QDialog(parent),
      doc_(doc),
      device_(device),
      audio_(audio),
      silentMonitor_(std::make_unique<SilentMonitorOutput>()),
      monitor_(silentMonitor_.get()),
      prompter_(prompter) {
  setObjectName("AcquireForm");
  setWindowTitle("New Recording");
  setModal(true);
  newRecording = [](int channels) -> std::unique_ptr<Recording> {
    try {
      return std::make_unique<Recording>(Recording::create(MaxSegments, channels));
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
  };
  build();
  open();
}

AcquireForm::~AcquireForm() {
  AcqTimer->stop();
  device_.stop();
  monitor_->stop();
  if (playPosition_ >= 0) audio_.close();
}

void AcquireForm::build() {
  auto* outer = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  outer->addLayout(top);

  // Left column: names, sliders, breath choice and target.
  auto* left = new QVBoxLayout;
  top->addLayout(left);
  QGroupBox* names = soundChannelsGroup(this, Sound1ComboBox, Sound2ComboBox, &Sound1Label, &Sound2Label);
  left->addWidget(names);

  auto* sliders = new QGridLayout;
  left->addLayout(sliders);
  auto slider = [&](int row, const QString& caption, const QString& name, const QString& tip, QLabel*& label,
                    QLabel*& value) {
    label = new QLabel(caption, this);
    label->setObjectName(name.left(name.size() - 8) + "Label");
    auto* bar = new QSlider(Qt::Horizontal, this);
    bar->setObjectName(name);
    bar->setRange(0, 2);
    bar->setPageStep(1);
    bar->setTickPosition(QSlider::TicksBelow);
    bar->setToolTip(tip);
    bar->setAccessibleName(caption);
    label->setBuddy(bar);
    value = new QLabel(this);
    value->setObjectName(name.left(name.size() - 8) + "ValueLabel");
    value->setMinimumWidth(QFontMetrics(font()).horizontalAdvance("4000"));
    sliders->addWidget(label, row, 0);
    sliders->addWidget(bar, row, 1);
    sliders->addWidget(value, row, 2);
    return bar;
  };
  GainTrackBar = slider(0, "Gain", "GainTrackBar", "Select gain (amplification)", GainLabel, GainValueLabel);
  ChanTrackBar = slider(1, "Chan", "ChanTrackBar", "Select sound channel to monitor", ChanLabel, ChanValueLabel);

  BreathBox = radioGroupBox(this, "BreathRadioGroup", "Breath Channel", {"Pneumotach", "Strain Gauge"},
                            BreathRadioGroup, "Type of breath signal to record");
  left->addWidget(BreathBox);
  // The items are labelled by the breath choice (relabelTargetGroup).
  TargetBox = radioGroupBox(this, "TargetRadioGroup", "Target Flow", {"", "", "", ""}, TargetRadioGroup, "");
  FlowEdit = editOver(static_cast<QRadioButton*>(TargetRadioGroup->button(CustomTarget)), "FlowEdit", 5,
                      "Target Flow");
  left->addWidget(TargetBox);
  left->addStretch();

  // Middle: the breath gauge and the signal amplitude.
  FlowGaugeBox = new FlowGauge(this);
  top->addWidget(FlowGaugeBox);
  AmplitudeBar = new QProgressBar(this);
  AmplitudeBar->setObjectName("AmplitudeBar");
  AmplitudeBar->setOrientation(Qt::Vertical);
  AmplitudeBar->setRange(0, 2048);
  AmplitudeBar->setTextVisible(false);
  AmplitudeBar->setToolTip("Signal amplitude");
  AmplitudeBar->setAccessibleName("Signal amplitude");
  top->addWidget(AmplitudeBar);

  // Counters, the seconds text and the status.
  auto* counters = new QHBoxLayout;
  outer->addLayout(counters);
  auto panel = [&](const QString& name, int width, const QString& tip) {
    auto* label = new QLabel(this);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMinimumWidth(width);
    label->setToolTip(tip);
    label->setAccessibleName(tip);
    return label;
  };
  InspCounter = panel("InspCounter", 48, "Number of target inspirations");
  ExpCounter = panel("ExpCounter", 48, "Number of target expirations");
  counters->addWidget(InspCounter);
  counters->addWidget(ExpCounter);
  BackCounter = new QPushButton("0", this);
  BackCounter->setObjectName("BackCounter");
  BackCounter->setFlat(true);
  BackCounter->setMinimumWidth(48);
  BackCounter->setToolTip("Number of background segments");
  BackCounter->setAccessibleName("Number of background segments");
  BackCounter->setAutoDefault(false);
  counters->addWidget(BackCounter);
  CounterLabel = new QLabel(this);
  CounterLabel->setObjectName("CounterLabel");
  counters->addWidget(CounterLabel, 1);
  StatusPanel = panel("StatusPanel", 110, QString());
  StatusPanel->setAutoFillBackground(true);
  counters->addWidget(StatusPanel);

  auto* buttons = new QHBoxLayout;
  outer->addLayout(buttons);
  auto button = [&](const QString& caption, const QString& name) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    buttons->addWidget(b);
    return b;
  };
  RecordBitBtn = button("&Monitor", "RecordBitBtn");
  Play1BitBtn = button("Play &1", "Play1BitBtn");
  Play2BitBtn = button("Play &2", "Play2BitBtn");
  buttons->addStretch();
  auto* closing = new QWidget(this);
  auto* closingRow = new QHBoxLayout(closing);
  closingRow->setContentsMargins(0, 0, 0, 0);
  buttons->addWidget(closing);
  OKBitBtn = new QPushButton("OK", closing);
  OKBitBtn->setObjectName("OKBitBtn");
  OKBitBtn->setAutoDefault(false);
  CancelBitBtn = new QPushButton("Cancel", closing);
  CancelBitBtn->setObjectName("CancelBitBtn");
  CancelBitBtn->setAutoDefault(false);
  closingRow->addWidget(OKBitBtn);
  closingRow->addWidget(CancelBitBtn);

  AcqTimer = new QTimer(this);
  AcqTimer->setObjectName("AcqTimer");
  AcqTimer->setInterval(20);

  connect(RecordBitBtn, &QPushButton::clicked, this, [this] { RecordBitBtnClick(); });
  connect(Play1BitBtn, &QPushButton::clicked, this, [this] { PlayBitBtnClick(1); });
  connect(Play2BitBtn, &QPushButton::clicked, this, [this] { PlayBitBtnClick(2); });
  connect(OKBitBtn, &QPushButton::clicked, this, [this] { OKBitBtnClick(); });
  connect(CancelBitBtn, &QPushButton::clicked, this, [this] { reject(); });
  connect(BackCounter, &QPushButton::clicked, this, [this] { BackCounterClick(); });
  connect(AcqTimer, &QTimer::timeout, this, [this] { AcqTimerTimer(); });
  onPicked(BreathRadioGroup, this, [this](int) { BreathRadioGroupClick(); });
  onPicked(TargetRadioGroup, this, [this](int) { TargetRadioGroupClick(); });
  connect(GainTrackBar, &QSlider::valueChanged, this, [this] { GainTrackBarChange(); });
  connect(ChanTrackBar, &QSlider::valueChanged, this, [this] { ChanTrackBarChange(); });
  connect(Sound2ComboBox, &QComboBox::editTextChanged, this, [this] { Sound2ComboBoxChange(); });
  onLeaving(FlowEdit, closing, [this] { return FlowEditExit(); });
  onLeaving(Sound1ComboBox, closing, [this] { return Sound1ComboBoxExit(); });
  // Monitor and Record are default buttons; typing a name or a target must
  // not start either.
  for (QWidget* box : {static_cast<QWidget*>(Sound1ComboBox), static_cast<QWidget*>(Sound2ComboBox),
                       static_cast<QWidget*>(FlowEdit)})
    enterMovesOn(box);
}

int AcquireForm::setupChannels() const { return doc_.channelSetup.setupChannelCount; }

void AcquireForm::open() {
  const SubjectRecord& subject = doc_.subject;
  setWindowTitle(recordingCaption(subject.lastName.str(), subject.firstName.str()));

  // Beyond two channels the names and the gain come from the channel set-up.
  const bool few = setupChannels() <= 2;
  for (QWidget* w : {static_cast<QWidget*>(Sound1ComboBox), static_cast<QWidget*>(Sound2ComboBox),
                     static_cast<QWidget*>(Sound1Label), static_cast<QWidget*>(Sound2Label),
                     static_cast<QWidget*>(GainTrackBar), static_cast<QWidget*>(GainLabel),
                     static_cast<QWidget*>(GainValueLabel)})
    w->setEnabled(few);
  if (!few) doc_.channelSetup.gain = 0;

  // Made on first use; set_target_flow hands it the limits from now on.
  doc_.phases();

  const ChannelSetup& setup = doc_.channelSetup;
  breathChoice_ = setup.airflowKind == StrainGauge ? StrainGauge : 0;
  checkButton(BreathRadioGroup, breathChoice_);
  FlowEdit->setText(fixedText(setup.targetFlow, 1));
  checkButton(TargetRadioGroup, std::clamp<int>(setup.targetFlowChoice, 0, CustomTarget));
  relabelTargetGroup();
  FlowEdit->setEnabled(checkedIndex(TargetRadioGroup, 0) == CustomTarget);
  set_target_flow();

  Sound1ComboBox->setEditText(recordText(setup.channelNames[0].str()));
  Sound2ComboBox->setEditText(recordText(setup.channelNames[1].str()));
  GainTrackBar->setValue(std::clamp<int>(setup.gain, 0, 2));
  ChanTrackBar->setValue(trimmedText(Sound2ComboBox).isEmpty() ? 0 : 1);
  GainTrackBarChange();
  ChanTrackBarChange();

  RecordBitBtn->setText("&Monitor");
  RecordBitBtn->setToolTip("Begin monitoring");
  RecordBitBtn->setDefault(true);
  state_ = Idle;
  setStatus("Waiting", Qt::black, palette().color(QPalette::Window));
  OKBitBtn->setEnabled(false);
  Play1BitBtn->setEnabled(false);
  Play2BitBtn->setEnabled(false);
  CounterLabel->clear();
  resetCounters();
}

void AcquireForm::setStatus(const QString& text, const QColor& textColour, const QColor& background) {
  StatusPanel->setText(text);
  QPalette p = StatusPanel->palette();
  p.setColor(QPalette::WindowText, textColour);
  p.setColor(QPalette::Window, background);
  StatusPanel->setPalette(p);
}

void AcquireForm::setCounterColour(const QColor& colour) {
  for (QWidget* w : {static_cast<QWidget*>(InspCounter), static_cast<QWidget*>(ExpCounter),
                     static_cast<QWidget*>(BackCounter)}) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::ButtonText, colour);
    w->setPalette(p);
  }
}

void AcquireForm::resetCounters() {
  for (QLabel* l : {InspCounter, ExpCounter}) l->setText("0");
  BackCounter->setText("0");
  setCounterColour(Qt::gray);
}

void AcquireForm::relabelTargetGroup() {
  const bool strain = breathChoice_ == StrainGauge;
  const QStringList items = strain ? QStringList{"Low (1.0V)", "Medium (2.5V)", "High (5.0V)", EditRoom + "V"}
                                   : QStringList{"Tidal (7.5)", "Medium (15)", "High (30)", EditRoom + "L/s"};
  for (int i = 0; i < 4; ++i) TargetRadioGroup->button(i)->setText(items[i]);
  const QString caption = strain ? "Amplitude Scale" : "Target Flow";
  TargetBox->setTitle(caption);
  FlowEdit->setAccessibleName(caption);
  TargetBox->setToolTip(strain ? "Select amplitude scale" : "Select target flow");
}

void AcquireForm::BreathRadioGroupClick() {
  breathChoice_ = checkedIndex(BreathRadioGroup, 0);
  relabelTargetGroup();
  set_target_flow();
}

void AcquireForm::TargetRadioGroupClick() {
  FlowEdit->setEnabled(checkedIndex(TargetRadioGroup, 0) == CustomTarget);
  set_target_flow();
}

bool AcquireForm::FlowEditExit() { return set_target_flow(); }

bool AcquireForm::set_target_flow() {
  const int choice = checkedIndex(TargetRadioGroup, 0);
  double custom = 1.0;
  if (choice == CustomTarget) {
    const std::optional<float> value = floatFrom(FlowEdit, prompter_);
    if (!value) return false;
    custom = *value;
  }
  const bool strain = breathChoice_ == StrainGauge;
  target_ = get_target_flow(choice, custom, doc_.subject.weight, strain);
  if (choice == CustomTarget) FlowEdit->setText(fixedText(target_.value, 2));
  FlowGaugeBox->setTarget(target_.target, target_.tolerance, strain ? "V" : "L/s");
  device_.followTarget(target_.target);

  if (PhaseTable* phases = doc_.phaseTable.get()) {
    // A strain gauge is tagged by direction only; its quiet band is a tenth
    // of the amplitude scale.
    if (strain) {
      phases->setBackgroundFlow(static_cast<float>(target_.target) / 10000.0f);
    } else {
      const FlowLimits l = flowLimits(target_);
      phases->SetThresholds(l.inspLow, l.inspHigh, l.expLow, l.expHigh, doc_.preferences, doc_.subject);
    }
  }
  return true;
}

void AcquireForm::get_settings() {
  ChannelSetup& setup = doc_.channelSetup;
  setup.airflowKind = static_cast<int16_t>(breathChoice_);
  setup.targetFlowChoice = static_cast<int16_t>(checkedIndex(TargetRadioGroup, setup.targetFlowChoice));
  if (const std::optional<float> value = readFloat(FlowEdit->text())) setup.targetFlow = *value;
  setup.channelNames[0] = recordBytes(trimmedText(Sound1ComboBox));
  setup.channelNames[1] = recordBytes(trimmedText(Sound2ComboBox));
  calibration_ = AcquisitionCalibration::fromPreferences(doc_.preferences);
}

void AcquireForm::DisableForMonitoring(bool on) {
  BreathBox->setEnabled(!on);
  if (setupChannels() <= 2)
    for (QWidget* w : {static_cast<QWidget*>(Sound1ComboBox), static_cast<QWidget*>(Sound2ComboBox),
                       static_cast<QWidget*>(Sound1Label), static_cast<QWidget*>(Sound2Label)})
      w->setEnabled(!on);
}

void AcquireForm::DisableForRecording(bool on) {
  TargetBox->setEnabled(!on);
  FlowEdit->setEnabled(!on && checkedIndex(TargetRadioGroup, 0) == CustomTarget);
  for (QWidget* w : {static_cast<QWidget*>(ChanTrackBar), static_cast<QWidget*>(ChanLabel),
                     static_cast<QWidget*>(ChanValueLabel)})
    w->setEnabled(!on);
  if (setupChannels() <= 2)
    for (QWidget* w : {static_cast<QWidget*>(GainTrackBar), static_cast<QWidget*>(GainLabel),
                       static_cast<QWidget*>(GainValueLabel)})
      w->setEnabled(!on);
}

QPushButton* AcquireForm::playButton(int n) const { return n == 1 ? Play1BitBtn : Play2BitBtn; }

void AcquireForm::RecordBitBtnClick() {
  switch (state_) {
    case Idle:
      startMonitoring();
      break;
    case Monitoring:
      startRecording();
      break;
    default:
      if (take_ && take_->recording()) stopRecording();
      break;
  }
}

bool AcquireForm::startMonitoring() {
  // Everything that can refuse comes first, so a refused Monitor leaves the
  // window as it was.
  if (!set_target_flow()) return false;
  const int setup = setupChannels();
  if (setup <= 2 && trimmedText(Sound1ComboBox).isEmpty())
    return refuse(Sound1ComboBox, prompter_, "Channel #1 must be utilized");
  get_settings();

  const int channels = setup > 2 ? std::min(setup, MaxChannels) : trimmedText(Sound2ComboBox).isEmpty() ? 1 : 2;
  if (setup > 2) prompter_.message(MessageKind::Information, "Preparing to acquire " + std::to_string(channels) + " channels");

  // The previous take goes whatever happens next.
  doc_.releaseResults();
  doc_.recording.reset();
  doc_.tagTable.reset();
  doc_.phases().tags = nullptr;
  Play1BitBtn->setEnabled(false);
  Play2BitBtn->setEnabled(false);
  std::unique_ptr<Recording> recording = newRecording(channels);
  if (!recording) {
    // Nothing can be recorded: the window stays ready for another Monitor.
    prompter_.message(MessageKind::Warning, "Error: Not enough memory");
    setStatus("Stopped", Qt::red, palette().color(QPalette::Window));
    OKBitBtn->setEnabled(true);
    return false;
  }
  std::string error;
  if (!device_.start(channels, gainForSetting(GainTrackBar->value()), error)) {
    prompter_.message(MessageKind::Warning, error);
    OKBitBtn->setEnabled(true);
    return false;
  }
  // Without a sound output the take is still worth having: monitoring goes on
  // unheard rather than being refused.
  monitor_->start(SoundRate);

  clipped_ = 0;
  DisableForMonitoring(true);
  OKBitBtn->setEnabled(false);
  CancelBitBtn->setEnabled(false);
  resetCounters();
  setStatus("Monitoring", Qt::blue, Qt::black);
  RecordBitBtn->setText("&Record");
  RecordBitBtn->setToolTip("Start recording");
  BackCounter->setToolTip("Click to adjust zero offset");
  state_ = Monitoring;

  soundChannels_ = channels;
  doc_.recording = std::move(recording);
  doc_.tagTable = std::make_unique<TagTable>();
  doc_.tagTable->create(channels, MaxSegments);
  PhaseTable& phases = doc_.phases();
  phases.ResetPhaseTable();
  phases.tags = doc_.tagTable.get();
  phases.resp = breathChoice_ == StrainGauge;
  // The take has no volume yet; the segments are tagged as they come in.
  phases.peakVolume = 1;
  phases.recordingSegments = MaxSegments;
  take_ = std::make_unique<AcquisitionTake>(channels, calibration_);
  playPosition_ = -1;
  blocks_.reserve(static_cast<size_t>(take_->blockSamples()) * 8);
  AcqTimer->start();
  return true;
}

void AcquireForm::startRecording() {
  if (!take_ || !doc_.recording) return;
  clipped_ = 0;
  DisableForRecording(true);
  setCounterColour(Qt::black);
  setStatus("Recording", Qt::red, Qt::black);
  RecordBitBtn->setText("&Stop");
  RecordBitBtn->setToolTip("Stop recording");
  BackCounter->setToolTip("Number of background segments");
  state_ = Busy;
  doc_.phases().ResetPhaseTable();
  take_->startRecording(*doc_.recording, doc_.tagTable.get());
  CounterLabel->setText("Recorded 0.0 seconds");
  doc_.channelSetup.gain = static_cast<int16_t>(GainTrackBar->value());
}

void AcquireForm::stopRecording() {
  AcqTimer->stop();
  device_.stop();
  monitor_->stop();
  const int recorded = take_->recordedSegments();
  clipped_ = static_cast<int>(std::min<int64_t>(take_->clippedSamples(), INT32_MAX));
  take_->stopRecording();
  PhaseTable& phases = doc_.phases();
  if (recorded == 0) {
    doc_.recording.reset();
    doc_.tagTable.reset();
    phases.tags = nullptr;
  } else {
    if (recorded < doc_.recording->segmentCount) {
      doc_.recording->truncateSegments(recorded);
      doc_.tagTable = shrunkTable(*doc_.tagTable, recorded);
      phases.tags = doc_.tagTable.get();
    }
    phases.recordingSegments = recorded;
    phases.ClosePhase();
    if (phases.lastPhase >= MaxPhases - 1)
      prompter_.message(MessageKind::Warning, "Too many breaths in this recording");
  }
  endTake();
}

void AcquireForm::endTake() {
  setStatus("Stopped", Qt::red, palette().color(QPalette::Window));
  RecordBitBtn->setText("&Monitor");
  RecordBitBtn->setToolTip("Begin monitoring");
  state_ = Idle;
  DisableForMonitoring(false);
  DisableForRecording(false);
  const Recording* recording = doc_.recording.get();
  Play1BitBtn->setEnabled(recording != nullptr);
  Play2BitBtn->setEnabled(recording && recording->channelCount > 1);
  OKBitBtn->setEnabled(true);
  CancelBitBtn->setEnabled(true);
  AmplitudeBar->setValue(0);
  FlowGaugeBox->setValue(0.0);
  if (clipped_ > 0) prompter_.message(MessageKind::Warning, "Clipped data was recorded");
}

void AcquireForm::PlayBitBtnClick(int n) {
  QPushButton* pressed = playButton(n);
  if (state_ == Busy) {
    if (playPosition_ >= 0 && playChannel_ == n - 1) stopPlaying(n);
    return;
  }
  if (state_ != Idle || !doc_.recording || n > doc_.recording->channelCount) return;
  const Recording& recording = *doc_.recording;
  playLength_ = static_cast<int64_t>(recording.segmentCount) * 100;
  if (!audio_.open(recording.sound[n - 1], SoundRate) || !audio_.play(0)) {
    prompter_.message(MessageKind::Warning, audio_.errorText());
    audio_.close();
    return;
  }
  RecordBitBtn->setEnabled(false);
  playButton(3 - n)->setEnabled(false);
  OKBitBtn->setEnabled(false);
  CancelBitBtn->setEnabled(false);
  setStatus("Playing " + QString::number(n), Qt::blue, palette().color(QPalette::Window));
  pressed->setText("&Stop");
  state_ = Busy;
  playChannel_ = n - 1;
  playPosition_ = 0;
  CounterLabel->setText("Played 0.0 seconds");
  AcqTimer->start();
}

void AcquireForm::stopPlaying(int n) {
  AcqTimer->stop();
  audio_.stop();
  audio_.close();
  playPosition_ = -1;
  setStatus("Stopped", Qt::red, palette().color(QPalette::Window));
  playButton(n)->setText(QString("Play &%1").arg(n));
  state_ = Idle;
  RecordBitBtn->setEnabled(true);
  OKBitBtn->setEnabled(true);
  CancelBitBtn->setEnabled(true);
  playButton(3 - n)->setEnabled(doc_.recording && doc_.recording->channelCount > 1);
}

void AcquireForm::AcqTimerTimer() {
  if (state_ == Busy && playPosition_ >= 0) {
    const int64_t at = audio_.position();
    if (at < 0) {
      const std::string error = audio_.errorText();
      stopPlaying(playChannel_ + 1);
      prompter_.message(MessageKind::Warning, error);
      return;
    }
    playPosition_ = at;
    CounterLabel->setText("Played " + fixedText(std::min(at, playLength_) / 1000.0, 1) + " seconds");
    if (at >= playLength_) stopPlaying(playChannel_ + 1);
    return;
  }
  if (!take_ || state_ == Idle) return;

  blocks_.clear();
  const int count = device_.read(blocks_);
  const size_t size = static_cast<size_t>(take_->blockSamples());
  PhaseTable& phases = doc_.phases();
  monitored_.clear();
  for (int b = 0; b < count && (b + 1) * size <= blocks_.size(); ++b) {
    appendMonitored(std::span<const std::int16_t>(blocks_.data() + b * size, size), soundChannels_,
                    ChanTrackBar->value(), monitored_);
    const int s = take_->addBlock(std::span<const std::int16_t>(blocks_.data() + b * size, size));
    if (s >= 0) phases.AddSegment(segmentValue(*doc_.recording, s));
    if (take_->full()) break;
  }
  monitor_->write(monitored_);
  if (count > 0) breathLevel_ = take_->lastBreathLevel();
  updateDisplays();
  // A full recording ends the take as Stop does.
  if (take_->recording() && take_->full()) stopRecording();
}

void AcquireForm::updateDisplays() {
  // The gauge in the target's unit: mL/s through the calibration for a
  // pneumotach, the converter's millivolts for a strain gauge.
  const double level = breathChoice_ == StrainGauge
                           ? (breathLevel_ - take_->calibration().zeroOffset) * 5000.0 / BreathFullScaleCounts
                           : take_->lastFlow();
  FlowGaugeBox->setValue(level);
  // The bar spans 0..2048, a sixteenth of the 16-bit range.
  AmplitudeBar->setValue(monitoredPeak(*take_, ChanTrackBar->value()) / 16);
  if (!take_->recording()) return;
  CounterLabel->setText("Recorded " + fixedText(take_->recordedSegments() / 10.0, 1) + " seconds");
  const PhaseTable& phases = doc_.phases();
  InspCounter->setText(QString::number(phases.inspBreaths));
  ExpCounter->setText(QString::number(phases.expBreaths));
  BackCounter->setText(QString::number(phases.backgroundTagged));
}

void AcquireForm::BackCounterClick() {
  if (state_ != Monitoring || !take_) return;
  take_->setZeroOffset(breathLevel_);
  calibration_.zeroOffset = breathLevel_;
}

void AcquireForm::GainTrackBarChange() {
  const int gain = gainForSetting(GainTrackBar->value());
  GainValueLabel->setText(QString::number(gain));
  if (state_ == Idle) {
    AmplitudeBar->setValue(gain / 100 * 512);
  } else if (state_ == Monitoring) {
    // The device amplifies; it starts afresh with the new gain.
    std::string error;
    if (!device_.start(soundChannels_, gain, error)) prompter_.message(MessageKind::Warning, error);
  }
}

void AcquireForm::ChanTrackBarChange() {
  ChanValueLabel->setText(MonitorLabels[std::clamp(ChanTrackBar->value(), 0, 2)]);
}

void AcquireForm::Sound2ComboBoxChange() {
  if (trimmedText(Sound2ComboBox).isEmpty())
    ChanTrackBar->setValue(0);
  else if (ChanTrackBar->value() == 0)
    ChanTrackBar->setValue(1);
}

bool AcquireForm::Sound1ComboBoxExit() {
  if (!trimmedText(Sound1ComboBox).isEmpty()) return true;
  return refuse(Sound1ComboBox, prompter_, "Channel #1 must be utilized");
}

void AcquireForm::OKBitBtnClick() {
  if (state_ != Idle) return;
  if (!doc_.recording) {
    QDialog::reject();
    return;
  }
  doc_.peakAmplitude = 32768;
  doc_.removeOffsets();
  doc_.computeVolume();
  accept();
}

void AcquireForm::reject() {
  if (state_ != Idle) return;
  // Only OK keeps a take; leaving any other way loses it.
  if (doc_.recording && take_ && prompter_.ask("Discard the recording?", Buttons::YesNo, Answer::No) != Answer::Yes)
    return;
  QDialog::reject();
}

void AcquireForm::closeEvent(QCloseEvent* event) {
  if (state_ != Idle) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

}  // namespace vode
