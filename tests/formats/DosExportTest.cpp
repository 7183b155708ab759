#include <gtest/gtest.h>

#include <filesystem>

#include "formats/DosCodec.h"
#include "formats/DosDat.h"
#include "formats/FileErrors.h"
#include "model/Bytes.h"
#include "document/Document.h"
#include "model/Progress.h"
#include "support/TestSupport.h"

using namespace vode;

namespace {

struct DosExportTest : ::testing::Test {
  test::TempDir dir;
  test::ScriptedPrompter prompter;
  NullProgress progress;
  Document doc;

  void open(int segments, int channels) {
    doc.recording = std::make_unique<Recording>(test::makeRecording(segments, channels));
  }
  Document readBack(const std::string& path) {
    Document back;
    EXPECT_EQ(importDos(back, path, prompter, progress), 0);
    return back;
  }
  // The data section's first and last channel and segment count.
  std::array<int16_t, 3> sectionOf(const std::string& path) {
    const auto bytes = test::readBytes(path);
    const uint32_t offset = getU32(bytes.data() + 148);
    return {getI16(bytes.data() + offset + 48), getI16(bytes.data() + offset + 50),
            getI16(bytes.data() + offset + 52)};
  }
};

int16_t quantisedSound(int16_t v) { return static_cast<int16_t>(((v + 32768) / 16 - 2048) * 16); }

}  // namespace

TEST_F(DosExportTest, AirflowRecordingRoundTrips) {
  open(6, 2);
  Recording& r = *doc.recording;
  r.sound[0][0] = 32767;
  r.sound[1][1] = -32768;
  r.flow[0] = -15;      // truncates toward zero: -10
  r.flow[1] = 32000;    // beyond 12 bits: held at 4095
  doc.channelSetup.channelNames[0] = "TRA";
  doc.channelSetup.channelNames[1] = "RUant-long";
  doc.subject.lastName = "Horvat";
  doc.subject.firstName = "Ana";
  doc.subject.id = "ID-123456789";
  doc.subject.diagnosis = "asthma";
  const std::string path = dir.file("out.dat");
  ASSERT_EQ(DosExport(doc, path, prompter), 0);

  Document back = readBack(path);
  const Recording& b = *back.recording;
  ASSERT_EQ(b.channelCount, 2);
  ASSERT_EQ(b.segmentCount, 6);
  for (int c = 0; c < 2; ++c)
    for (std::size_t i = 0; i < r.sound[c].size(); ++i)
      ASSERT_EQ(b.sound[c][i], quantisedSound(r.sound[c][i])) << c << " " << i;
  EXPECT_EQ(b.flow[0], -10);
  EXPECT_EQ(b.flow[1], (4095 - 2048) * 10);
  for (std::size_t i = 2; i < r.flow.size(); ++i) ASSERT_EQ(b.flow[i], r.flow[i] / 10 * 10) << i;
  EXPECT_EQ(back.channelSetup.channelNames[0].str(), "TRA");
  EXPECT_EQ(back.channelSetup.channelNames[1].str(), "RUant-l");  // 7 characters in the file
  EXPECT_EQ(back.subject.lastName.str(), "Horvat, Ana");
  EXPECT_EQ(back.subject.id.str(), "ID-12345");
  EXPECT_EQ(back.subject.diagnosis.str(), "asthma");
  EXPECT_EQ(sectionOf(path), (std::array<int16_t, 3>{2, 4, 6}));
}

TEST_F(DosExportTest, OneChannelEndsAtSoundA) {
  open(2, 1);
  const std::string path = dir.file("mono.dat");
  ASSERT_EQ(DosExport(doc, path, prompter), 0);
  EXPECT_EQ(sectionOf(path), (std::array<int16_t, 3>{2, 3, 2}));
  Document back = readBack(path);
  EXPECT_EQ(back.recording->channelCount, 1);
  EXPECT_EQ(back.recording->sound[0][5], quantisedSound(doc.recording->sound[0][5]));
}

TEST_F(DosExportTest, ChosenChannelsOfAWiderRecording) {
  open(2, 4);
  const std::string path = dir.file("wide.dat");
  EXPECT_EQ(DosExport(doc, path, prompter), ErrFormat);
  EXPECT_FALSE(prompter.messages.empty());
  EXPECT_FALSE(test::readBytes(path).size());

  // Aux from channel 4, Sound A from channel 3, Sound B from channel 1.
  ASSERT_EQ(writeDosFile(doc, path, 3, 2, 0), 0);
  EXPECT_EQ(sectionOf(path), (std::array<int16_t, 3>{1, 4, 2}));
  Document back = readBack(path);
  EXPECT_EQ(back.recording->channelCount, 2);
  EXPECT_EQ(back.recording->sound[0][700], quantisedSound(doc.recording->sound[2][700]));
  EXPECT_EQ(back.recording->sound[1][700], quantisedSound(doc.recording->sound[0][700]));

  EXPECT_EQ(writeDosFile(doc, path, -1, -1, 1), ErrFormat);  // Sound A is required
  EXPECT_EQ(writeDosFile(doc, path, 4, 0, -1), ErrFormat);
  EXPECT_EQ(writeDosFile(doc, path, -1, 0, 9), ErrFormat);
}

TEST_F(DosExportTest, AuxChannelHoldsEveryThirtySecondSample) {
  // The reader skips channel 1, so its values are checked in the stream: the
  // first group of each segment, 32 values, before the flow's group.
  open(2, 3);
  const std::string path = dir.file("aux.dat");
  ASSERT_EQ(writeDosFile(doc, path, 2, 0, -1), 0);
  const auto bytes = test::readBytes(path);
  const uint32_t offset = getU32(bytes.data() + 148);
  const std::size_t stream = offset + 48 + 4 * 2 + 3 * 2 + 4 * 2;
  EXPECT_EQ(getI16(bytes.data() + stream - 8), 32);  // G1
  DosWordStream in(bytes.data() + stream, bytes.size() - stream);
  uint16_t values[1024];
  for (int s = 0; s < 2; ++s) {
    ASSERT_TRUE(decodeDosGroup(in, 32, values));
    for (int i = 0; i < 32; ++i)
      ASSERT_EQ(values[i], (doc.recording->sound[2][1024 * s + 32 * i] + 32768) / 16) << s << " " << i;
    ASSERT_TRUE(decodeDosGroup(in, 32, values));  // flow
    for (int i = 0; i < 32; ++i) ASSERT_EQ(values[i], doc.recording->flow[32 * s + i] / 10 + 2048);
    for (int k = 0; k < 8; ++k) ASSERT_TRUE(decodeDosGroup(in, 128, values));  // Sound A
  }
  EXPECT_EQ(in.remaining(), 0u);
}

TEST_F(DosExportTest, ConstantSignalPacksWithWidthOne) {
  doc.recording = std::make_unique<Recording>(Recording::create(3, 2));
  const std::string path = dir.file("flat.dat");
  ASSERT_EQ(DosExport(doc, path, prompter), 0);
  // Per segment: flow 1 group of 32 (2 + 2 words); each sound channel 8
  // groups of 128 (2 + 8 words).
  const std::size_t header = 645 + 48 + 2 * 11;
  EXPECT_EQ(test::readBytes(path).size(), header + 2 * 3 * (4 + 2 * 8 * 10));
}

TEST_F(DosExportTest, RespirationBandIsWrittenButNotRestored) {
  open(1, 1);
  doc.channelSetup.airflowKind = 1;
  doc.recording->flow[0] = 100;
  const std::string path = dir.file("resp.dat");
  ASSERT_EQ(DosExport(doc, path, prompter), 0);
  EXPECT_EQ(test::readBytes(path)[353], 0);  // flow flag clear
  Document back = readBack(path);
  EXPECT_EQ(back.recording->flow[0], 10 * 16);  // the reader scales a band by 16
}

TEST_F(DosExportTest, FailedWriteKeepsThePreviousFile) {
  open(1, 1);
  const std::string path = dir.file("keep.dat");
  test::writeBytes(path, {1, 2, 3});
  test::FaultyFileSystem fs;
  fs.fault = test::FaultyFileSystem::Fault::Write;
  EXPECT_EQ(DosExport(doc, path, prompter, fs), 101);
  EXPECT_EQ(test::readBytes(path), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(DosExport(Document{}, path, prompter), 0);  // nothing to write
  EXPECT_EQ(test::readBytes(path), (std::vector<uint8_t>{1, 2, 3}));
}

TEST(DosExportRows, PrefixCutsTheNameNeverTheFolders) {
  EXPECT_EQ(dosExportPrefix("/home/u/rec.d/data.old.mer"), "/home/u/rec.d/data");
  EXPECT_EQ(dosExportPrefix("/home/u/rec.d/data"), "/home/u/rec.d/data");
  EXPECT_EQ(dosExportPrefix("data.old.mer"), "data");
  EXPECT_EQ(dosExportPostfix(0, 1, 2), "012");
}

TEST_F(DosExportTest, FourChannelsSplitIntoRowsAndAnExistingFileIsReplacedOnlyOnYes) {
  open(3, 4);
  DosExportRows rows;
  rows[0] = {ShortString<10>("A"), 0, 2, 0};  // channel 2 alone
  rows[1] = {ShortString<10>("B"), 1, 3, 4};  // aux 1, channels 3 and 4
  rows[2] = {ShortString<10>("C"), 0, 0, 0};  // no Sound A: not written
  rows[3] = {ShortString<10>("D"), 0, 1, 0};
  const std::string prefix = dir.file("take");
  test::writeBytes(prefix + "D.dat", {1, 2, 3});
  prompter.answers = {Answer::No};
  ASSERT_EQ(writeDosExportRows(doc, prefix, rows, prompter), 0);
  EXPECT_EQ(prompter.questions, std::vector<std::string>{"Overwrite " + prefix + "D.dat?"});
  EXPECT_EQ(test::readBytes(prefix + "D.dat").size(), 3u);
  EXPECT_FALSE(std::filesystem::exists(prefix + "C.dat"));

  EXPECT_EQ(sectionOf(prefix + "A.dat"), (std::array<int16_t, 3>{2, 3, 3}));
  Document a = readBack(prefix + "A.dat");
  ASSERT_EQ(a.recording->channelCount, 1);
  EXPECT_EQ(a.recording->sound[0][1500], quantisedSound(doc.recording->sound[1][1500]));
  EXPECT_EQ(sectionOf(prefix + "B.dat"), (std::array<int16_t, 3>{1, 4, 3}));
  Document b = readBack(prefix + "B.dat");
  ASSERT_EQ(b.recording->channelCount, 2);
  EXPECT_EQ(b.recording->sound[0][2000], quantisedSound(doc.recording->sound[2][2000]));
  EXPECT_EQ(b.recording->sound[1][2000], quantisedSound(doc.recording->sound[3][2000]));

  prompter.answers = {Answer::Yes, Answer::Yes, Answer::Yes};
  ASSERT_EQ(writeDosExportRows(doc, prefix, rows, prompter), 0);
  EXPECT_EQ(readBack(prefix + "D.dat").recording->sound[0][9], quantisedSound(doc.recording->sound[0][9]));
}
