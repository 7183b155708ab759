// Damaged files of every imported format: each truncation and each mutation
// must end in a clean refusal or a consistent recording, never a crash (the
// sanitizer build turns any stray access into a failure).
#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "analysis/AnalysisCommand.h"
#include "analysis/WheezeDetection.h"
#include "document/Document.h"
#include "formats/Bin.h"
#include "formats/BlockBuilder.h"
#include "formats/BlockFile.h"
#include "formats/DosDat.h"
#include "formats/FileErrors.h"
#include "formats/Wav.h"
#include "model/Palette.h"
#include "model/Progress.h"
#include "reports/ReportWriter.h"
#include "support/TestSupport.h"

using namespace vode;

namespace {

using Importer = int (*)(RecordingBundle&, const std::string&, Prompter&, ProgressSink&, FileSystem&);

void expectConsistent(const Document& doc, int code, const std::string& what) {
  ASSERT_EQ(doc.state.ioError, code) << what;
  if (code != 0) return;
  ASSERT_TRUE(doc.recording) << what;
  const Recording& r = *doc.recording;
  ASSERT_GE(r.channelCount, 1) << what;
  ASSERT_LE(r.channelCount, MaxChannels) << what;
  ASSERT_LE(r.segmentCount, MaxSegments) << what;
  ASSERT_EQ(r.flow.size(), static_cast<std::size_t>(r.segmentCount) * SegmentFlowSamples) << what;
  for (int c = 0; c < r.channelCount; ++c)
    ASSERT_EQ(r.sound[c].size(), static_cast<std::size_t>(r.segmentCount) * SegmentSamples) << what;
}

// everyCutFails: no proper prefix of the file is a valid file of its own (a
// BIN file may end after any whole text record).
void attack(const std::vector<uint8_t>& valid, Importer importer, const std::string& name, unsigned seed,
            bool everyCutFails = true) {
  test::TempDir dir;
  const std::string path = dir.file(name);
  SilentPrompter silent;
  NullProgress progress;

  {
    test::writeBytes(path, valid);
    Document doc;
    ASSERT_EQ(importer(doc, path, silent, progress, FileSystem::real()), 0) << "the valid file";
  }
  // Cuts at every length near the start, then at a stride through the rest.
  for (std::size_t n = 0; n < valid.size(); n += (n < 800 ? 1 : 1 + valid.size() / 150)) {
    test::writeBytes(path, std::vector<uint8_t>(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(n)));
    Document doc;
    const int code = importer(doc, path, silent, progress, FileSystem::real());
    expectConsistent(doc, code, name + " cut at " + std::to_string(n));
    if (everyCutFails) {
      EXPECT_NE(code, 0) << name << " cut at " << n;
    }
  }
  // Random bytes changed, mostly in the header where the counts live.
  std::mt19937 rng(seed);
  for (int round = 0; round < 300; ++round) {
    auto bytes = valid;
    const std::size_t span = round % 2 ? bytes.size() : std::min<std::size_t>(bytes.size(), 800);
    std::uniform_int_distribution<std::size_t> where(0, span - 1);
    std::uniform_int_distribution<int> value(0, 255);
    for (int k = 0; k < 1 + round % 4; ++k) bytes[where(rng)] = static_cast<uint8_t>(value(rng));
    test::writeBytes(path, bytes);
    Document doc;
    const int code = importer(doc, path, silent, progress, FileSystem::real());
    expectConsistent(doc, code, name + " round " + std::to_string(round));
  }
}


}  // namespace

TEST(HostileFiles, Wav) {
  test::TempDir dir;
  Document doc;
  doc.recording = std::make_unique<Recording>(test::makeRecording(3, 2));
  ASSERT_EQ(exportWav(doc, dir.file("v.wav")), 0);
  attack(test::readBytes(dir.file("v.wav")), importWav, "x.wav", 1);
}

TEST(HostileFiles, Bin) {
  test::TempDir dir;
  Document doc;
  SilentPrompter silent;
  doc.recording = std::make_unique<Recording>(test::makeRecording(2, 2));
  doc.subject.lastName = "Name";
  ASSERT_EQ(exportBin(doc, dir.file("v.bin"), silent), 0);
  attack(test::readBytes(dir.file("v.bin")), importBin, "x.bin", 2, false);
}

TEST(HostileFiles, DosWrittenByUs) {
  test::TempDir dir;
  Document doc;
  doc.recording = std::make_unique<Recording>(test::makeRecording(3, 2));
  ASSERT_EQ(writeDosFile(doc, dir.file("v.dat"), 1, 0, 1), 0);
  attack(test::readBytes(dir.file("v.dat")), importDos, "x.dat", 3);
}

TEST(HostileFiles, DosReference) {
  VODE_NEEDS_TESTDATA();
  attack(test::readBytes(test::testdata("flow1.dat")), importDos, "x.dat", 4);
}

namespace {

// Serves no file: remembers how much each read asked for and fails it.
class ReadRecorder : public FileSystem {
 public:
  std::size_t asked = 0;
  std::unique_ptr<OutputFile> create(const std::string&, CreateMode, int& error) override {
    error = 5;
    return nullptr;
  }
  int rename(const std::string&, const std::string&) override { return 5; }
  int remove(const std::string&) override { return 5; }
  bool exists(const std::string&) override { return false; }
  int readAll(const std::string&, std::vector<uint8_t>& bytes) override {
    asked = std::numeric_limits<std::size_t>::max();
    bytes.clear();
    return 161;
  }
  int readPrefix(const std::string&, std::size_t maxBytes, std::vector<uint8_t>& bytes) override {
    asked = maxBytes;
    bytes.clear();
    return 161;
  }
};

}  // namespace

TEST(HostileFiles, NoImporterReadsAnUnboundedFile) {
  SilentPrompter silent;
  NullProgress progress;
  for (auto [importer, name] : {std::pair{Importer{importWav}, "x.wav"}, std::pair{Importer{importBin}, "x.bin"},
                                std::pair{Importer{importDos}, "x.dat"}}) {
    ReadRecorder fs;
    Document doc;
    EXPECT_EQ(importer(doc, name, silent, progress, fs), 161) << name;
    EXPECT_GT(fs.asked, 0u) << name;
    EXPECT_LE(fs.asked, MaxImportFileBytes + 1) << name;
  }
}

TEST(HostileFiles, BoundedReadRefusesLongerFiles) {
  test::TempDir dir;
  const std::string path = dir.file("ten");
  test::writeBytes(path, std::vector<uint8_t>(10, 7));
  std::vector<uint8_t> bytes{1};
  EXPECT_EQ(readBoundedFile(FileSystem::real(), path, 9, bytes), ErrTooLarge);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(readBoundedFile(FileSystem::real(), path, 10, bytes), 0);
  EXPECT_EQ(bytes, std::vector<uint8_t>(10, 7));
  EXPECT_EQ(readBoundedFile(FileSystem::real(), dir.file("missing"), 10, bytes), 2);
  // A device is no file of ours, and some never end: refused before reading.
  EXPECT_EQ(readBoundedFile(FileSystem::real(), "/dev/zero", 1000, bytes), 5);

  // The same limits when the bytes go straight into uncleared storage.
  LargeVector<uint8_t> large;
  EXPECT_EQ(FileSystem::real().readLarge(path, 9, large), ErrTooLarge);
  EXPECT_EQ(FileSystem::real().readLarge(path, 10, large), 0);
  EXPECT_EQ(std::vector<uint8_t>(large.begin(), large.end()), std::vector<uint8_t>(10, 7));
  EXPECT_EQ(FileSystem::real().readLarge(dir.file("missing"), 10, large), 2);
  EXPECT_EQ(FileSystem::real().readLarge("/dev/zero", 1000, large), 5);
}

namespace {

// A recording file whose stored tag table has its own shape.
std::vector<uint8_t> recordingWithTags(const Recording& r, int rows, int segments) {
  test::BlockBuilder b;
  b.recordingHeader(static_cast<int16_t>(r.channelCount), r.segmentCount);
  b.i16s(r.flow, true);
  for (int c = 0; c < r.channelCount; ++c) b.i16s(r.sound[c], true);
  b.end();
  b.begin(103).u32(static_cast<uint32_t>(rows - 1), true).u32(static_cast<uint32_t>(segments - 1), true).crcField();
  std::vector<uint8_t> tags(static_cast<std::size_t>(segments) * (rows + 1));
  for (std::size_t i = 0; i < tags.size(); ++i) tags[i] = static_cast<uint8_t>(i < std::size_t(segments) ? 1 + i % 2 : 16);
  b.raw(tags, true).end().endBlock();
  return b.bytes;
}

}  // namespace

// A stored tag table must fit its recording: of another length, or short of a
// row for a channel, the file is refused (the analysis would count phases of
// segments that do not exist). Rows beyond the channels are dropped with a
// word; what is left analyses and reports as any recording.
TEST(HostileFiles, TagTableOfAnotherShapeIsRefusedAndSpareRowsDropped) {
  const std::pair<int, int> refused[] = {{8, 1800}, {1, 50}, {2, 12}, {3, 16384}, {2, 51}};
  const Recording r = test::makeRecording(50, 2, 5);
  for (auto [rows, segments] : refused) {
    const auto bytes = recordingWithTags(r, rows, segments);
    Document doc;
    SilentPrompter silent;
    NullProgress progress;
    EXPECT_EQ(readBlockImage(doc, bytes.data(), bytes.size(), silent, progress), ErrFormat) << rows << " x " << segments;
  }
  const auto bytes = recordingWithTags(r, 8, 50);
  Document doc;
  test::ScriptedPrompter prompter;
  NullProgress progress;
  ASSERT_EQ(readBlockImage(doc, bytes.data(), bytes.size(), prompter, progress), 0);
  EXPECT_EQ(doc.tagTable->rows(), 2);
  EXPECT_EQ(doc.tagTable->flags(1, 49), 16);
  EXPECT_TRUE(prompter.saw("The tag table holds flags of 8 channels, the recording 2: the flags of the others were dropped"));
  doc.prepareOpenedRecording();
  DoAnalyzeClick(doc, doc, Palette::grey(), progress, prompter);
  EXPECT_EQ(DetectWheezes(doc, doc, progress, prompter, 1), 0);
  for (int k = 0; k < ReportKindCount; ++k) {
    ReportOptions options;
    options.channel = 1;
    std::string text;
    EXPECT_EQ(ReportText(doc, doc, static_cast<ReportKind>(k), options, prompter, text), 0) << "kind " << k;
  }
}
