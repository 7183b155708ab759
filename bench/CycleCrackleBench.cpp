// Breath cycles from sound and the crackle detector on a full recording (8
// channels × 1800 segments of synthetic breathing with crackles, no breath
// trace): the cycle estimate over the band power of every channel and the
// crackle detector, each with one thread and with every core.
#include <benchmark/benchmark.h>

#include "analysis/BreathCycleEstimate.h"
#include "analysis/CrackleDetection.h"
#include "document/Document.h"
#include "model/Progress.h"
#include "model/Synthetic.h"
#include "model/TagTable.h"

namespace {

const vode::Recording& fullRecording() {
  static vode::Document doc;
  if (!doc.hasRecording()) {
    vode::SynthOptions options;
    options.channels = 8;
    options.seconds = 180.0;
    options.crackles = true;
    options.breathSignal = false;
    vode::makeSyntheticRecording(doc, options);
  }
  return *doc.recording;
}

void BM_EstimateBreathCycles(benchmark::State& state) {
  const vode::Recording& rec = fullRecording();
  const int threads = static_cast<int>(state.range(0));
  for (auto _ : state) {
    const vode::CycleEstimate estimate = vode::EstimateBreathCycles(rec, -1, {}, threads);
    benchmark::DoNotOptimize(estimate.cycles.data());
  }
}
// Argument: threads (0 = every core).
BENCHMARK(BM_EstimateBreathCycles)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DetectCrackles(benchmark::State& state) {
  const vode::Recording& rec = fullRecording();
  vode::TagTable tags;
  tags.create(rec.channelCount, rec.segmentCount);
  vode::NullProgress progress;
  const int threads = static_cast<int>(state.range(0));
  for (auto _ : state) {
    const vode::CrackleResult result = vode::DetectCrackles(rec, tags, progress, threads);
    benchmark::DoNotOptimize(result.counts.data());
  }
}
// Argument: threads (0 = every core).
BENCHMARK(BM_DetectCrackles)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
