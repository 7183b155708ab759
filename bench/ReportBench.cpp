// Report texts of a full-length recording: the segment tables print one value
// per segment and bin, 1800 × 960 at the widest range.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "document/Document.h"
#include "model/Prompter.h"
#include "reports/ReportWriter.h"

namespace {

std::unique_ptr<vode::Document> analysedDocument() {
  using namespace vode;
  auto doc = std::make_unique<Document>();
  doc->state.currentFileName = "bench.mer";
  doc->recording = std::make_unique<Recording>(Recording::create(MaxSegments, 1));
  doc->tagTable = std::make_unique<TagTable>();
  doc->tagTable->create(1, MaxSegments);
  PhaseTable& p = doc->phases();
  p.lastSegment = MaxSegments - 1;
  doc->spectra = std::make_unique<SegmentSpectra>();
  doc->spectra->create(MaxSegments, 1);
  uint32_t x = 12345;
  for (float& v : doc->spectra->powerData) {
    x = x * 1664525u + 1013904223u;
    v = static_cast<float>(x >> 8) * 1e-12f;
  }
  for (int s = 0; s < MaxSegments; ++s) {
    doc->tagTable->setPhase(s, static_cast<uint8_t>(1 << (s % 3)));
    p.segmentFlow[s] = 0.001f * static_cast<float>(s % 700 - 350);
  }
  doc->averages = std::make_unique<OverallAverages>();
  doc->averages->allocate(1);
  return doc;
}

void BM_ReportText(benchmark::State& state) {
  auto doc = analysedDocument();
  vode::ReportOptions options;
  options.maxFrequency = static_cast<int>(state.range(1));
  options.watts = state.range(2) != 0;
  vode::SilentPrompter prompter;
  std::string text;
  for (auto _ : state) {
    vode::ReportText(*doc, *doc, static_cast<vode::ReportKind>(state.range(0)), options, prompter, text);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
// All segments at 1200 and 4800 Hz in dB, 4800 Hz in watts; octave bands.
BENCHMARK(BM_ReportText)
    ->Args({4, 1200, 0})
    ->Args({4, 4800, 0})
    ->Args({4, 4800, 1})
    ->Args({3, 1200, 0})
    ->Unit(benchmark::kMillisecond);

}  // namespace
