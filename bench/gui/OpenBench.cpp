// Opening a full recording in the window: from the open command until the
// window is enabled again (reading, offsets and volume, the whole analysis
// on the worker thread, then the display brought up to date); and the
// window's panes repainted while an analysis runs on its thread.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <sstream>

#include "FullRecordingWindow.h"
#include "app/Application.h"
#include "app/AutoPrompter.h"
#include "app/DocumentCommands.h"
#include "document/Document.h"
#include "document/OpenDocument.h"

namespace {

using namespace vode;

void BM_OpenFullRecordingInWindow(benchmark::State& bench) {
  QTemporaryDir dir(QDir::tempPath() + "/vode-open-bench-XXXXXX");
  const std::string folder = dir.path().toStdString() + "/";
  const std::string path = folder + "full.mer";
  if (!writeFullRecording(path)) {
    bench.SkipWithError("could not write the recording");
    return;
  }
  std::ostringstream boxes;
  AutoPrompter prompter(boxes);
  Application application(prompter, WindowOptions{folder, "", folder});
  application.form().show();
  application.commands().firstShown({});
  for (auto _ : bench) {
    application.commands().openPath(path);
    waitUntilIdle(application.form().workspace());
    if (!application.form().isEnabled() || !application.form().document().spectra) {
      bench.SkipWithError("the open did not finish");
      break;
    }
  }
  QCoreApplication::processEvents();
}
BENCHMARK(BM_OpenFullRecordingInWindow)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// The whole client area repainted (every pane from the document, the labels,
// the gauge) while "&FFT" analyses the full recording on its worker: a frame
// must stay under 16 ms. An analysis is started whenever none runs, outside
// the timing; "busy" is the share of repaints made while one ran.
void BM_RepaintWhileAnalysing(benchmark::State& bench) {
  FullRecordingWindow window;
  if (const std::string failed = window.open(); !failed.empty()) {
    bench.SkipWithError(failed.c_str());
    return;
  }
  TMainForm& form = window.form();
  Workspace& ws = form.workspace();
  form.set_current_segment(900);
  int32_t segment = 900;
  int64_t during = 0;
  int64_t frames = 0;
  for (auto _ : bench) {
    if (!ws.busy()) {
      bench.PauseTiming();
      form.DoAnalyzeClick();
      bench.ResumeTiming();
    }
    // Another segment each frame, so every pane has something new to draw.
    segment = segment >= 1700 ? 100 : segment + 7;
    form.set_current_segment(segment);
    form.centralWidget()->repaint();
    during += ws.busy() ? 1 : 0;
    ++frames;
    QCoreApplication::processEvents();
  }
  waitUntilIdle(ws);
  bench.counters["busy"] = frames ? static_cast<double>(during) / static_cast<double>(frames) : 0.0;
}
BENCHMARK(BM_RepaintWhileAnalysing)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
