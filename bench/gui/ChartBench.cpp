// A band change in the power-versus-flow panel on a full 8-channel,
// 1800-segment recording: from the new "Max Hz" until the window has
// repainted (the band power of every channel, the power trace, the chart's
// new points and its paint).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QSpinBox>

#include "FullRecordingWindow.h"
#include "viewer/FlowChart.h"
#include "viewer/PowerPanel.h"

namespace {

using namespace vode;

// Args: the chart type (2 flow/dB, 3 flow bin/dB, 4 flow bin/dB + 2SD).
void BM_BandChangeToChart(benchmark::State& bench) {
  FullRecordingWindow window;
  if (const std::string failed = window.open(); !failed.empty()) {
    bench.SkipWithError(failed.c_str());
    return;
  }
  TMainForm& form = window.form();
  form.document().preferences.flowDisplay = 2;
  form.adjust_to_prefs();
  form.powerPanel().setChartType(static_cast<ChartType>(bench.range(0)));
  QCoreApplication::processEvents();
  auto* spinMax = form.findChild<QSpinBox*>("SpinMax");
  // Two bands in turn, so every step is a change.
  bool wide = false;
  for (auto _ : bench) {
    spinMax->setValue(wide ? 400 : 200);
    QCoreApplication::processEvents();
    wide = !wide;
  }
  bench.counters["points"] = form.powerPanel().chart().pointCount(0);
}
BENCHMARK(BM_BandChangeToChart)
    ->ArgName("chartType")
    ->Arg(2)
    ->Arg(3)
    ->Arg(4)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
