// A stethoscope recording from other equipment (3 min of 44.1 kHz stereo
// 24-bit WAV) opened and analysed as the window opens it, and the segment
// table of a full recording (8 channels × 1800 segments, 8 bands). Wall
// clock and the process's processor time both: the analysis runs on every
// core.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "analysis/AnalysisCommand.h"
#include "model/Palette.h"
#include "document/Document.h"
#include "document/OpenDocument.h"
#include "formats/AnyRecording.h"
#include "model/Progress.h"
#include "model/Prompter.h"
#include "model/Synthetic.h"
#include "reports/TidyTable.h"

namespace {

// A file removed when the process ends.
struct TemporaryFile {
  std::string path;
  ~TemporaryFile() { std::remove(path.c_str()); }
};

// Written once per process: breath-like noise under a slow envelope and a tone.
const std::string& stethoscopeFile() {
  static const TemporaryFile file{[] {
    const std::string p = "/tmp/vode-bench-steth-" + std::to_string(::getpid()) + ".wav";
    const int rate = 44100, frames = 180 * rate;
    std::vector<uint8_t> bytes(44 + static_cast<std::size_t>(frames) * 6);
    auto put = [&](std::size_t at, uint32_t v, int n) {
      for (int i = 0; i < n; ++i) bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    std::copy_n("RIFF", 4, bytes.begin());
    put(4, static_cast<uint32_t>(bytes.size() - 8), 4);
    std::copy_n("WAVEfmt ", 8, bytes.begin() + 8);
    put(16, 16, 4), put(20, 1, 2), put(22, 2, 2), put(24, rate, 4), put(28, rate * 6, 4), put(32, 6, 2);
    put(34, 24, 2);
    std::copy_n("data", 4, bytes.begin() + 36);
    put(40, static_cast<uint32_t>(frames) * 6, 4);
    uint32_t x = 12345;
    for (int i = 0; i < frames; ++i)
      for (int c = 0; c < 2; ++c) {
        x = x * 1664525u + 1013904223u;
        const double envelope = std::fabs(std::sin(M_PI * i / (2.0 * rate)));
        const double v = envelope * 0.2 * (static_cast<double>(x >> 8) / (1 << 24) - 0.5) +
                         0.05 * std::sin(2 * M_PI * 400.0 * i / rate);
        put(44 + 6 * static_cast<std::size_t>(i) + 3 * c, static_cast<uint32_t>(std::lround(v * 8388607.0)), 3);
      }
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                             static_cast<std::streamsize>(bytes.size()));
    return p;
  }()};
  return file.path;
}

void BM_ImportStethoscopeRead(benchmark::State& state) {
  vode::SilentPrompter prompter;
  vode::NullProgress progress;
  const std::string& path = stethoscopeFile();
  for (auto _ : state) {
    vode::Document doc;
    if (vode::readAnyRecording(doc, path, prompter, progress) != 0) state.SkipWithError("not read");
  }
}
BENCHMARK(BM_ImportStethoscopeRead)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_ImportStethoscopeAnalysed(benchmark::State& state) {
  vode::SilentPrompter prompter;
  vode::NullProgress progress;
  const std::string& path = stethoscopeFile();
  for (auto _ : state) {
    vode::Document doc;
    if (vode::openPath(doc, path, prompter, progress) != 0) state.SkipWithError("not opened");
    vode::DoAnalyzeClick(doc, doc, vode::Palette::grey(), progress, prompter);
    benchmark::DoNotOptimize(doc.averages.get());
  }
}
BENCHMARK(BM_ImportStethoscopeAnalysed)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_TidyTable8x1800(benchmark::State& state) {
  vode::Document doc;
  vode::SynthOptions options;
  options.channels = 8;
  options.seconds = 180.0;
  vode::makeSyntheticRecording(doc, options);
  doc.prepareOpenedRecording();
  vode::SilentPrompter prompter;
  vode::NullProgress progress;
  vode::DoAnalyzeClick(doc, doc, vode::Palette::grey(), progress, prompter);
  std::vector<vode::TableBand> bands = vode::octaveTableBands();
  bands.push_back({100, 1000});
  bands.push_back({1000, 2000});
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string table = vode::tidyTableHeader(bands);
    vode::appendTidyTableRows(table, "study/recording-001.mer", doc, doc, bands, 1200);
    bytes = table.size();
    benchmark::DoNotOptimize(table.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_TidyTable8x1800)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

}  // namespace
