// The analysis of a full recording (8 channels × 1800 segments): the
// transform alone, spectra and images with one thread and with every core,
// and the whole analysis command.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "analysis/AnalysisCommand.h"
#include "analysis/Fft.h"
#include "analysis/Palette.h"
#include "analysis/Spectra.h"
#include "model/Document.h"
#include "model/Prompter.h"

namespace {

// Noise with breathing-modulated loudness and a sine flow of 4 s period.
std::unique_ptr<vode::Document> fullDocument() {
  auto doc = std::make_unique<vode::Document>();
  doc->recording = std::make_unique<vode::Recording>(vode::Recording::create(1800, 8));
  vode::Recording& r = *doc->recording;
  uint32_t x = 12345;
  for (int c = 0; c < 8; ++c)
    for (int i = 0; i < r.soundSampleCount; ++i) {
      x = x * 1664525u + 1013904223u;
      const double loud = 1.0 + 0.8 * std::sin(2.0 * M_PI * i / (vode::SoundRate * 4.0));
      r.sound[c][i] = static_cast<int16_t>((static_cast<int>((x >> 16) % 4001) - 2000) * loud);
    }
  for (int i = 0; i < r.flowSampleCount; ++i)
    r.flow[i] = static_cast<int16_t>(std::lround(600.0 * std::sin(2.0 * M_PI * i / (vode::FlowRate * 4.0))));
  doc->prepareOpenedRecording();
  doc->spectra = std::make_unique<vode::SegmentSpectra>();
  doc->spectra->create(r.segmentCount, r.channelCount);
  return doc;
}

void BM_Transform2048(benchmark::State& state) {
  const vode::RealFft2048 fft;
  vode::RealFft2048::Work work;
  std::vector<float> x(2048), re(960), im(960);
  for (int k = 0; k < 2048; ++k) x[k] = static_cast<float>(std::sin(0.37 * k) + 0.1 * std::cos(1.3 * k));
  for (auto _ : state) {
    fft.transform(x.data(), 960, re.data(), im.data(), work);
    benchmark::DoNotOptimize(re.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Transform2048)->Unit(benchmark::kMicrosecond);

// Argument: threads (0 = every core).
void BM_CalculatePower(benchmark::State& state) {
  auto doc = fullDocument();
  vode::NullProgress progress;
  for (auto _ : state) vode::CalculatePower(*doc, progress, static_cast<int>(state.range(0)));
}
BENCHMARK(BM_CalculatePower)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CalculateImage(benchmark::State& state) {
  auto doc = fullDocument();
  vode::NullProgress progress;
  vode::CalculatePower(*doc, progress);
  const vode::Palette palette = vode::Palette::grey();
  for (auto _ : state) vode::CalculateImage(*doc, palette, progress, static_cast<int>(state.range(0)));
}
BENCHMARK(BM_CalculateImage)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CalculateTags(benchmark::State& state) {
  auto doc = fullDocument();
  vode::NullProgress progress;
  vode::SilentPrompter prompter;
  vode::CalculatePower(*doc, progress);
  for (auto _ : state) vode::CalculateTags(*doc, true, progress, prompter);
}
BENCHMARK(BM_CalculateTags)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DoAnalyzeClick(benchmark::State& state) {
  auto doc = fullDocument();
  vode::NullProgress progress;
  vode::SilentPrompter prompter;
  const vode::Palette palette = vode::Palette::grey();
  for (auto _ : state) vode::DoAnalyzeClick(*doc, palette, progress, prompter);
}
BENCHMARK(BM_DoAnalyzeClick)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
