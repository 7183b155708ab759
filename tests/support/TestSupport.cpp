#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <random>

#include "formats/BlockFile.h"

namespace vode::test {

TempDir::TempDir() {
  static int counter = 0;
  path_ = std::filesystem::temp_directory_path() /
          ("vode-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

bool ScriptedPrompter::saw(const std::string& text) const {
  for (const Entry& e : messages)
    if (e.text == text) return true;
  return false;
}

namespace {

class FaultyOutputFile : public OutputFile {
 public:
  FaultyOutputFile(std::unique_ptr<OutputFile> inner, FaultyFileSystem& fs) : inner_(std::move(inner)), fs_(fs) {}
  int write(const void* data, std::size_t size) override {
    if (fs_.fault == FaultyFileSystem::Fault::Write && writes_++ >= fs_.failAfterWrites) {
      // Like a disk that fills up in the middle of a write.
      if (fs_.writeHalfFirst) inner_->write(data, size / 2);
      return fs_.code;
    }
    return inner_->write(data, size);
  }
  int adopt(const FileStatus& like) override { return inner_->adopt(like); }
  int close() override {
    const int code = inner_->close();
    if (fs_.fault == FaultyFileSystem::Fault::Close) return fs_.code;
    return code;
  }

 private:
  std::unique_ptr<OutputFile> inner_;
  FaultyFileSystem& fs_;
  int writes_ = 0;
};

}  // namespace

std::unique_ptr<OutputFile> FaultyFileSystem::create(const std::string& path, CreateMode mode, int& error) {
  if (fault == Fault::Create) {
    error = code;
    return nullptr;
  }
  auto inner = FileSystem::real().create(path, mode, error);
  if (!inner) return nullptr;
  return std::make_unique<FaultyOutputFile>(std::move(inner), *this);
}

int FaultyFileSystem::rename(const std::string& from, const std::string& to) {
  if (fault == Fault::Rename) return code;
  return FileSystem::real().rename(from, to);
}

std::vector<uint8_t> readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void writeShortWav(const std::string& path, int samples) {
  std::vector<uint8_t> bytes;
  auto put = [&](uint32_t v, int n) {
    for (int i = 0; i < n; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto tag = [&](const char* t) { bytes.insert(bytes.end(), t, t + 4); };
  const uint32_t data = static_cast<uint32_t>(samples) * 2;
  tag("RIFF"); put(36 + data, 4); tag("WAVE");
  tag("fmt "); put(16, 4); put(1, 2); put(1, 2); put(10240, 4); put(20480, 4); put(2, 2); put(16, 2);
  tag("data"); put(data, 4);
  for (int i = 0; i < samples; ++i) put(static_cast<uint16_t>(i % 2 ? -20000 : 20000), 2);
  writeBytes(path, bytes);
}

void saveMadeRecording(const std::string& path, int segments, int channels) {
  Document doc;
  doc.recording = std::make_unique<Recording>(makeRecording(segments, channels));
  SilentPrompter quiet;
  NullProgress none;
  EXPECT_EQ(saveRecordingFile(doc, path, 0, segments - 1, quiet, none), 0);
}

void saveSyntheticRecording(const std::string& path, const SynthOptions& options) {
  Document doc;
  makeSyntheticRecording(doc, options);
  SilentPrompter quiet;
  NullProgress none;
  EXPECT_EQ(saveRecordingFile(doc, path, 0, doc.recording->segmentCount - 1, quiet, none), 0);
}

bool writeSoundFile(const std::string& path, int format, int rate, int channels, int frames) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) return false;
  std::vector<double> samples(static_cast<std::size_t>(frames) * channels);
  uint32_t noise = 12345;
  for (std::size_t k = 0; k < samples.size(); ++k) {
    noise = noise * 1664525u + 1013904223u;
    samples[k] = 0.3 * std::sin(2 * M_PI * (250.0 + 200.0 * (k % channels)) * (k / channels) / rate) +
                 0.2 * (static_cast<double>(noise >> 8) / (1 << 24) - 0.5);
  }
  sf_writef_double(file, samples.data(), frames);
  return sf_close(file) == 0;
}

Recording makeRecording(int segments, int channels, unsigned seed) {
  Recording r = Recording::create(segments, channels);
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> noise(-3000, 3000);
  for (int c = 0; c < r.channelCount; ++c)
    for (int16_t& v : r.sound[c]) v = static_cast<int16_t>(noise(rng));
  for (int i = 0; i < r.flowSampleCount; ++i)
    r.flow[i] = static_cast<int16_t>(std::lround(600.0 * std::sin(2.0 * M_PI * i / (FlowRate * 4.0))));
  return r;
}

std::string testdata(const std::string& name) { return std::string(VODE_TESTDATA_DIR) + "/" + name; }

bool haveTestdata() { return std::filesystem::is_directory(VODE_TESTDATA_DIR); }

std::string missingTestdataText() {
  return "the reference data folder " + std::string(VODE_TESTDATA_DIR) +
         " is absent (configure with -DVODE_TESTDATA_DIR=FOLDER to run this test)";
}

}  // namespace vode::test
