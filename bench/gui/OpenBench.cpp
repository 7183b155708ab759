// Opening a full recording in the window: from the open command until the
// window is enabled again (reading, offsets and volume, the whole analysis
// on the worker thread, then the display brought up to date); and the
// window's panes repainted while an analysis runs on its thread; and a
// stethoscope's 3-minute 44.1 kHz 24-bit stereo WAV, resampled as it opens.
#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cmath>
#include <functional>
#include <sstream>
#include <vector>

#include "FullRecordingWindow.h"
#include "app/Application.h"
#include "app/AutoPrompter.h"
#include "app/DocumentCommands.h"
#include "document/Document.h"
#include "document/OpenDocument.h"

namespace {

using namespace vode;

// Opens the file write makes, again and again, until the window is enabled
// with the analysis in place.
void timeOpens(benchmark::State& bench, const std::string& name, const std::function<bool(const std::string&)>& write) {
  QTemporaryDir dir(QDir::tempPath() + "/vode-open-bench-XXXXXX");
  const std::string folder = dir.path().toStdString() + "/";
  const std::string path = folder + name;
  if (!write(path)) {
    bench.SkipWithError("could not write the recording");
    return;
  }
  std::ostringstream boxes;
  AutoPrompter prompter(boxes);
  WindowOptions options;
  options.configDir = options.tempDir = folder;
  Application application(prompter, options);
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

void BM_OpenFullRecordingInWindow(benchmark::State& bench) { timeOpens(bench, "full.mer", writeFullRecording); }
BENCHMARK(BM_OpenFullRecordingInWindow)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// 180 s of two channels of breath-like noise and tones at 44.1 kHz, 24-bit.
bool writeStethoscopeWav(const std::string& path) {
  constexpr int Rate = 44100;
  constexpr int Frames = 180 * Rate;
  SF_INFO info{};
  info.samplerate = Rate;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) return false;
  std::vector<float> samples(static_cast<std::size_t>(Frames) * 2);
  uint32_t noise = 1;
  for (std::size_t k = 0; k < samples.size(); ++k) {
    noise = noise * 1664525u + 1013904223u;
    const double t = static_cast<double>(k / 2) / Rate;
    samples[k] = static_cast<float>(0.2 * std::sin(2 * M_PI * (300.0 + 150.0 * (k % 2)) * t) *
                                        (0.6 + 0.4 * std::sin(2 * M_PI * 0.25 * t)) +
                                    0.1 * (static_cast<double>(noise >> 8) / (1 << 24) - 0.5));
  }
  const bool written = sf_writef_float(file, samples.data(), Frames) == Frames;
  return sf_close(file) == 0 && written;
}

// Until the window is enabled and analysed again: the resample import (the
// first 180 s, 44.1 kHz to 10240 Hz, 24 to 16 bits), the whole analysis, the
// display and the status bar's notices.
void BM_OpenStethoscopeWavInWindow(benchmark::State& bench) {
  timeOpens(bench, "stethoscope.wav", writeStethoscopeWav);
}
BENCHMARK(BM_OpenStethoscopeWavInWindow)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

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
