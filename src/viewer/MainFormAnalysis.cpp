// The window's side of the analysis command: the core computation runs on a
// worker thread, then the window shows the results.
#include "viewer/MainForm.h"
#include "viewer/PaneWidget.h"

#if __has_include("analysis/AnalysisCommand.h")
#include "analysis/AnalysisCommand.h"
#define VODE_HAVE_ANALYSIS 1
#endif

namespace vode {

void TMainForm::DoAnalyzeClick(bool fromMenu) {
  if (!doc_.hasRecording()) return;
#ifdef VODE_HAVE_ANALYSIS
  runInBackground([this](ProgressSink& progress, Prompter& prompter) {
    vode::DoAnalyzeClick(doc_, colourPalette_, progress, prompter);
  });
#endif
  afterAnalysis(fromMenu);
}

void TMainForm::afterAnalysis(bool fromMenu) {
  adjust_to_prefs();
  UpdateMenus();
  repaintPane(TagBox);
  repaintPane(FlowBox);
  if (fromMenu) repaintPane(SonoBox);
  set_current_segment(state_.CurrentSegment);
}

void TMainForm::rebuildImages() {
  if (!doc_.spectra) return;
}

}  // namespace vode
