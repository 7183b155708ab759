// One tag edit on a full 8-channel, 1800-segment recording in the window: from
// the click on the tag strip until the window has repainted (the edit, the
// recalculation of tags, phases, averages and band power, and the paint of
// every pane it marked).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QMouseEvent>

#include "FullRecordingWindow.h"

namespace {

using namespace vode;

void click(QWidget* pane, QPoint pos, Qt::MouseButton button) {
  const QPointF global = pane->mapToGlobal(QPointF(pos));
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(pos), global, button, button, Qt::NoModifier);
  QCoreApplication::sendEvent(pane, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(pos), global, button, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(pane, &release);
}

// Args: flow display (0 flow, 2 power: the flow pane repaints too).
void BM_TagEditClickToRepaint(benchmark::State& bench) {
  FullRecordingWindow window;
  if (const std::string failed = window.open(); !failed.empty()) {
    bench.SkipWithError(failed.c_str());
    return;
  }
  TMainForm& form = window.form();
  form.document().preferences.flowDisplay = static_cast<uint8_t>(bench.range(0));
  form.adjust_to_prefs();
  form.set_current_segment(900);
  QCoreApplication::processEvents();
  QWidget* strip = form.findChild<QWidget*>("TagBox");
  const int x = (900 - form.display().FirstSegment) * form.display().SegmentPixels + 1;
  // Clear and include in turn, so every click changes the tags.
  bool clear = true;
  for (auto _ : bench) {
    click(strip, QPoint(x, 5), clear ? Qt::RightButton : Qt::LeftButton);
    // The panes the edit marked paint here, as the event loop would.
    QCoreApplication::processEvents();
    clear = !clear;
  }
}
BENCHMARK(BM_TagEditClickToRepaint)->ArgName("flowDisplay")->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
