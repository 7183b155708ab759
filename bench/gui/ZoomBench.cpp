// Making the window larger with the full 8-channel recording open: from the
// new size to the repainted window, every control laid out again and every
// pane painted at the new scale.
#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include "FullRecordingWindow.h"

namespace {

using namespace vode;

// Args: the scale in percent; each resize starts from the natural size.
void BM_ZoomResizeRepaint(benchmark::State& bench) {
  FullRecordingWindow window;
  if (const std::string failed = window.open(); !failed.empty()) {
    bench.SkipWithError(failed.c_str());
    return;
  }
  TMainForm& form = window.form();
  form.set_current_segment(900);
  QCoreApplication::processEvents();
  const qreal scale = bench.range(0) / 100.0;
  for (auto _ : bench) {
    bench.PauseTiming();
    form.zoomWindow(1.0);
    form.repaint();
    bench.ResumeTiming();
    form.zoomWindow(scale);
    form.repaint();  // the whole window, panes included, painted now
  }
  if (form.centralWidget()->width() != qRound(ClientWidth * scale)) bench.SkipWithError("the window did not resize");
}
BENCHMARK(BM_ZoomResizeRepaint)->ArgName("percent")->Arg(150)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
