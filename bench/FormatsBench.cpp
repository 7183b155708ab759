// Reading and writing full-length recordings in the exchange formats.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "formats/Bin.h"
#include "formats/DosDat.h"
#include "formats/Wav.h"
#include "document/Document.h"
#include "model/Progress.h"
#include "model/Prompter.h"

namespace {

// 1800 segments of breath-like noise and a slow flow.
vode::Document fullDocument(int channels) {
  vode::Document doc;
  doc.recording = std::make_unique<vode::Recording>(vode::Recording::create(1800, channels));
  uint32_t x = 12345;
  for (int c = 0; c < channels; ++c)
    for (int16_t& v : doc.recording->sound[c]) {
      x = x * 1664525u + 1013904223u;
      v = static_cast<int16_t>((x >> 16) % 4001) - 2000;
    }
  for (int i = 0; i < doc.recording->flowSampleCount; ++i)
    doc.recording->flow[i] = static_cast<int16_t>((i % 1280) - 640);
  return doc;
}

std::string benchPath(const char* name) { return std::string("/tmp/vode-bench-") + name; }

void BM_DosWrite(benchmark::State& state) {
  const vode::Document doc = fullDocument(2);
  vode::SilentPrompter prompter;
  for (auto _ : state) benchmark::DoNotOptimize(vode::DosExport(doc, benchPath("w.dat"), prompter));
  std::remove(benchPath("w.dat").c_str());
}
BENCHMARK(BM_DosWrite)->Unit(benchmark::kMillisecond);

template <int (*Import)(vode::RecordingBundle&, const std::string&, vode::Prompter&, vode::ProgressSink&,
                        vode::FileSystem&)>
void readBack(benchmark::State& state, const std::string& path) {
  vode::SilentPrompter prompter;
  vode::NullProgress progress;
  for (auto _ : state) {
    vode::Document doc;
    benchmark::DoNotOptimize(Import(doc, path, prompter, progress, vode::FileSystem::real()));
  }
  std::remove(path.c_str());
}

void BM_DosRead(benchmark::State& state) {
  vode::SilentPrompter prompter;
  vode::DosExport(fullDocument(2), benchPath("r.dat"), prompter);
  readBack<vode::importDos>(state, benchPath("r.dat"));
}
BENCHMARK(BM_DosRead)->Unit(benchmark::kMillisecond);

void BM_WavRead(benchmark::State& state) {
  vode::exportWav(fullDocument(8), benchPath("r.wav"));
  readBack<vode::importWav>(state, benchPath("r.wav"));
}
BENCHMARK(BM_WavRead)->Unit(benchmark::kMillisecond);

void BM_BinRead(benchmark::State& state) {
  vode::SilentPrompter prompter;
  vode::exportBin(fullDocument(7), benchPath("r.bin"), prompter);
  readBack<vode::importBin>(state, benchPath("r.bin"));
}
BENCHMARK(BM_BinRead)->Unit(benchmark::kMillisecond);

}  // namespace
