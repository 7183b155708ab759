// Writing block files and reading them back.
#include <gtest/gtest.h>

#include "formats/BlockFile.h"
#include "formats/Crc32.h"
#include "formats/FileErrors.h"
#include "formats/BlockBuilder.h"
#include "formats/BlockTestDocs.h"
#include "model/Bytes.h"

using namespace vode;

namespace {

struct Frame {
  uint16_t id;
  std::size_t at;    // offset of the block
  uint32_t size;     // stored S
};

// Walks the block frames by their sizes, as an outside reader would.
std::vector<Frame> frames(const std::vector<uint8_t>& bytes) {
  std::vector<Frame> out;
  std::size_t p = 6;
  while (p + 16 <= bytes.size()) {
    Frame f{getU16(bytes.data() + p + 6), p, getU32(bytes.data() + p + 12)};
    out.push_back(f);
    p += 12 + f.size;
    if (f.id == 0) break;
  }
  return out;
}

std::vector<uint16_t> ids(const std::vector<uint8_t>& bytes) {
  std::vector<uint16_t> out;
  for (const Frame& f : frames(bytes)) out.push_back(f.id);
  return out;
}

int parse(Document& doc, const std::vector<uint8_t>& bytes, Prompter& prompter) {
  NullProgress progress;
  doc.reset();
  return readBlockImage(doc, bytes.data(), bytes.size(), prompter, progress);
}


}  // namespace

TEST(BlockFile, RecordingFileHasTheBlocksInOrderWithConsistentFrames) {
  Document doc;
  test::fillDocument(doc);
  const auto bytes = recordingFileImage(doc, 0, 4);
  EXPECT_EQ(getU32(bytes.data()), 0xC746E59Bu);
  EXPECT_EQ(getU16(bytes.data() + 4), 2);
  EXPECT_EQ(ids(bytes), (std::vector<uint16_t>{2, 3, 5, 6, 1, 4, 101, 103, 0}));
  const auto f = frames(bytes);
  // The frames tile the file exactly.
  EXPECT_EQ(f.back().at + 12 + f.back().size, bytes.size());
  // Counted items carry the record sizes.
  EXPECT_EQ(getU16(bytes.data() + f[0].at + 16), LaboratoryRecord::Size);
  EXPECT_EQ(getU16(bytes.data() + f[1].at + 16), PreferencesRecord::Size);
  EXPECT_EQ(getU16(bytes.data() + f[2].at + 16), ChannelSetup::Size);
  EXPECT_EQ(getU16(bytes.data() + f[3].at + 16), AnalysisParameters::Size);
  EXPECT_EQ(getU16(bytes.data() + f[4].at + 16), SubjectRecord::Size);
  // Block 101: 2 + 4 + 2 + 2 + CRC + flow + 3 channels.
  EXPECT_EQ(f[6].size, 4u + 10 + 4 + 5 * 32 * 2 + 3 * 5 * 1024 * 2 + 4);
  // Block 103: rows - 1, segments - 1, CRC, phases, 3 flag rows.
  EXPECT_EQ(getI32(bytes.data() + f[7].at + 16), 2);
  EXPECT_EQ(getI32(bytes.data() + f[7].at + 20), 4);
  EXPECT_EQ(f[7].size, 4u + 8 + 4 + 5 * 4 + 4);
}

TEST(BlockFile, EndBlockHasSizeEightAndTheCrcOfItsIdItem) {
  Document doc;
  const auto bytes = settingsFileImage(doc);
  const Frame end = frames(bytes).back();
  ASSERT_EQ(end.id, 0);
  EXPECT_EQ(end.size, 8u);
  EXPECT_EQ(end.at + 20, bytes.size());
  uint32_t crc = crc32UpdateBytewise(CrcStart, bytes.data() + end.at, 2);
  EXPECT_EQ(getU32(bytes.data() + end.at + 2), crc);
  crc = crc32UpdateBytewise(crc, bytes.data() + end.at + 6, 2);
  EXPECT_EQ(getU32(bytes.data() + end.at + 8), crc);
  EXPECT_EQ(getU32(bytes.data() + end.at + 16), crc);
}

TEST(BlockFile, WrittenRecordingReadsBackWithEverySampleTagAndRecord) {
  Document doc;
  test::fillDocument(doc, 6, 3);
  const auto bytes = recordingFileImage(doc, 0, 5);

  Document back;
  test::ScriptedPrompter prompter;
  ASSERT_EQ(parse(back, bytes, prompter), 0);
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_EQ(back.state.fileVersion, 2);
  EXPECT_EQ(imageOf(back.subject), imageOf(doc.subject));
  EXPECT_EQ(imageOf(back.laboratory), imageOf(doc.laboratory));
  EXPECT_EQ(imageOf(back.preferences), imageOf(doc.preferences));
  EXPECT_EQ(imageOf(back.channelSetup), imageOf(doc.channelSetup));
  EXPECT_EQ(imageOf(back.analysisParameters), imageOf(doc.analysisParameters));
  EXPECT_EQ(back.comments, doc.comments);
  ASSERT_TRUE(back.recording);
  EXPECT_EQ(back.recording->channelCount, 3);
  EXPECT_EQ(back.recording->segmentCount, 6);
  EXPECT_EQ(back.recording->flowSampleCount, 6 * 32);
  EXPECT_EQ(back.recording->soundSampleCount, 6 * 1024);
  EXPECT_EQ(back.recording->flow, doc.recording->flow);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(back.recording->sound[c], doc.recording->sound[c]);
  EXPECT_TRUE(back.recording->sound[3].empty());
  ASSERT_TRUE(back.tagTable);
  EXPECT_EQ(back.tagTable->rows(), 3);
  EXPECT_EQ(back.tagTable->segments(), 6);
  for (int s = 0; s < 6; ++s) {
    EXPECT_EQ(back.tagTable->phase(s), doc.tagTable->phase(s));
    for (int c = 0; c < 3; ++c) EXPECT_EQ(back.tagTable->flags(c, s), doc.tagTable->flags(c, s));
  }
  // Written again, byte for byte the same file.
  EXPECT_EQ(recordingFileImage(back, 0, 5), bytes);
}

TEST(BlockFile, SavingARangeWritesOnlyThoseSegments) {
  Document doc;
  test::fillDocument(doc, 6, 2);
  Document back;
  test::ScriptedPrompter prompter;
  ASSERT_EQ(parse(back, recordingFileImage(doc, 2, 4), prompter), 0);
  ASSERT_EQ(back.recording->segmentCount, 3);
  EXPECT_EQ(back.recording->flow.front(), doc.recording->flow[2 * 32]);
  EXPECT_EQ(back.recording->flow.back(), doc.recording->flow[5 * 32 - 1]);
  EXPECT_EQ(back.recording->sound[1].front(), doc.recording->sound[1][2 * 1024]);
  EXPECT_EQ(back.recording->sound[1].back(), doc.recording->sound[1][5 * 1024 - 1]);
  ASSERT_EQ(back.tagTable->segments(), 3);
  EXPECT_EQ(back.tagTable->phase(0), doc.tagTable->phase(2));
  EXPECT_EQ(back.tagTable->flags(1, 2), doc.tagTable->flags(1, 4));
}

TEST(BlockFile, EmptyRangeStoresOnlyTheRecordingHeader) {
  Document doc;
  test::fillDocument(doc, 3, 2);
  const auto bytes = recordingFileImage(doc, 2, 1);
  const auto f = frames(bytes);
  ASSERT_EQ(f[6].id, 101);
  EXPECT_EQ(f[6].size, 4u + 10 + 4 + 4);
  EXPECT_EQ(getI32(bytes.data() + f[6].at + 18), 0);
  ASSERT_EQ(f[7].id, 103);
  EXPECT_EQ(getI32(bytes.data() + f[7].at + 20), -1);

  Document back;
  test::ScriptedPrompter prompter;
  ASSERT_EQ(parse(back, bytes, prompter), 0);
  ASSERT_TRUE(back.recording);
  EXPECT_EQ(back.recording->segmentCount, 0);
  EXPECT_EQ(back.recording->channelCount, 2);
  EXPECT_TRUE(back.recording->flow.empty());
  EXPECT_TRUE(back.recording->sound[0].empty());
  EXPECT_FALSE(back.tagTable);  // no segments: no table is made
}

TEST(BlockFile, SettingsFileLoadsWithoutARecording) {
  Document doc;
  test::fillRecords(doc);
  const auto bytes = settingsFileImage(doc);
  EXPECT_EQ(ids(bytes), (std::vector<uint16_t>{2, 3, 5, 6, 0}));
  EXPECT_EQ(bytes.size(), 633u);

  Document back;
  back.subject.lastName = "left over";
  test::ScriptedPrompter prompter;
  ASSERT_EQ(parse(back, bytes, prompter), 0);
  EXPECT_FALSE(back.recording);
  EXPECT_FALSE(back.tagTable);
  EXPECT_TRUE(back.comments.empty());
  EXPECT_TRUE(back.subject.lastName.empty());
  EXPECT_EQ(back.subject.weight, 50.0f);
  EXPECT_EQ(imageOf(back.channelSetup), imageOf(doc.channelSetup));
  EXPECT_EQ(imageOf(back.analysisParameters), imageOf(doc.analysisParameters));
  EXPECT_EQ(settingsFileImage(back), bytes);
}

TEST(BlockFile, CommentsAreCutTo65535Bytes) {
  Document doc;
  doc.comments.assign(70000, 'x');
  doc.comments[3] = '\0';
  Document back;
  test::ScriptedPrompter prompter;
  ASSERT_EQ(parse(back, recordingFileImage(doc, 0, -1), prompter), 0);
  EXPECT_EQ(back.comments.size(), 65535u);
  EXPECT_EQ(back.comments[3], '\0');
}

TEST(BlockFile, UnknownBlocksAreSkippedBySize) {
  Document doc;
  test::fillRecords(doc);
  test::BlockBuilder b;
  b.begin(77).raw({1, 2, 3, 4, 5, 6, 7}, true).end();
  const auto lab = imageOf(doc.laboratory);
  b.itemBlock(2, std::vector<uint8_t>(lab.begin(), lab.end()));
  // An unknown block is not checked: its CRC may be anything.
  b.begin(9999).raw({9, 9}, false).u32(0xDEADBEEF, false);
  b.bytes[b.bytes.size() - 10] = 10;  // its size: 4 + 2 + 4
  b.endBlock();
  Document back;
  test::ScriptedPrompter prompter;
  ASSERT_EQ(parse(back, b.bytes, prompter), 0);
  EXPECT_EQ(back.laboratory.name.str(), "Breath lab");
}

TEST(BlockFile, BytesAfterTheEndBlockAreIgnored) {
  Document doc;
  auto bytes = settingsFileImage(doc);
  bytes.insert(bytes.end(), {1, 2, 3});
  Document back;
  test::ScriptedPrompter prompter;
  EXPECT_EQ(parse(back, bytes, prompter), 0);
}

TEST(BlockFile, ShortItemFillsTheRecordFromItsStart) {
  test::BlockBuilder b;
  b.itemBlock(3, {5, 0, 3, 0}).itemBlock(6, {9, 0}).endBlock();
  Document back;
  test::ScriptedPrompter prompter;
  ASSERT_EQ(parse(back, b.bytes, prompter), 0);
  EXPECT_EQ(back.preferences.waveformTime, 5);
  EXPECT_EQ(back.preferences.amplitude, 3);
  EXPECT_EQ(back.preferences.dBScale, 1);  // beyond the item: the default
  EXPECT_EQ(back.analysisParameters.breaths, 9);
}

TEST(BlockFile, CommentsAreOutsideTheCrcButSamplesAreNot) {
  Document doc;
  test::fillDocument(doc, 2, 1);
  const auto bytes = recordingFileImage(doc, 0, 1);
  const auto f = frames(bytes);
  ASSERT_EQ(f[5].id, 4);
  ASSERT_EQ(f[6].id, 101);

  auto text = bytes;
  text[f[5].at + 16 + 2] ^= 0x20;  // 'f' -> 'F'
  Document back;
  test::ScriptedPrompter prompter;
  ASSERT_EQ(parse(back, text, prompter), 0);
  EXPECT_EQ(back.comments.substr(0, 5), "First");

  auto sample = bytes;
  sample[f[6].at + 16 + 14 + 3000] ^= 0x01;
  EXPECT_EQ(parse(back, sample, prompter), ErrCrc);
  EXPECT_EQ(FileErrorText(ErrCrc), "CRC error in data");
}

TEST(BlockFile, VersionOneFileUpgradesFlowAndWarns) {
  Document doc;
  test::fillRecords(doc);
  const auto setup = imageOf(doc.channelSetup);
  test::BlockBuilder b(1);
  b.itemBlock(5, std::vector<uint8_t>(setup.begin(), setup.end()));
  // Version-1 spectra: 1 channel, 2 segments, 3 bins, then 1 × 2 × 3 × 6 bytes.
  b.begin(102).u16(1, true).u32(2, true).u16(3, true).u16(7, true).crcField();
  b.raw(std::vector<uint8_t>(36, 0xAB), true).end();
  std::vector<int16_t> flow(64, 10);  // stored in 10 mL/s
  flow[0] = flow[1] = flow[2] = 0;
  b.recordingHeader(1, 2).i16s(flow, true).i16s(std::vector<int16_t>(2048, 5), true).end();
  b.endBlock();

  Document back;
  test::ScriptedPrompter prompter;
  ASSERT_EQ(parse(back, b.bytes, prompter), 0);
  EXPECT_EQ(back.state.fileVersion, 1);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Warning);
  EXPECT_EQ(prompter.messages[0].text,
            "Old data format detected.  Please save this file to ensure it is updated to the new format.");
  const auto& upgraded = back.recording->flow;
  EXPECT_EQ(std::vector<int16_t>(upgraded.begin(), upgraded.begin() + 5), (std::vector<int16_t>{0, 33, 67, 100, 100}));
  EXPECT_EQ(back.recording->sound[0][100], 5);

  // Saved again: version 2, no stored spectra, the upgraded flow.
  const auto saved = recordingFileImage(back, 0, 1);
  EXPECT_EQ(getU16(saved.data() + 4), 2);
  EXPECT_EQ(ids(saved), (std::vector<uint16_t>{2, 3, 5, 6, 1, 4, 101, 0}));
  Document again;
  ASSERT_EQ(parse(again, saved, prompter), 0);
  EXPECT_EQ(again.recording->flow, upgraded);
}

TEST(BlockFile, VersionOneWithoutSpectraAndVersionZeroGiveNoWarning) {
  for (uint16_t version : {0, 1}) {
    test::BlockBuilder b(version);
    b.recordingHeader(0, 1).i16s(std::vector<int16_t>(32, 3), true).end().endBlock();
    Document back;
    test::ScriptedPrompter prompter;
    ASSERT_EQ(parse(back, b.bytes, prompter), 0);
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_EQ(back.state.fileVersion, version);
    // Only version 1 stored flow in tens of mL/s.
    EXPECT_EQ(back.recording->flow[31], version == 1 ? 30 : 3);
  }
}

TEST(BlockFile, LoadingShowsProgressByTheHundredThousandBytes) {
  Document doc;
  test::fillDocument(doc, 40, 4);  // about 330 kB
  const auto bytes = recordingFileImage(doc, 0, 39);
  test::RecordingProgress progress;
  test::ScriptedPrompter prompter;
  Document back;
  ASSERT_EQ(readBlockImage(back, bytes.data(), bytes.size(), prompter, progress), 0);
  EXPECT_EQ(progress.text, "Loading file...");
  EXPECT_EQ(progress.steps, static_cast<int>(bytes.size() / 1000));
  EXPECT_EQ(progress.ends, 1);
  ASSERT_FALSE(progress.positions.empty());
  EXPECT_GE(progress.positions.front(), 100);
  EXPECT_LE(progress.positions.size(), bytes.size() / 100000);
}

TEST(BlockFile, SaveAndLoadThroughFiles) {
  test::TempDir dir;
  const std::string path = dir.file("take.mer");
  Document doc;
  test::fillDocument(doc, 4, 2);
  doc.state.modified = true;
  test::RecordingProgress progress;
  test::ScriptedPrompter prompter;
  ASSERT_EQ(saveRecordingFile(doc, path, 0, 3, prompter, progress), 0);
  EXPECT_FALSE(doc.state.modified);
  EXPECT_EQ(doc.state.ioError, 0);
  EXPECT_EQ(doc.state.fileVersion, 2);
  EXPECT_EQ(progress.text, "Saving file...");
  // 1025 + (comments + 2) + (18 + 2·2·4096 + 2·128) + 20 + (4·3 + 12).
  EXPECT_EQ(progress.steps, static_cast<int>((1025 + 25 + 18 + 16384 + 256 + 20 + 24) / 1000));
  EXPECT_EQ(progress.ends, 1);
  EXPECT_EQ(test::readBytes(path), recordingFileImage(doc, 0, 3));

  Document back;
  back.state.ioError = 77;
  NullProgress none;
  ASSERT_EQ(loadBlockFile(back, path, prompter, none), 0);
  EXPECT_EQ(back.state.ioError, 0);
  EXPECT_EQ(back.recording->sound[1], doc.recording->sound[1]);
  EXPECT_TRUE(prompter.messages.empty());
  const auto entries = std::distance(std::filesystem::directory_iterator(dir.path()), {});
  EXPECT_EQ(entries, 1);
}

TEST(BlockFile, ReferenceRecordingsWriteBackByteForByte) {
  VODE_NEEDS_TESTDATA();
  for (const char* name : {"flow2_tagged.mer", "resp1.mer"}) {
    const auto original = test::readBytes(test::testdata(name));
    ASSERT_FALSE(original.empty()) << name;
    Document doc;
    test::ScriptedPrompter prompter;
    NullProgress progress;
    ASSERT_EQ(loadBlockFile(doc, test::testdata(name), prompter, progress), 0) << name;
    ASSERT_TRUE(doc.recording);
    EXPECT_EQ(recordingFileImage(doc, 0, doc.recording->segmentCount - 1), original) << name;
  }
}
