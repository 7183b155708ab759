// The wheeze detector on a full recording (8 channels × 1800 segments).
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "analysis/WheezeDetection.h"
#include "analysis/WheezeKernels.h"
#include "document/Document.h"
#include "model/Progress.h"
#include "model/Prompter.h"

namespace {

// Breath-noise spectra with periodogram scatter and a wandering tone now and
// then, so the peak search and the linking have work to do.
std::unique_ptr<vode::Document> fullDocument() {
  auto doc = std::make_unique<vode::Document>();
  doc->recording = std::make_unique<vode::Recording>(vode::Recording::create(1800, 8));
  doc->tagTable = std::make_unique<vode::TagTable>();
  doc->tagTable->create(8, 1800);
  doc->spectra = std::make_unique<vode::SegmentSpectra>();
  doc->spectra->create(1800, 8);
  uint32_t x = 12345;
  for (int c = 0; c < 8; ++c) {
    doc->spectra->sonogram[c].allocate(1800, vode::ImageRows);
    for (int s = 0; s < 1800; ++s) {
      float* row = doc->spectra->power(c, s);
      const int tone = (s / 40) % 3 == 0 ? 60 + (s % 40) * 3 : -100;
      for (int b = 0; b < vode::BinCount; ++b) {
        x = x * 1664525u + 1013904223u;
        const float u = static_cast<float>((x >> 8) + 1) / 16777217.0f;
        float p = 1e-9f * std::exp(-b / 300.0f) * -std::log(u);
        if (std::abs(b - tone) <= 1) p *= 3e3f;
        row[b] = p;
      }
    }
  }
  return doc;
}

void BM_DetectWheezes(benchmark::State& state) {
  std::unique_ptr<vode::Document> doc = fullDocument();
  vode::NullProgress progress;
  vode::SilentPrompter prompter;
  const int threads = static_cast<int>(state.range(0));
  for (auto _ : state) {
    vode::DetectWheezes(*doc, *doc, progress, prompter, threads);
    benchmark::DoNotOptimize(doc->wheezeMap->scoreData.data());
  }
}
BENCHMARK(BM_DetectWheezes)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SmoothRow(benchmark::State& state) {
  const vode::PeakKernels kernels = vode::MakePeakKernels();
  std::vector<float> x(vode::BinCount), y(vode::BinCount);
  for (int b = 0; b < vode::BinCount; ++b) x[b] = std::sin(b * 0.1f) * 3.0f;
  for (auto _ : state) {
    vode::SmoothRow(x.data(), vode::BinCount, y.data(), vode::BinCount, kernels.S.data());
    benchmark::DoNotOptimize(y.data());
  }
}
BENCHMARK(BM_SmoothRow)->Unit(benchmark::kMicrosecond);

}  // namespace
