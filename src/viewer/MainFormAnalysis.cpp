// The window's side of the analysis: the Analyze menu's commands start the
// workspace's jobs, and the window shows their results when they end.
#include <QCheckBox>

#include "viewer/MainForm.h"
#include "viewer/PaneWidget.h"

namespace vode {

void TMainForm::DoAnalyzeClick() { workspace_->analyse(); }

void TMainForm::afterAnalysis() {
  adjust_to_prefs();
  repaintPane(TagBox);
  repaintPane(FlowBox);
  repaintPane(SonoBox);
  set_current_segment(state_.CurrentSegment);
}

void TMainForm::DetectWheezesTonalClick() {
  if (!doc_.hasRecording()) return;
  workspace_->detectWheezes(WheezeDetector::Tonal);
}

void TMainForm::TestWheezeClick() {
  // Without a recording or spectra the detector itself says "No data" or
  // "No PSD".
  workspace_->detectWheezes(WheezeDetector::Standard);
}

void TMainForm::afterWheezeDetection() {
  // New scores enable "&Wheezes"; the flags show in the tag strip, and a
  // ticked box shows the new image.
  updateWheezesEnabled();
  repaintPane(TagBox);
  repaintPane(SonoBox);
}

void TMainForm::showWheezes(bool on) {
  if (!WheezesCheckBox->isEnabled()) return;
  WheezesCheckBox->setChecked(on);
  WheezesClick();
}

void TMainForm::EstimateBreathCyclesClick() { workspace_->estimateBreathCycles(); }

void TMainForm::DetectCracklesClick() { workspace_->detectCrackles(); }

void TMainForm::updateCracklesEnabled() {
  // Without a crackle run the box stays as it always was: off, unticked.
  CracklesCheckBox->setEnabled(state_.CracklesDetected);
  if (!state_.CracklesDetected) {
    const QSignalBlocker quiet(CracklesCheckBox);
    CracklesCheckBox->setChecked(false);
  }
  state_.CracklesChecked = CracklesCheckBox->isChecked();
}

void TMainForm::CracklesClick() {
  state_.CracklesChecked = CracklesCheckBox->isChecked();
  repaintPane(TagBox);
}

void TMainForm::TestCrackleClick() {
  // Only channel 2's samples change: nothing is recomputed or repainted, and
  // the document is not marked modified.
  workspace_->testCrackle();
}

}  // namespace vode
