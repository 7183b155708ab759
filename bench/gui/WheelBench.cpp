// One wheel notch over the flow pane of the full 8-channel, 1800-segment
// recording: from the wheel event until the window has repainted. Notches
// alternate in direction so the position stays in the middle of the
// recording; with paging, every notch also moves the screen by half.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QWheelEvent>

#include "FullRecordingWindow.h"

namespace {

using namespace vode;

void notch(QWidget* pane, int delta) {
  const QPointF at(200, 20);
  QWheelEvent event(at, pane->mapToGlobal(at), {}, QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(pane, &event);
}

// Args: 0 the notch stays on the screen, 1 every notch pages.
void BM_WheelNotchToRepaint(benchmark::State& bench) {
  FullRecordingWindow window;
  if (const std::string failed = window.open(); !failed.empty()) {
    bench.SkipWithError(failed.c_str());
    return;
  }
  TMainForm& form = window.form();
  QWidget* flow = form.findChild<QWidget*>("FlowBox");
  const bool paging = bench.range(0) != 0;
  form.set_current_segment(paging ? 899 : 910);
  form.repaint();
  bool later = true;
  for (auto _ : bench) {
    if (paging) {
      // Back to the edge of the screen unmeasured, so the notch pages.
      bench.PauseTiming();
      form.display().FirstSegment = later ? 850 : 900;
      form.set_current_segment(later ? 899 : 900);
      form.repaint();
      bench.ResumeTiming();
    }
    notch(flow, later ? -120 : 120);
    form.repaint();  // the whole window, the panes included, painted now
    later = !later;
  }
  if (form.display().CurrentSegment < 890 || form.display().CurrentSegment > 920)
    bench.SkipWithError("the wheel did not move the position");
}
BENCHMARK(BM_WheelNotchToRepaint)->ArgName("paging")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
