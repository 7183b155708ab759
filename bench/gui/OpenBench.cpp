// Opening a full recording in the window: from the open command until the
// window is enabled again (reading, offsets and volume, the whole analysis
// on the worker thread, then the display brought up to date).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <sstream>

#include "app/Application.h"
#include "app/AutoPrompter.h"
#include "app/DocumentCommands.h"
#include "FullRecording.h"
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
    if (!application.form().isEnabled() || !application.form().document().spectra) {
      bench.SkipWithError("the open did not finish");
      break;
    }
  }
  QCoreApplication::processEvents();
}
BENCHMARK(BM_OpenFullRecordingInWindow)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace
