// The analysis of a full recording (8 channels × 1800 segments): the
// transform alone, spectra and images with one thread and with every core,
// and the whole analysis command.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>

#include "analysis/AnalysisCommand.h"
#include "analysis/Fft.h"
#include "analysis/Spectra.h"
#include "document/Document.h"
#include "formats/BlockFile.h"
#include "model/Palette.h"
#include "model/Prompter.h"
#include "model/Synthetic.h"

namespace {

// A synthetic 8-channel, 180 s recording with its spectra allocated.
std::unique_ptr<vode::Document> fullDocument() {
  auto doc = std::make_unique<vode::Document>();
  vode::SynthOptions options;
  options.channels = 8;
  options.seconds = 180.0;
  vode::makeSyntheticRecording(*doc, options);
  doc->prepareOpenedRecording();
  doc->spectra = std::make_unique<vode::SegmentSpectra>();
  doc->spectra->create(doc->recording->segmentCount, doc->recording->channelCount);
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

// One window from samples to power, as CalculatePower runs it. Argument: 1 for
// the AVX2 build where the processor has it, 0 for the baseline build.
void BM_PowerSpectrum(benchmark::State& state) {
  const vode::RealFft2048 fft(state.range(0) != 0);
  vode::RealFft2048::Work work;
  const std::vector<float> w = vode::analysisWindow();
  std::vector<int16_t> samples(2048);
  std::vector<float> power(960);
  for (int k = 0; k < 2048; ++k) samples[k] = static_cast<int16_t>(3000.0 * std::sin(0.37 * k) + 500.0 * std::cos(1.3 * k));
  for (auto _ : state) {
    fft.power(samples.data(), w.data(), vode::CountsToVolts, vode::PowerScale, 960, power.data(), work);
    benchmark::DoNotOptimize(power.data());
    benchmark::ClobberMemory();
  }
  state.SetLabel(fft.wide() ? "avx2" : "baseline");
}
BENCHMARK(BM_PowerSpectrum)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Argument: threads (0 = every core).
void BM_CalculatePower(benchmark::State& state) {
  auto doc = fullDocument();
  vode::NullProgress progress;
  for (auto _ : state) vode::CalculatePower(*doc, *doc, progress, static_cast<int>(state.range(0)));
}
BENCHMARK(BM_CalculatePower)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CalculateImage(benchmark::State& state) {
  auto doc = fullDocument();
  vode::NullProgress progress;
  vode::CalculatePower(*doc, *doc, progress);
  const vode::Palette palette = vode::Palette::grey();
  for (auto _ : state) vode::CalculateImage(*doc, *doc, palette, progress, static_cast<int>(state.range(0)));
}
BENCHMARK(BM_CalculateImage)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CalculateTags(benchmark::State& state) {
  auto doc = fullDocument();
  vode::NullProgress progress;
  vode::SilentPrompter prompter;
  vode::CalculatePower(*doc, *doc, progress);
  for (auto _ : state) vode::CalculateTags(*doc, *doc, true, progress, prompter);
}
BENCHMARK(BM_CalculateTags)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DoAnalyzeClick(benchmark::State& state) {
  auto doc = fullDocument();
  vode::NullProgress progress;
  vode::SilentPrompter prompter;
  const vode::Palette palette = vode::Palette::grey();
  for (auto _ : state) vode::DoAnalyzeClick(*doc, *doc, palette, progress, prompter);
}
BENCHMARK(BM_DoAnalyzeClick)->Unit(benchmark::kMillisecond)->UseRealTime();

// What vode-cli analyze does with a file: read, offsets, volume, analysis.
void BM_OpenAndAnalyze(benchmark::State& state) {
  const std::string path = "/tmp/vode-bench-" + std::to_string(::getpid()) + ".mer";
  {
    auto doc = fullDocument();
    vode::SilentPrompter prompter;
    vode::NullProgress progress;
    vode::saveRecordingFile(*doc, path, 0, doc->recording->segmentCount - 1, prompter, progress);
  }
  vode::NullProgress progress;
  vode::SilentPrompter prompter;
  const vode::Palette palette = vode::Palette::grey();
  for (auto _ : state) {
    vode::Document doc;
    if (vode::loadBlockFile(doc, path, prompter, progress) != 0) state.SkipWithError("cannot read");
    doc.prepareOpenedRecording();
    vode::DoAnalyzeClick(doc, doc, palette, progress, prompter);
  }
  std::remove(path.c_str());
}
BENCHMARK(BM_OpenAndAnalyze)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
