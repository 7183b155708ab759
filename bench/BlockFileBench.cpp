// Block file speed on a full recording (8 channels × 1800 segments, ~30 MB):
// building and parsing the image in memory, saving and loading through the
// disk, and the CRC alone.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "formats/BlockFile.h"
#include "formats/Crc32.h"
#include "document/Document.h"
#include "model/Progress.h"
#include "model/Prompter.h"
#include "model/Synthetic.h"

namespace {

const vode::Document& fullDocument() {
  static vode::Document doc = [] {
    vode::Document d;
    vode::SynthOptions options;
    options.channels = 8;
    options.seconds = 180;
    vode::makeSyntheticRecording(d, options);
    d.tagTable = std::make_unique<vode::TagTable>();
    d.tagTable->create(8, 1800);
    return d;
  }();
  return doc;
}

std::string benchPath() {
  return (std::filesystem::temp_directory_path() / ("vode-bench-" + std::to_string(::getpid()) + ".mer")).string();
}

void BM_Crc32(benchmark::State& state) {
  std::vector<uint8_t> data(static_cast<std::size_t>(state.range(0)));
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 131u + 7u);
  for (auto _ : state) benchmark::DoNotOptimize(vode::crc32Update(vode::CrcStart, data.data(), data.size()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Crc32)->Arg(1 << 20)->Arg(30 << 20);

void BM_Crc32Bytewise(benchmark::State& state) {
  std::vector<uint8_t> data(1 << 20, 0x5A);
  for (auto _ : state) benchmark::DoNotOptimize(vode::crc32UpdateBytewise(vode::CrcStart, data.data(), data.size()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (1 << 20));
}
BENCHMARK(BM_Crc32Bytewise);

void BM_RecordingFileImage(benchmark::State& state) {
  const vode::Document& doc = fullDocument();
  std::size_t size = 0;
  for (auto _ : state) {
    auto image = vode::recordingFileImage(doc, 0, 1799);
    size = image.size();
    benchmark::DoNotOptimize(image.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}
BENCHMARK(BM_RecordingFileImage)->Unit(benchmark::kMillisecond);

void BM_ReadBlockImage(benchmark::State& state) {
  const auto image = vode::recordingFileImage(fullDocument(), 0, 1799);
  vode::SilentPrompter prompter;
  vode::NullProgress progress;
  for (auto _ : state) {
    vode::Document doc;
    if (vode::readBlockImage(doc, image.data(), image.size(), prompter, progress) != 0) state.SkipWithError("read");
    benchmark::DoNotOptimize(doc.recording.get());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * image.size()));
}
BENCHMARK(BM_ReadBlockImage)->Unit(benchmark::kMillisecond);

// Through the file system: the temporary file, its flush to the device and
// the rename are part of every save.
void BM_SaveRecordingFile(benchmark::State& state) {
  vode::Document doc;
  const vode::Document& full = fullDocument();
  doc.recording = std::make_unique<vode::Recording>(*full.recording);
  doc.subject = full.subject;
  const std::string path = benchPath();
  vode::SilentPrompter prompter;
  vode::NullProgress progress;
  for (auto _ : state)
    if (vode::saveRecordingFile(doc, path, 0, 1799, prompter, progress) != 0) state.SkipWithError("save");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(std::filesystem::file_size(path)));
  std::remove(path.c_str());
}
BENCHMARK(BM_SaveRecordingFile)->Unit(benchmark::kMillisecond);

void BM_LoadBlockFile(benchmark::State& state) {
  const std::string path = benchPath();
  {
    vode::Document doc;
    doc.recording = std::make_unique<vode::Recording>(*fullDocument().recording);
    vode::SilentPrompter prompter;
    vode::NullProgress progress;
    vode::saveRecordingFile(doc, path, 0, 1799, prompter, progress);
  }
  vode::SilentPrompter prompter;
  vode::NullProgress progress;
  for (auto _ : state) {
    vode::Document doc;
    if (vode::loadBlockFile(doc, path, prompter, progress) != 0) state.SkipWithError("load");
    benchmark::DoNotOptimize(doc.recording.get());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(std::filesystem::file_size(path)));
  std::remove(path.c_str());
}
BENCHMARK(BM_LoadBlockFile)->Unit(benchmark::kMillisecond);

}  // namespace
