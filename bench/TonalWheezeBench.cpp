// The tonal wheeze detector on a full recording (8 channels × 1800 segments
// of synthetic breathing with wheezes and crackles): what it adds to the
// analysis, with one thread and with every core.
#include <benchmark/benchmark.h>

#include <memory>

#include "analysis/TonalWheeze.h"
#include "analysis/WheezeMap.h"
#include "document/Document.h"
#include "model/Progress.h"
#include "model/Synthetic.h"

namespace {

void BM_DetectTonalWheezes(benchmark::State& state) {
  vode::Document doc;
  vode::SynthOptions options;
  options.channels = 8;
  options.seconds = 180.0;
  options.wheezes = true;
  options.crackles = true;
  vode::makeSyntheticRecording(doc, options);
  const vode::Recording& rec = *doc.recording;
  vode::TagTable tags;
  tags.create(rec.channelCount, rec.segmentCount);
  vode::WheezeMap map;
  map.create(rec.channelCount, rec.segmentCount);
  vode::NullProgress progress;
  const int threads = static_cast<int>(state.range(0));
  for (auto _ : state) {
    vode::DetectTonalWheezes(rec, tags, map, progress, threads);
    benchmark::DoNotOptimize(map.scoreData.data());
  }
}
// Argument: threads (0 = every core).
BENCHMARK(BM_DetectTonalWheezes)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
