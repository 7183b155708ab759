// Undo of a drag over 100 segments of the full 8-channel, 1800-segment
// recording: from Edit/Undo until the window has repainted (the tag table
// swapped back, the tags, phases, averages and band power recalculated, and
// every pane it marked painted). Redo, outside the timing, brings the drag
// back for the next round.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QCoreApplication>
#include <QMouseEvent>

#include "FullRecordingWindow.h"

namespace {

using namespace vode;

void send(QWidget* pane, QEvent::Type type, int x, Qt::MouseButton button, Qt::MouseButtons held) {
  const QPointF pos(x, 5);
  QMouseEvent event(type, pos, pane->mapToGlobal(pos), button, held, Qt::NoModifier);
  QCoreApplication::sendEvent(pane, &event);
}

void BM_UndoDragToRepaint(benchmark::State& bench) {
  FullRecordingWindow window;
  if (const std::string failed = window.open(); !failed.empty()) {
    bench.SkipWithError(failed.c_str());
    return;
  }
  TMainForm& form = window.form();
  form.set_current_segment(800);
  QCoreApplication::processEvents();
  QWidget* strip = form.findChild<QWidget*>("TagBox");
  const auto x = [&](int32_t s) { return (s - form.display().FirstSegment) * form.display().SegmentPixels + 1; };
  // A right-button drag clears the phase of every segment it passes.
  const int32_t first = form.display().FirstSegment + 10;
  send(strip, QEvent::MouseButtonPress, x(first), Qt::RightButton, Qt::RightButton);
  for (int32_t s = first + 1; s < first + 100; ++s)
    send(strip, QEvent::MouseMove, x(s), Qt::NoButton, Qt::RightButton);
  send(strip, QEvent::MouseButtonRelease, x(first + 99), Qt::RightButton, Qt::NoButton);
  QCoreApplication::processEvents();
  QAction* undo = form.action("Undo1");
  QAction* redo = form.action("Redo1");
  for (auto _ : bench) {
    undo->trigger();
    QCoreApplication::processEvents();
    bench.PauseTiming();
    if (!redo->isEnabled()) {
      bench.SkipWithError("nothing was undone");
      break;
    }
    redo->trigger();
    QCoreApplication::processEvents();
    bench.ResumeTiming();
  }
}
BENCHMARK(BM_UndoDragToRepaint)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
