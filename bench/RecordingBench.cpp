// Sample operations on a full recording (8 channels × 1800 segments).
#include <benchmark/benchmark.h>

#include "model/Recording.h"
#include "model/Records.h"

namespace {

vode::Recording fullRecording() {
  vode::Recording r = vode::Recording::create(1800, 8);
  uint32_t x = 12345;
  for (int c = 0; c < 8; ++c)
    for (int16_t& v : r.sound[c]) {
      x = x * 1664525u + 1013904223u;
      v = static_cast<int16_t>((x >> 16) % 4001) - 1900;
    }
  return r;
}

void BM_RemoveOffsets(benchmark::State& state) {
  vode::Recording base = fullRecording();
  for (auto _ : state) {
    state.PauseTiming();
    vode::Recording r = base;
    state.ResumeTiming();
    r.removeOffsets({1, 1, 1, 1, 1, 1, 1, 1});
    benchmark::DoNotOptimize(r.sound[0].data());
  }
}
BENCHMARK(BM_RemoveOffsets)->Unit(benchmark::kMillisecond);

void BM_ComputeVolume(benchmark::State& state) {
  vode::Recording r = fullRecording();
  vode::ChannelSetup setup;
  for (int i = 0; i < r.flowSampleCount; ++i) r.flow[i] = static_cast<int16_t>((i % 640) - 320);
  for (auto _ : state) {
    r.computeVolume(setup);
    benchmark::DoNotOptimize(r.volume.data());
  }
}
BENCHMARK(BM_ComputeVolume)->Unit(benchmark::kMicrosecond);

}  // namespace
