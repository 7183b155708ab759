// The window's side of the analysis command: the core computation runs on a
// worker thread, then the window shows the results.
#include <QCheckBox>

#include "analysis/AnalysisCommand.h"
#include "analysis/CrackleTest.h"
#include "analysis/Spectra.h"
#include "analysis/TonalWheezeCommand.h"
#include "analysis/WheezeDetection.h"
#include "analysis/WheezeImage.h"
#include "viewer/MainForm.h"
#include "viewer/PaneWidget.h"

namespace vode {

void TMainForm::DoAnalyzeClick(bool fromMenu) {
  if (!doc_.hasRecording()) return;
  runInBackground([this](ProgressSink& progress, Prompter& prompter) {
    vode::DoAnalyzeClick(doc_, doc_, colourPalette_, progress, prompter);
  });
  afterAnalysis(fromMenu);
}

void TMainForm::DoAnalyzeClick() {
  if (!doc_.hasRecording()) return;
  runInBackground([this](ProgressSink& progress, Prompter& prompter) {
    vode::DoAnalyzeClick(doc_, doc_, progress, prompter);
  });
  afterAnalysis(false);
}

void TMainForm::afterAnalysis(bool fromMenu) {
  adjust_to_prefs();
  UpdateMenus();
  repaintPane(TagBox);
  repaintPane(FlowBox);
  if (fromMenu) repaintPane(SonoBox);
  set_current_segment(state_.CurrentSegment);
}

void TMainForm::DetectWheezesTonalClick() {
  if (!doc_.hasRecording()) return;
  runInBackground([this](ProgressSink& progress, Prompter& prompter) { DetectTonalWheezes(doc_, doc_, progress, prompter); });
  afterWheezeDetection();
}

void TMainForm::TestWheezeClick() {
  // Without a recording or spectra the detector itself says "No data" or
  // "No PSD".
  runInBackground([this](ProgressSink& progress, Prompter& prompter) { DetectWheezes(doc_, doc_, progress, prompter); });
  afterWheezeDetection();
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

void TMainForm::TestCrackleClick() {
  // Only channel 2's samples change: nothing is recomputed or repainted, and
  // the document is not marked modified.
  TestCrackle(doc_, prompter_);
}

void TMainForm::rebuildImages() {
  // The sonogram images hold levels for one frequency range; a new range
  // needs new images (the spectra stay).
  if (!doc_.spectra || !doc_.spectra->hasPower()) return;
  runInBackground([this](ProgressSink& progress, Prompter&) {
    CalculateImage(doc_, doc_, colourPalette_, progress);
    // The wheeze images are the sonogram with marks: they follow the range.
    if (doc_.wheezeMap && doc_.wheezeMap->hasScores(0)) CalculateWheezeImage(doc_, doc_, progress);
  });
}

}  // namespace vode
