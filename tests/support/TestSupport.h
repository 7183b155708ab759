// Helpers shared by the tests: temporary folders, a scripted prompter, a file
// system that fails on demand, and small recordings.
#pragma once

#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "formats/FileSystem.h"
#include "document/Document.h"
#include "model/Progress.h"
#include "model/Synthetic.h"
#include "model/Prompter.h"

namespace vode::test {

// A fresh folder under the system's temporary folder, removed at destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Records every message and question; answers questions from a script, then
// with their defaults.
class ScriptedPrompter : public Prompter {
 public:
  struct Entry {
    MessageKind kind;
    std::string text;
  };
  std::vector<Entry> messages;
  std::vector<std::string> questions;
  std::deque<Answer> answers;

  void message(MessageKind kind, const std::string& text) override { messages.push_back({kind, text}); }
  Answer ask(const std::string& text, Buttons, Answer defaultAnswer) override {
    questions.push_back(text);
    if (answers.empty()) return defaultAnswer;
    Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  bool saw(const std::string& text) const;
};

// Records what a long operation reported: its text, its gauge size, every
// position and how often it ended.
class RecordingProgress : public ProgressSink {
 public:
  std::string text;
  int steps = -1;
  std::vector<int> positions;
  int begins = 0;
  int ends = 0;
  void begin(const std::string& t, int s) override {
    text = t;
    steps = s;
    ++begins;
  }
  void setMaximum(int s) override { steps = s; }
  void set(int p) override { positions.push_back(p); }
  void end() override { ++ends; }
};

// The real file system, except that the chosen step fails with the given code.
class FaultyFileSystem : public FileSystem {
 public:
  enum class Fault { None, Create, Write, Close, Rename, Access };
  Fault fault = Fault::None;
  int code = 101;
  int failAfterWrites = 0;      // for Fault::Write: writes that succeed first
  bool writeHalfFirst = false;  // for Fault::Write: the failing write lands half its bytes

  std::unique_ptr<OutputFile> create(const std::string& path, CreateMode mode, int& error) override;
  int rename(const std::string& from, const std::string& to) override;
  int remove(const std::string& path) override { return FileSystem::real().remove(path); }
  bool exists(const std::string& path) override { return FileSystem::real().exists(path); }
  int readAll(const std::string& path, std::vector<uint8_t>& bytes) override {
    return FileSystem::real().readAll(path, bytes);
  }
  int readPrefix(const std::string& path, std::size_t maxBytes, std::vector<uint8_t>& bytes) override {
    largestRead = std::max(largestRead, maxBytes);
    return FileSystem::real().readPrefix(path, maxBytes, bytes);
  }
  std::size_t largestRead = 0;  // the most any read asked for
  std::string resolveLinks(const std::string& path) override { return FileSystem::real().resolveLinks(path); }
  FileStatus status(const std::string& path) override { return FileSystem::real().status(path); }
  FileStatus linkStatus(const std::string& path) override { return FileSystem::real().linkStatus(path); }
  std::unique_ptr<FolderLock> lockFolder(const std::string& folder) override {
    return FileSystem::real().lockFolder(folder);
  }
  // Fault::Access: every existing file is read-only for us.
  int checkWritable(const std::string& path) override {
    return fault == Fault::Access ? code : FileSystem::real().checkWritable(path);
  }
  std::vector<std::string> listFolder(const std::string& folder) override {
    return FileSystem::real().listFolder(folder);
  }
};

// Bytes of a file (empty when missing).
std::vector<uint8_t> readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// A mono 16-bit WAV at 10240 Hz of `samples` samples of ±20000.
void writeShortWav(const std::string& path, int samples);
// A sound file as libsndfile writes it (format: SF_FORMAT_* of container and
// coding): breath-like noise and a tone of its own on each channel. false
// when libsndfile refused.
bool writeSoundFile(const std::string& path, int format, int rate, int channels, int frames);

// A recording with deterministic pseudo-random sound and a sine-like flow.
Recording makeRecording(int segments, int channels, unsigned seed = 1);
// makeRecording's recording written as a recording file at path.
void saveMadeRecording(const std::string& path, int segments, int channels);
// A synthetic recording written as a recording file at path.
void saveSyntheticRecording(const std::string& path, const SynthOptions& options);

// Path of a file in the reference-data folder (the VODE_TESTDATA_DIR cache
// variable), and whether that folder is there. A test that reads it starts
// with VODE_NEEDS_TESTDATA(), so a clone without the folder skips it.
std::string testdata(const std::string& name);
bool haveTestdata();
std::string missingTestdataText();
#define VODE_NEEDS_TESTDATA() \
  if (!::vode::test::haveTestdata()) GTEST_SKIP() << ::vode::test::missingTestdataText()

}  // namespace vode::test
