// "Preferences": the display and analysis preferences and the part of the
// channel set-up they belong with (breath-signal kind, target flow, the names
// of the first two sound channels), on four tabs. Boxes are checked as they
// are left; OK asks before any change that forces a re-analysis of the open
// recording and stores both records; Cancel puts both back as they were when
// the dialog opened. What the window does after OK is the caller's.
#pragma once

#include <QDialog>
#include <QStringList>
#include <optional>

#include "model/Records.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QTabWidget;

namespace vode {

class Document;
class Prompter;

class PrefsForm : public QDialog {
  Q_OBJECT

 public:
  PrefsForm(Document& doc, Prompter& prompter, QWidget* parent = nullptr);

  // Field checks, run when their box is left; false with the message shown
  // and the focus back in the box.
  bool OffsetEditExit();
  bool ScaleEditExit();
  bool ReferenceEditExit();
  // The target box's number, rewritten as the target rule uses it when the
  // fourth choice is checked; nothing when it is not a number (message shown).
  std::optional<float> FlowEditExit();

  // "25" and "50" are refused and the choice moves to "100".
  void WaveformRadioGroupClick();
  // Relabels the target group for the breath kind.
  void BreathRadioGroupClick();
  // Enables the custom box for the fourth choice and normalises its value.
  void TargetFlowRadioGroupClick();
  void BackgroundRadioGroupClick();
  // Checks, questions and storing; closes with OK when they all passed.
  void OKBitBtnClick();
  void reject() override;

  // After OK: the user agreed to re-tag the recording.
  bool reanalysisDue() const { return reanalysisDue_; }
  // After OK: the frequency choice or the dB reference is not what it was
  // when the dialog opened, so the sonogram pictures are out of date.
  bool imagesOutOfDate() const;

  QTabWidget* notebook() const { return notebook_; }

 private:
  void buildWaveformTab();
  void buildSonogramTab();
  void buildCalibrationTab();
  void buildAnalysisTab();
  void load();
  void enableBackgroundEdits();
  bool checkNames();
  bool checkName(int channel, QComboBox* box);
  bool checkTarget(float flowValue);
  // A custom target (L/s or V) as the target rule uses it.
  float customTarget(float typed) const;
  bool checkBackground(float perKg, float absolute);
  void store(float z, float c, float reference, float perKg, float absolute, float flowValue);

  Document& doc_;
  Prompter& prompter_;
  PreferencesRecord savedPreferences_;
  ChannelSetup savedSetup_;
  bool reanalysisDue_ = false;

  QTabWidget* notebook_ = nullptr;
  QButtonGroup* WaveformRadioGroup = nullptr;
  QButtonGroup* AmplitudeRadioGroup = nullptr;
  QButtonGroup* TimeRadioGroup = nullptr;
  QButtonGroup* FrequencyRadioGroup = nullptr;
  QButtonGroup* dBRadioGroup = nullptr;
  QLineEdit* ReferenceEdit = nullptr;
  QLineEdit* OffsetEdit = nullptr;
  QLineEdit* ScaleEdit = nullptr;
  QComboBox* Sound1ComboBox = nullptr;
  QComboBox* Sound2ComboBox = nullptr;
  QGroupBox* BreathBox = nullptr;
  QButtonGroup* BreathRadioGroup = nullptr;
  QGroupBox* TargetFlowBox = nullptr;
  QButtonGroup* TargetFlowRadioGroup = nullptr;
  QLineEdit* FlowEdit = nullptr;
  QButtonGroup* BackgroundRadioGroup = nullptr;
  QLineEdit* MLsEdit = nullptr;
  QLineEdit* MLEdit = nullptr;
  QCheckBox* AnalyzeCheckBox = nullptr;
};

}  // namespace vode
