// Shared pieces of the fuzz drivers: a file system held in memory, a prompter
// whose answers come from the input, and the checks every loaded document must
// pass. A failed check aborts, which libFuzzer reports as a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "formats/FileErrors.h"
#include "formats/FileSystem.h"
#include "document/Document.h"
#include "model/Progress.h"
#include "model/Prompter.h"

namespace vode::fuzz {

#define FUZZ_CHECK(cond)                                                           \
  do {                                                                             \
    if (!(cond)) {                                                                 \
      std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
      std::abort();                                                                \
    }                                                                              \
  } while (0)

class MemoryOutput : public OutputFile {
 public:
  explicit MemoryOutput(std::vector<uint8_t>& target) : target_(target) {}
  int write(const void* data, std::size_t size) override {
    const auto* p = static_cast<const uint8_t*>(data);
    target_.insert(target_.end(), p, p + size);
    return 0;
  }
  int close() override { return 0; }

 private:
  std::vector<uint8_t>& target_;
};

// Files by path; readPrefix honours its limit, as the real one does.
class MemoryFileSystem : public FileSystem {
 public:
  std::map<std::string, std::vector<uint8_t>> files;

  std::unique_ptr<OutputFile> create(const std::string& path, CreateMode mode, int& error) override {
    if (mode == CreateMode::New && files.count(path)) {
      error = ErrNameTaken;
      return nullptr;
    }
    error = 0;
    auto& f = files[path];
    f.clear();
    return std::make_unique<MemoryOutput>(f);
  }
  int rename(const std::string& from, const std::string& to) override {
    auto it = files.find(from);
    if (it == files.end()) return 2;
    files[to] = std::move(it->second);
    files.erase(from);
    return 0;
  }
  int remove(const std::string& path) override { return files.erase(path) ? 0 : 2; }
  bool exists(const std::string& path) override { return files.count(path) != 0; }
  // Sizes as the real one gives them, so that a reader's refusal of a file
  // too long to read is reached.
  FileStatus status(const std::string& path) override {
    FileStatus s;
    auto it = files.find(path);
    if (it == files.end()) return s;
    s.exists = s.regular = true;
    s.size = it->second.size();
    return s;
  }
  int readAll(const std::string& path, std::vector<uint8_t>& bytes) override {
    auto it = files.find(path);
    if (it == files.end()) return 2;
    bytes = it->second;
    return 0;
  }
  int readPrefix(const std::string& path, std::size_t maxBytes, std::vector<uint8_t>& bytes) override {
    auto it = files.find(path);
    if (it == files.end()) return 2;
    const std::size_t n = std::min(maxBytes, it->second.size());
    bytes.assign(it->second.begin(), it->second.begin() + static_cast<std::ptrdiff_t>(n));
    return 0;
  }
};

// Answers questions from a byte of the input, one bit per question.
class FuzzPrompter : public Prompter {
 public:
  explicit FuzzPrompter(uint8_t answers = 0) : answers_(answers) {}
  void message(MessageKind, const std::string& text) override {
    FUZZ_CHECK(!text.empty());
    ++messages;
  }
  Answer ask(const std::string&, Buttons buttons, Answer) override {
    const int bit = (answers_ >> (questions++ % 8)) & 1;
    if (buttons == Buttons::YesNoCancel && questions % 3 == 0) return Answer::Cancel;
    return bit ? Answer::Yes : Answer::No;
  }
  int messages = 0;
  int questions = 0;

 private:
  uint8_t answers_;
};

// Begin/end must pair up and positions must stay sane.
class CheckingProgress : public ProgressSink {
 public:
  void begin(const std::string&, int steps) override {
    FUZZ_CHECK(steps >= 0);
    ++depth;
  }
  void setMaximum(int steps) override { FUZZ_CHECK(steps >= 0); }
  void set(int position) override { FUZZ_CHECK(position >= 0); }
  void end() override { --depth; }
  int depth = 0;
};

// The document a reader leaves: a recording whose arrays match its counts,
// a tag table within its limits. Readers that leave the reset after a
// failure to their caller (the BIN import) pass emptyOnFailure false.
inline void checkDocument(const Document& doc, int code, bool emptyOnFailure = true) {
  FUZZ_CHECK(doc.state.ioError == code);
  if (code != 0 && emptyOnFailure) {
    FUZZ_CHECK(!doc.recording);
    FUZZ_CHECK(!doc.tagTable);
    return;
  }
  if (doc.recording) {
    const Recording& r = *doc.recording;
    FUZZ_CHECK(r.channelCount >= 0 && r.channelCount <= MaxChannels);
    FUZZ_CHECK(r.segmentCount >= 0 && r.segmentCount <= MaxSegments);
    FUZZ_CHECK(r.flow.size() == static_cast<std::size_t>(r.segmentCount) * SegmentFlowSamples);
    for (int c = 0; c < MaxChannels; ++c) {
      const std::size_t want = c < r.channelCount ? static_cast<std::size_t>(r.segmentCount) * SegmentSamples : 0;
      FUZZ_CHECK(r.sound[c].size() == want);
    }
  }
  if (doc.tagTable && !doc.tagTable->empty()) {
    FUZZ_CHECK(doc.tagTable->rows() >= 1 && doc.tagTable->rows() <= TagTable::MaxRows);
    FUZZ_CHECK(doc.tagTable->segments() >= 1 && doc.tagTable->segments() <= TagTable::MaxSegments);
    // The table fits the recording it tags.
    FUZZ_CHECK(doc.recording && doc.tagTable->segments() == doc.recording->segmentCount);
    FUZZ_CHECK(doc.tagTable->rows() == std::max<int>(doc.recording->channelCount, 1));
  }
  FUZZ_CHECK(doc.comments.size() <= 65535);
}

}  // namespace vode::fuzz
