#include "dialogs/PrefsForm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>

#include "analysis/TargetFlow.h"
#include "dialogs/DialogSupport.h"
#include "document/Document.h"
#include "model/Prompter.h"

namespace vode {

namespace {

const char* const TargetQuestion =
    "Are you sure you want to change the target flow?  Reanalysis will be performed if you answer yes.  "
    "This will recalculate all segment flow tags.";
const char* const BackgroundQuestion =
    "Are you sure you want to change the background flow?  Reanalysis will be performed if you answer yes.  "
    "This will recalculate all segment flow tags.";

constexpr int CustomTarget = 3;

}  // namespace

PrefsForm::PrefsForm(Document& doc, Prompter& prompter, QWidget* parent)
    : QDialog(parent), doc_(doc), prompter_(prompter) {
  setObjectName("PrefsForm");
  setWindowTitle("Preferences");
  setModal(true);

  auto* outer = new QHBoxLayout(this);
  notebook_ = new QTabWidget(this);
  notebook_->setObjectName("PageControl");
  outer->addWidget(notebook_);
  buildWaveformTab();
  buildSonogramTab();
  buildCalibrationTab();
  buildAnalysisTab();
  // Made after the pages, so that Tab reaches OK and Cancel after the page.
  auto* column = new QVBoxLayout;
  outer->addLayout(column);
  QWidget* buttons = addOkCancel(this, column, [this] { OKBitBtnClick(); }, true);
  column->addStretch();

  onPicked(WaveformRadioGroup, this, [this](int) { WaveformRadioGroupClick(); });
  onPicked(BreathRadioGroup, this, [this](int) { BreathRadioGroupClick(); });
  onPicked(TargetFlowRadioGroup, this, [this](int) { TargetFlowRadioGroupClick(); });
  onPicked(BackgroundRadioGroup, this, [this](int) { BackgroundRadioGroupClick(); });
  onLeaving(OffsetEdit, buttons, [this] { return OffsetEditExit(); });
  onLeaving(ScaleEdit, buttons, [this] { return ScaleEditExit(); });
  onLeaving(ReferenceEdit, buttons, [this] { return ReferenceEditExit(); });
  onLeaving(FlowEdit, buttons, [this] { return FlowEditExit().has_value(); });

  load();
}

void PrefsForm::buildWaveformTab() {
  auto* page = new QWidget;
  page->setObjectName("WaveformSheet");
  auto* layout = new QHBoxLayout(page);
  layout->addWidget(radioGroupBox(page, "WaveformRadioGroup", "Time (ms)",
                               {"25", "50", "100", "200", "400", "800", "1600", "3200"}, WaveformRadioGroup,
                               "X-axis scale for time expanded waveform"));
  QStringList volts;
  for (int i = 1; i <= 10; ++i) volts << fixedText(i * 0.5, 1);
  volts << "auto";
  layout->addWidget(radioGroupBox(page, "AmplitudeRadioGroup", "Amplitude (Volts)", volts, AmplitudeRadioGroup,
                               "Y-axis scale for sound waveform"));
  notebook_->addTab(page, "Waveform");
}

void PrefsForm::buildSonogramTab() {
  auto* page = new QWidget;
  page->setObjectName("SonogramSheet");
  auto* grid = new QGridLayout(page);
  grid->addWidget(radioGroupBox(page, "TimeRadioGroup", "Time (seconds)", {"5", "10", "20", "40"}, TimeRadioGroup,
                             "X-axis scale for sonogram"),
                  0, 0);
  grid->addWidget(radioGroupBox(page, "FrequencyRadioGroup", "Frequency (Hz)", {"1200", "2400", "4800"},
                             FrequencyRadioGroup, "Y-axis scale for sonogram"),
                  0, 1);
  grid->addWidget(radioGroupBox(page, "dBRadioGroup", "Expanded dB scale (dB)", {"0 to 64", "-24 to 72"},
                             dBRadioGroup, "Y-axis scale for PSD"),
                  1, 0);
  auto* reference = new QGroupBox("dB Reference (watts)", page);
  reference->setObjectName("ReferenceGroupBox");
  auto* referenceLayout = new QVBoxLayout(reference);
  ReferenceEdit = new QLineEdit(reference);
  ReferenceEdit->setObjectName("ReferenceEdit");
  ReferenceEdit->setMaxLength(10);
  ReferenceEdit->setAccessibleName("dB Reference (watts)");
  referenceLayout->addWidget(ReferenceEdit);
  grid->addWidget(reference, 1, 1, Qt::AlignTop);
  notebook_->addTab(page, "Sonogram");
}

void PrefsForm::buildCalibrationTab() {
  auto* page = new QWidget;
  page->setObjectName("CalibrationSheet");
  auto* grid = new QGridLayout(page);
  OffsetEdit = addLabelledEdit(page, grid, 0, "Offset by Z =", "OffsetEdit", 6, "Volts");
  OffsetEdit->setToolTip("Zero offset in volts");
  ScaleEdit = addLabelledEdit(page, grid, 1, "Scale by C =", "ScaleEdit", 6, "L/s/Volt");
  ScaleEdit->setToolTip("Scale factor in litres/second/volt");
  grid->setRowStretch(2, 1);
  grid->setColumnStretch(3, 1);
  notebook_->addTab(page, "Calibration");
}

void PrefsForm::buildAnalysisTab() {
  auto* page = new QWidget;
  page->setObjectName("AnalysisSheet");
  auto* grid = new QGridLayout(page);

  // Made row by row, as Tab visits them.
  grid->addWidget(soundChannelsGroup(page, Sound1ComboBox, Sound2ComboBox), 0, 0);

  // The labels follow the breath kind (BreathRadioGroupClick).
  TargetFlowBox = radioGroupBox(page, "TargetFlowRadioGroup", "Target Flow", {"", "", "", ""}, TargetFlowRadioGroup, "");
  FlowEdit = editOver(static_cast<QRadioButton*>(TargetFlowRadioGroup->button(CustomTarget)), "FlowEdit", 5,
                      "Target Flow");
  grid->addWidget(TargetFlowBox, 0, 1);

  BreathBox = radioGroupBox(page, "BreathRadioGroup", "Breath Channel", {"Pneumotach", "Strain Gauge"},
                         BreathRadioGroup, "Type of breath signal to record");
  grid->addWidget(BreathBox, 1, 0);

  QGroupBox* background = radioGroupBox(page, "BackgroundRadioGroup", "Background Flow",
                                     {EditRoom + "mL/s/kg", EditRoom + "mL/s"}, BackgroundRadioGroup, "");
  MLsEdit = editOver(static_cast<QRadioButton*>(BackgroundRadioGroup->button(0)), "MLsEdit", 5, "mL/s/kg");
  MLEdit = editOver(static_cast<QRadioButton*>(BackgroundRadioGroup->button(1)), "MLEdit", 5, "mL/s");
  grid->addWidget(background, 1, 1);

  AnalyzeCheckBox = new QCheckBox("Analyze on Open", page);
  AnalyzeCheckBox->setObjectName("AnalyzeCheckBox");
  AnalyzeCheckBox->setToolTip("Check to automatically analyze whever a file is opened");
  grid->addWidget(AnalyzeCheckBox, 2, 0, 1, 2);
  notebook_->addTab(page, "Analysis");
}

void PrefsForm::load() {
  const PreferencesRecord& p = doc_.preferences;
  const ChannelSetup& setup = doc_.channelSetup;
  checkButton(WaveformRadioGroup, p.waveformTime);
  checkButton(AmplitudeRadioGroup, p.amplitude);
  checkButton(TimeRadioGroup, p.sonogramTime);
  checkButton(FrequencyRadioGroup, p.frequency);
  checkButton(dBRadioGroup, p.dBScale);
  OffsetEdit->setText(fixedText(p.calibrationOffset, 3));
  ScaleEdit->setText(fixedText(p.calibrationScale, 3));
  checkButton(BackgroundRadioGroup, p.backgroundFlowMode);
  MLsEdit->setText(fixedText(p.backgroundFlowPerKg, 2));
  MLEdit->setText(fixedText(p.backgroundFlowAbsolute, 0));
  AnalyzeCheckBox->setChecked(p.analyseOnOpen != 0);
  ReferenceEdit->setText(exponentText(p.dBReference));
  FlowEdit->setText(fixedText(setup.targetFlow, 2));
  checkButton(TargetFlowRadioGroup, setup.targetFlowChoice);
  Sound1ComboBox->setEditText(recordText(setup.channelNames[0].str()));
  Sound2ComboBox->setEditText(recordText(setup.channelNames[1].str()));
  checkButton(BreathRadioGroup, setup.airflowKind);
  BreathRadioGroupClick();

  TargetFlowRadioGroupClick();

  const Recording* recording = doc_.recording.get();
  const int channels = recording ? recording->channelCount : 0;
  Sound2ComboBox->setEnabled(!recording || channels == 2);
  if (channels > 2) Sound1ComboBox->setEnabled(false);
  BreathBox->setEnabled(!recording);
  OffsetEdit->setEnabled(!recording);
  ScaleEdit->setEnabled(!recording);

  savedPreferences_ = doc_.preferences;
  savedSetup_ = doc_.channelSetup;
  enableBackgroundEdits();
}

void PrefsForm::enableBackgroundEdits() {
  const int mode = checkedIndex(BackgroundRadioGroup, 0);
  MLsEdit->setEnabled(mode == 0);
  MLEdit->setEnabled(mode == 1);
}

bool PrefsForm::OffsetEditExit() {
  const std::optional<float> z = floatFrom(OffsetEdit, prompter_);
  if (!z) return false;
  if (*z < -5.0f || *z > 5.0f) return refuse(OffsetEdit, prompter_, "Z must be between -5.0 and +5.0");
  return true;
}

bool PrefsForm::ScaleEditExit() {
  const std::optional<float> c = floatFrom(ScaleEdit, prompter_);
  if (!c) return false;
  if (*c <= -100.0f || *c >= 100.0f) return refuse(ScaleEdit, prompter_, "C must be between -100.0 and +100.0");
  return true;
}

bool PrefsForm::ReferenceEditExit() {
  const std::optional<float> r = floatFrom(ReferenceEdit, prompter_);
  if (!r) return false;
  if (!(static_cast<double>(*r) > 1e-50)) return refuse(ReferenceEdit, prompter_, "dB Reference must exceed 1e-50");
  return true;
}

void PrefsForm::WaveformRadioGroupClick() {
  if (checkedIndex(WaveformRadioGroup, 2) >= 2) return;
  prompter_.message(MessageKind::Warning, "25 and 50 msec modes are not available");
  checkButton(WaveformRadioGroup, 2);
}

void PrefsForm::BreathRadioGroupClick() {
  const bool strainGauge = checkedIndex(BreathRadioGroup, 0) == 1;
  const QStringList items = strainGauge ? QStringList{"Low (1.0)", "Medium (2.5)", "High (5.0)", EditRoom + "V"}
                                        : QStringList{"Tidal (7.5)", "Medium (15)", "High (30)", EditRoom + "L/s"};
  for (int i = 0; i < 4; ++i) TargetFlowRadioGroup->button(i)->setText(items[i]);
  const QString caption = strainGauge ? "Amplitude Scale" : "Target Flow";
  TargetFlowBox->setTitle(caption);
  FlowEdit->setAccessibleName(caption);
  TargetFlowBox->setToolTip(strainGauge ? hint("Select amplitude scale\rin Volts")
                                        : hint("Select Target Flow:\r   Tidal (7.5 mL/kg/s)\r   Medium (15 mL/kg/s)"
                                               "\r   High (30 mL/kg/s)\r   Custom (L/s)"));
}

void PrefsForm::TargetFlowRadioGroupClick() {
  const bool custom = checkedIndex(TargetFlowRadioGroup, 0) == CustomTarget;
  FlowEdit->setEnabled(custom);
  if (custom) FlowEditExit();
}

std::optional<float> PrefsForm::FlowEditExit() {
  const std::optional<float> value = floatFrom(FlowEdit, prompter_);
  if (!value || checkedIndex(TargetFlowRadioGroup, 0) != CustomTarget) return value;
  const float used = customTarget(*value);
  FlowEdit->setText(fixedText(used, 2));
  return used;
}

float PrefsForm::customTarget(float typed) const {
  return static_cast<float>(get_target_flow(CustomTarget, typed, doc_.subject.weight, false).value);
}

void PrefsForm::BackgroundRadioGroupClick() { enableBackgroundEdits(); }

void PrefsForm::OKBitBtnClick() {
  // Every number first: a box that does not hold one, or holds a refused one,
  // keeps the dialog open with nothing stored.
  if (!OffsetEditExit() || !ScaleEditExit() || !ReferenceEditExit()) return;
  // A custom target is kept as the target rule uses it (0.01 steps, at
  // least 0.10), so the box shows what is stored the next time.
  const std::optional<float> flowValue = FlowEditExit();
  if (!flowValue) return;
  const std::optional<float> perKg = floatFrom(MLsEdit, prompter_);
  if (!perKg) return;
  const std::optional<float> absolute = floatFrom(MLEdit, prompter_);
  if (!absolute) return;

  reanalysisDue_ = false;
  if (!checkNames() || !checkTarget(*flowValue)) return;
  if (!reanalysisDue_ && !checkBackground(*perKg, *absolute)) return;
  store(*readFloat(OffsetEdit->text()), *readFloat(ScaleEdit->text()), *readFloat(ReferenceEdit->text()), *perKg,
        *absolute, *flowValue);
  accept();
}

bool PrefsForm::checkNames() {
  // A box the dialog disabled (recordings of more than two channels) cannot
  // be corrected, so it is not examined.
  if (Sound1ComboBox->isEnabled() && !checkName(0, Sound1ComboBox)) return false;
  const Recording* recording = doc_.recording.get();
  if (recording && recording->channelCount == 2 && !checkName(1, Sound2ComboBox)) return false;
  return true;
}

bool PrefsForm::checkName(int channel, QComboBox* box) {
  const std::string number = std::to_string(channel + 1);
  const std::string name = recordBytes(box->currentText().trimmed());
  if (name.empty()) return refuse(box, prompter_, "Channel #" + number + " must be utilized");
  if (!doc_.hasRecording()) return true;
  ShortString<20>& stored = doc_.channelSetup.channelNames[channel];
  if (ShortString<20>(name) == stored) return true;
  const std::string question = "Rename channel #" + number + " from " + stored.str() + " to " + name + "?";
  if (prompter_.ask(question, Buttons::YesNo, Answer::No) != Answer::Yes) {
    box->setEditText(recordText(stored.str()));
    return false;
  }
  stored = name;
  return true;
}

bool PrefsForm::checkTarget(float flowValue) {
  const int choice = checkedIndex(TargetFlowRadioGroup, doc_.channelSetup.targetFlowChoice);
  const ChannelSetup& setup = doc_.channelSetup;
  const bool pneumotach = checkedIndex(BreathRadioGroup, setup.airflowKind) == 0;
  if (!doc_.hasRecording() || !pneumotach) return true;
  // Only the custom value makes a target of its own; one stored unrounded
  // (by an earlier version) means the same target as its rounded form.
  if (choice == setup.targetFlowChoice &&
      (choice != CustomTarget || customTarget(flowValue) == customTarget(setup.targetFlow)))
    return true;
  if (prompter_.ask(TargetQuestion, Buttons::YesNo, Answer::No) == Answer::Yes) {
    reanalysisDue_ = true;
    return true;
  }
  checkButton(TargetFlowRadioGroup, setup.targetFlowChoice);
  FlowEdit->setText(fixedText(setup.targetFlow, 2));
  FlowEdit->setEnabled(setup.targetFlowChoice == CustomTarget);
  return false;
}

bool PrefsForm::checkBackground(float perKg, float absolute) {
  const PreferencesRecord& p = doc_.preferences;
  const int mode = checkedIndex(BackgroundRadioGroup, p.backgroundFlowMode);
  const float threshold = mode == 1 ? absolute / 1000.0f : perKg * doc_.subject.weight / 1000.0f;
  if (!doc_.hasRecording() || !doc_.phaseTable) return true;
  if (std::fabs(threshold - doc_.phaseTable->backgroundFlow) <= 0.001f) return true;
  if (prompter_.ask(BackgroundQuestion, Buttons::YesNo, Answer::No) == Answer::Yes) {
    reanalysisDue_ = true;
    return true;
  }
  checkButton(BackgroundRadioGroup, p.backgroundFlowMode);
  MLsEdit->setText(fixedText(p.backgroundFlowPerKg, 2));
  MLEdit->setText(fixedText(p.backgroundFlowAbsolute, 0));
  enableBackgroundEdits();
  return false;
}

void PrefsForm::store(float z, float c, float reference, float perKg, float absolute, float flowValue) {
  PreferencesRecord& p = doc_.preferences;
  ChannelSetup& setup = doc_.channelSetup;
  p.waveformTime = static_cast<int16_t>(checkedIndex(WaveformRadioGroup, p.waveformTime));
  p.amplitude = static_cast<int16_t>(checkedIndex(AmplitudeRadioGroup, p.amplitude));
  p.sonogramTime = static_cast<int16_t>(checkedIndex(TimeRadioGroup, p.sonogramTime));
  p.frequency = static_cast<int16_t>(checkedIndex(FrequencyRadioGroup, p.frequency));
  p.dBScale = static_cast<int16_t>(checkedIndex(dBRadioGroup, p.dBScale));
  p.calibrationOffset = z;
  p.calibrationScale = c;
  p.backgroundFlowMode = static_cast<int16_t>(checkedIndex(BackgroundRadioGroup, p.backgroundFlowMode));
  p.backgroundFlowPerKg = perKg;
  p.backgroundFlowAbsolute = absolute;
  p.analyseOnOpen = AnalyzeCheckBox->isChecked() ? 1 : 0;
  p.dBReference = reference;
  setup.targetFlowChoice = static_cast<int16_t>(checkedIndex(TargetFlowRadioGroup, setup.targetFlowChoice));
  setup.targetFlow = flowValue;
  if (Sound1ComboBox->isEnabled()) setup.channelNames[0] = recordBytes(Sound1ComboBox->currentText().trimmed());
  if (Sound2ComboBox->isEnabled()) setup.channelNames[1] = recordBytes(Sound2ComboBox->currentText().trimmed());
  setup.airflowKind = static_cast<int16_t>(checkedIndex(BreathRadioGroup, setup.airflowKind));
  // A respiration band has no flow to integrate or compare with power.
  if (setup.airflowKind == 1) p.flowDisplay = 0;
}

void PrefsForm::reject() {
  doc_.preferences = savedPreferences_;
  doc_.channelSetup = savedSetup_;
  QDialog::reject();
}

bool PrefsForm::imagesOutOfDate() const {
  return doc_.preferences.frequency != savedPreferences_.frequency ||
         doc_.preferences.dBReference != savedPreferences_.dBReference;
}

}  // namespace vode
