// Damaged and hostile block files: a clear code, an empty document, no crash.
#include <gtest/gtest.h>

#include <set>

#include "formats/BlockBuilder.h"
#include "formats/BlockFile.h"
#include "formats/BlockTestDocs.h"
#include "formats/FileErrors.h"
#include "model/Bytes.h"

using namespace vode;

namespace {

int parse(Document& doc, const std::vector<uint8_t>& bytes, Prompter& prompter) {
  NullProgress progress;
  doc.reset();
  return readBlockImage(doc, bytes.data(), bytes.size(), prompter, progress);
}

int parse(const std::vector<uint8_t>& bytes) {
  Document doc;
  test::ScriptedPrompter prompter;
  return parse(doc, bytes, prompter);
}

int loadBytes(Document& doc, const std::vector<uint8_t>& bytes, test::ScriptedPrompter& prompter) {
  test::TempDir dir;
  test::writeBytes(dir.file("x.mer"), bytes);
  NullProgress progress;
  return loadBlockFile(doc, dir.file("x.mer"), prompter, progress);
}

// Offsets of the bytes that no CRC covers: the version, the size fields of
// the blocks, the comments block's length and text, and the closing CRC of
// the end block, which is never read.
std::set<std::size_t> uncoveredOffsets(const std::vector<uint8_t>& bytes) {
  std::set<std::size_t> out = {4, 5};
  std::size_t p = 6;
  while (p + 16 <= bytes.size()) {
    const uint16_t id = getU16(bytes.data() + p + 6);
    const uint32_t size = getU32(bytes.data() + p + 12);
    for (std::size_t i = 0; i < 4; ++i) out.insert(p + 12 + i);
    if (id == 4)
      for (std::size_t i = p + 16; i < p + 12 + size - 4; ++i) out.insert(i);
    if (id == 0)
      for (std::size_t i = p + 16; i < p + 20; ++i) out.insert(i);
    p += 12 + size;
    if (id == 0) break;
  }
  return out;
}

}  // namespace

TEST(BlockFileDamage, HeaderRefusals) {
  Document doc;
  auto good = settingsFileImage(doc);
  EXPECT_EQ(parse({}), ErrShortRead);
  EXPECT_EQ(parse({0x9B, 0xE5, 0x46}), ErrShortRead);
  EXPECT_EQ(parse({0x9B, 0xE5, 0x46, 0xC7, 0x02}), ErrShortRead);
  auto magic = good;
  magic[3] = 0xC8;
  EXPECT_EQ(parse(magic), ErrFormat);
  auto version = good;
  version[4] = 3;
  EXPECT_EQ(parse(version), ErrFormat);
  version[4] = 0;
  version[5] = 1;  // 256
  EXPECT_EQ(parse(version), ErrFormat);
}

TEST(BlockFileDamage, WrongMagicShowsNoProgress) {
  test::RecordingProgress progress;
  test::ScriptedPrompter prompter;
  Document doc;
  const std::vector<uint8_t> bytes = {'R', 'I', 'F', 'F', 0, 0, 0, 0};
  EXPECT_EQ(readBlockImage(doc, bytes.data(), bytes.size(), prompter, progress), ErrFormat);
  EXPECT_EQ(progress.begins, 0);
}

TEST(BlockFileDamage, EveryTruncationBeforeTheEndBlockSizeIsAShortRead) {
  Document doc;
  test::fillDocument(doc, 1, 1);
  const auto bytes = recordingFileImage(doc, 0, 0);
  // The end block's closing CRC (the last four bytes) is never read.
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + n);
    ASSERT_EQ(parse(cut), n < bytes.size() - 4 ? ErrShortRead : 0) << "cut at " << n;
  }
}

TEST(BlockFileDamage, EveryFlippedCoveredByteFails) {
  Document doc;
  test::fillDocument(doc, 1, 1);
  doc.comments = "ab";
  const auto bytes = recordingFileImage(doc, 0, 0);
  const auto uncovered = uncoveredOffsets(bytes);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    auto damaged = bytes;
    damaged[i] ^= 0x5A;
    const int code = parse(damaged);
    if (uncovered.count(i) == 0) {
      ASSERT_NE(code, 0) << "byte " << i;
    }
  }
}

TEST(BlockFileDamage, UncoveredSizeOfAKnownBlockIsIgnored) {
  Document doc;
  test::fillDocument(doc, 1, 1);
  auto bytes = recordingFileImage(doc, 0, 0);
  bytes[6 + 12] ^= 0x77;  // size of the laboratory block
  Document back;
  test::ScriptedPrompter prompter;
  ASSERT_EQ(parse(back, bytes, prompter), 0);
  EXPECT_EQ(back.laboratory.name.str(), "Breath lab");
}

TEST(BlockFileDamage, FailedLoadLeavesTheDocumentReset) {
  Document doc;
  test::fillDocument(doc, 2, 1);
  auto bytes = recordingFileImage(doc, 0, 1);
  bytes[bytes.size() - 40] ^= 1;  // a tag byte, after everything else was read
  Document back;
  back.state.fileVersion = 9;
  test::ScriptedPrompter prompter;
  EXPECT_EQ(loadBytes(back, bytes, prompter), ErrCrc);
  EXPECT_EQ(back.state.ioError, ErrCrc);
  EXPECT_FALSE(back.recording);
  EXPECT_FALSE(back.tagTable);
  EXPECT_TRUE(back.comments.empty());
  EXPECT_TRUE(back.subject.lastName.empty());
  EXPECT_TRUE(back.laboratory.name.empty());
  EXPECT_EQ(back.state.fileVersion, 2);
}

TEST(BlockFileDamage, MissingFileGivesItsPlatformCode) {
  Document doc;
  test::ScriptedPrompter prompter;
  NullProgress progress;
  test::TempDir dir;
  EXPECT_EQ(loadBlockFile(doc, dir.file("none.mer"), prompter, progress), 2);
  EXPECT_EQ(FileErrorText(2), "File not found");
  EXPECT_EQ(loadBlockFile(doc, dir.path().string(), prompter, progress), ErrIsFolder);
  EXPECT_EQ(openFailureText("/r", ErrIsFolder), "/r is a folder");
  EXPECT_TRUE(prompter.messages.empty());
}

TEST(BlockFileDamage, FileTooLargeToHoldIsRefusedUnread) {
  test::TempDir dir;
  const std::string path = dir.file("huge.mer");
  test::writeBytes(path, settingsFileImage(Document{}));
  std::filesystem::resize_file(path, (uintmax_t{512} << 20) + 1);  // sparse: costs no disk
  Document doc;
  test::ScriptedPrompter prompter;
  test::RecordingProgress progress;
  EXPECT_EQ(loadBlockFile(doc, path, prompter, progress), ErrTooLarge);
  EXPECT_EQ(progress.begins, 0);
}

namespace {

// A file that would never end if read whole, like a device or a pipe.
class EndlessFileSystem : public test::FaultyFileSystem {
 public:
  std::size_t bound = 0;
  int readAll(const std::string&, std::vector<uint8_t>&) override {
    ADD_FAILURE() << "read without a bound";
    return 5;
  }
  int readPrefix(const std::string&, std::size_t maxBytes, std::vector<uint8_t>& bytes) override {
    bound = maxBytes;
    // A settings file followed by endless zeros, cut short here: the bound
    // is what matters.
    bytes = settingsFileImage(Document{});
    bytes.resize(bytes.size() + 1000);
    return 0;
  }
};

}  // namespace

TEST(BlockFileDamage, InputIsReadOnlyUpToTheLimit) {
  EndlessFileSystem fs;
  Document doc;
  test::ScriptedPrompter prompter;
  NullProgress progress;
  EXPECT_EQ(loadBlockFile(doc, "/dev/endless", prompter, progress, fs), 0);
  EXPECT_EQ(fs.bound, (std::size_t{512} << 20) + 1);
}

TEST(BlockFileDamage, CountedItemLongerThanItsRecord) {
  test::BlockBuilder prefs;
  prefs.itemBlock(3, std::vector<uint8_t>(39, 0)).endBlock();
  EXPECT_EQ(parse(prefs.bytes), ErrFormat);
  test::BlockBuilder id;
  id.begin(2, 3);  // id item of three bytes
  EXPECT_EQ(parse(id.bytes), ErrFormat);
  test::BlockBuilder subject;
  subject.itemBlock(1, std::vector<uint8_t>(65535, 1)).endBlock();
  EXPECT_EQ(parse(subject.bytes), ErrFormat);
}

TEST(BlockFileDamage, RecordingCountsAreCheckedBeforeUse) {
  struct Case {
    int16_t channels;
    int32_t segments;
    int16_t flowPer;
    int16_t soundPer;
    int code;
  };
  const Case cases[] = {
      {9, 1, 32, 1024, ErrFormat},     {-1, 1, 32, 1024, ErrFormat},   {2, -1, 32, 1024, ErrFormat},
      {2, 1, 16, 1024, ErrFormat},     {2, 1, 32, 512, ErrFormat},     {2, 1, 32, -1024, ErrFormat},
      {2, 1801, 32, 1024, ErrTooManySegments}, {2, INT32_MAX, 32, 1024, ErrTooManySegments},
      {8, 1800, 32, 1024, ErrShortRead},  // counts fine, the samples missing
  };
  for (const Case& c : cases) {
    test::BlockBuilder b;
    b.recordingHeader(c.channels, c.segments, c.flowPer, c.soundPer).end().endBlock();
    EXPECT_EQ(parse(b.bytes), c.code) << c.channels << " " << c.segments << " " << c.flowPer << " " << c.soundPer;
  }
}

TEST(BlockFileDamage, TooManySegmentsWarnsWithTheStoredCount) {
  test::BlockBuilder b;
  b.recordingHeader(1, 2000).end().endBlock();
  Document doc;
  test::ScriptedPrompter prompter;
  EXPECT_EQ(loadBytes(doc, b.bytes, prompter), ErrTooManySegments);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text, "Maximum segments exceeded (2000 vs 1800)");
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Warning);
  EXPECT_EQ(FileErrorText(ErrTooManySegments), "Not enough memory");
  EXPECT_FALSE(doc.recording);

  // A count whose checksum fails is still named, but the code is the CRC's.
  test::BlockBuilder bad;
  bad.recordingHeader(1, 2000).end().endBlock();
  bad.bytes[6 + 16 + 2] ^= 0x01;  // the stored count: 2001
  test::ScriptedPrompter second;
  EXPECT_EQ(loadBytes(doc, bad.bytes, second), ErrCrc);
  ASSERT_EQ(second.messages.size(), 1u);
  EXPECT_EQ(second.messages[0].text, "Maximum segments exceeded (2001 vs 1800)");
}

TEST(BlockFileDamage, TagTableOutsideItsLimitsIsNotReadAndFailsTheCrc) {
  // 9 rows, 16385 segments, no rows: the table cannot be made, so the
  // closing CRC check meets tag bytes.
  const std::pair<int32_t, int32_t> shapes[] = {{8, 0}, {0, 16384}, {-1, 0}, {INT32_MAX, 0}};
  for (auto [lastRow, lastSegment] : shapes) {
    test::BlockBuilder b;
    b.begin(103).u32(static_cast<uint32_t>(lastRow), true).u32(static_cast<uint32_t>(lastSegment), true).crcField();
    b.raw({4, 1, 2, 3, 5, 6, 7, 8, 9, 10}, true).end().endBlock();
    Document doc;
    test::ScriptedPrompter prompter;
    EXPECT_EQ(parse(doc, b.bytes, prompter), ErrCrc) << lastRow << " " << lastSegment;
    EXPECT_FALSE(doc.tagTable);
  }
  // Within the limits but beside no recording: a table of nothing.
  test::BlockBuilder alone;
  alone.begin(103).u32(1, true).u32(2, true).crcField().raw({1, 2, 4, 0, 1, 0, 16, 0, 2}, true).end().endBlock();
  EXPECT_EQ(parse(alone.bytes), ErrFormat);
}

TEST(BlockFileDamage, BlockSizesThatCannotBeSkipped) {
  for (uint32_t size : {0u, 3u}) {
    test::BlockBuilder b;
    b.begin(500);
    b.bytes[b.bytes.size() - 4] = static_cast<uint8_t>(size);
    b.endBlock();
    EXPECT_EQ(parse(b.bytes), ErrFormat) << size;
  }
  test::BlockBuilder past;
  past.begin(500).end();
  past.bytes[past.bytes.size() - 8] = 0xFF;  // size far beyond the file
  past.endBlock();
  EXPECT_EQ(parse(past.bytes), ErrShortRead);
  // The end block's size is not followed: nothing comes after it.
  for (uint32_t size : {0u, 3u, 100u, 0xFFFFFFFFu}) {
    test::BlockBuilder end;
    end.endBlock();
    putU32(end.bytes.data() + end.bytes.size() - 8, size);
    Document doc;
    test::ScriptedPrompter prompter;
    EXPECT_EQ(parse(doc, end.bytes, prompter), 0) << size;
  }
}

TEST(BlockFileDamage, OldSpectraCountsAreChecked) {
  test::BlockBuilder negative(1);
  negative.begin(102).u16(1, true).u32(0xFFFFFFFF, true).u16(3, true).u16(0, true).crcField().end().endBlock();
  EXPECT_EQ(parse(negative.bytes), ErrFormat);
  test::BlockBuilder huge(1);
  huge.begin(102).u16(0x7FFF, true).u32(0x7FFFFFFF, true).u16(0x7FFF, true).u16(0, true).crcField().end().endBlock();
  EXPECT_EQ(parse(huge.bytes), ErrShortRead);
}

TEST(BlockFileDamage, NoWarningForAVersionOneFileThatFails) {
  test::BlockBuilder b(1);
  b.begin(102).u16(0, true).u32(0, true).u16(0, true).u16(0, true).crcField().end();
  b.recordingHeader(1, 1).end();  // samples missing
  Document doc;
  test::ScriptedPrompter prompter;
  EXPECT_EQ(parse(doc, b.bytes, prompter), ErrShortRead);
  EXPECT_TRUE(prompter.messages.empty());
}

TEST(BlockFileDamage, ReferenceFileDamagedInItsSamples) {
  VODE_NEEDS_TESTDATA();
  auto bytes = test::readBytes(test::testdata("resp1.mer"));
  ASSERT_GT(bytes.size(), 200000u);
  bytes[200000] ^= 0x10;
  EXPECT_EQ(parse(bytes), ErrCrc);
  bytes.resize(150000);
  EXPECT_EQ(parse(bytes), ErrShortRead);
}
