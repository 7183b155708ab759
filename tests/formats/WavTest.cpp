#include <gtest/gtest.h>

#include "formats/FileErrors.h"
#include "formats/Wav.h"
#include "model/Bytes.h"
#include "document/Document.h"
#include "model/Progress.h"
#include "support/TestSupport.h"

using namespace vode;

namespace {

struct WavTest : ::testing::Test {
  test::TempDir dir;
  test::ScriptedPrompter prompter;
  NullProgress progress;
  Document doc;

  int import(const std::string& path) { return importWav(doc, path, prompter, progress); }

  // A header for `channels` channels followed by `frames` frames counting up.
  std::string writeWavFile(const std::string& name, int channels, uint32_t frames) {
    const uint32_t dataBytes = frames * 2 * static_cast<uint32_t>(channels);
    const auto header = wavHeader(channels, dataBytes);
    std::vector<uint8_t> bytes(header.begin(), header.end());
    bytes.resize(WavHeaderSize + dataBytes);
    for (uint32_t i = 0; i < frames * static_cast<uint32_t>(channels); ++i)
      putI16(bytes.data() + WavHeaderSize + 2 * i, static_cast<int16_t>(i));
    const std::string path = dir.file(name);
    test::writeBytes(path, bytes);
    return path;
  }
};

}  // namespace

TEST_F(WavTest, ExportWritesTheCanonicalHeaderAndInterleaves) {
  doc.recording = std::make_unique<Recording>(test::makeRecording(2, 3));
  const std::string path = dir.file("out.wav");
  ASSERT_EQ(exportWav(doc, path), 0);
  const auto b = test::readBytes(path);
  ASSERT_EQ(b.size(), 44u + 3 * 2048 * 2);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
  EXPECT_EQ(getU32(b.data() + 4), 3u * 2048 * 2 + 36);
  EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(getU32(b.data() + 16), 16u);
  EXPECT_EQ(getU16(b.data() + 20), 1);
  EXPECT_EQ(getU16(b.data() + 22), 3);
  EXPECT_EQ(getU32(b.data() + 24), 10240u);
  EXPECT_EQ(getU32(b.data() + 28), 3u * 10240 * 2);
  EXPECT_EQ(getU16(b.data() + 32), 6);
  EXPECT_EQ(getU16(b.data() + 34), 16);
  EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data");
  EXPECT_EQ(getU32(b.data() + 40), 3u * 2048 * 2);
  const Recording& r = *doc.recording;
  EXPECT_EQ(getI16(b.data() + 44), r.sound[0][0]);
  EXPECT_EQ(getI16(b.data() + 46), r.sound[1][0]);
  EXPECT_EQ(getI16(b.data() + 48), r.sound[2][0]);
  EXPECT_EQ(getI16(b.data() + 50), r.sound[0][1]);

  Document back;
  ASSERT_EQ(importWav(back, path, prompter, progress), 0);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(back.recording->sound[c], r.sound[c]);
  for (int16_t f : back.recording->flow) ASSERT_EQ(f, 0);
  EXPECT_EQ(exportWav(Document{}, dir.file("none.wav")), 0);
  EXPECT_FALSE(FileSystem::real().exists(dir.file("none.wav")));
}

TEST_F(WavTest, RangeExportWritesOneChannel) {
  const Recording r = test::makeRecording(5, 2);
  const std::string path = dir.file("range.wav");
  ASSERT_EQ(exportWavRange(r, 1, 2, 3, path), 0);
  const auto b = test::readBytes(path);
  ASSERT_EQ(b.size(), 44u + 2 * 2048);
  EXPECT_EQ(getU16(b.data() + 22), 1);
  EXPECT_EQ(getU32(b.data() + 40), 2u * 2048);
  EXPECT_EQ(getI16(b.data() + 44), r.sound[1][2048]);
  EXPECT_EQ(getI16(b.data() + b.size() - 2), r.sound[1][4095]);

  EXPECT_EQ(exportWavRange(r, 2, 0, 0, path), ErrFormat);
  EXPECT_EQ(exportWavRange(r, 0, 3, 2, path), ErrFormat);
  EXPECT_EQ(exportWavRange(r, 0, 0, 5, path), ErrFormat);
  EXPECT_EQ(test::readBytes(path), b);
}

TEST_F(WavTest, StereoFileGivesChannelsAndSegments) {
  const std::string path = writeWavFile("stereo.wav", 2, 4096000 / 4);
  ASSERT_EQ(import(path), 0);
  EXPECT_EQ(doc.recording->channelCount, 2);
  EXPECT_EQ(doc.recording->segmentCount, 1000);
  EXPECT_EQ(doc.recording->sound[0][1], 2);
  EXPECT_EQ(doc.recording->sound[1][1], 3);
  EXPECT_EQ(doc.recording->flow.size(), 32000u);
  EXPECT_TRUE(prompter.questions.empty());
}

TEST_F(WavTest, IncompleteSegmentIsDroppedAndLengthIsLimited) {
  ASSERT_EQ(import(writeWavFile("part.wav", 1, 3 * 1024 + 1000)), 0);
  EXPECT_EQ(doc.recording->segmentCount, 3);
  ASSERT_EQ(import(writeWavFile("long.wav", 1, 1802 * 1024)), 0);
  EXPECT_EQ(doc.recording->segmentCount, 1800);
  EXPECT_EQ(doc.recording->sound[0][1800 * 1024 - 1], static_cast<int16_t>(1800 * 1024 - 1));
}

TEST_F(WavTest, HeaderChecksRunInOrderWithTheirMessages) {
  struct Case {
    std::size_t offset;
    std::vector<uint8_t> bytes;
    const char* message;
  };
  const Case cases[] = {
      {0, {'R', 'I', 'F', 'X'}, "RIFF not found"},
      {8, {'W', 'A', 'V', 'E', 'f', 'm', 't', '_'}, "WAVE not found"},
      {16, {18, 0, 0, 0}, "WAVE not 16-bit"},
      {20, {3, 0}, "WAVE not PCM format"},
      {24, {0x40, 0x1F, 0, 0}, "WAVE sampling rate not 10240 Hz"},  // 8000 Hz
      {34, {8, 0}, "WAVE not 16-bit"},
      {36, {'L', 'I', 'S', 'T'}, "WAVE data not found"},
      {22, {0, 0}, "WAVE channel count not 1 to 8"},
      {22, {9, 0}, "WAVE channel count not 1 to 8"},
  };
  const std::string good = writeWavFile("good.wav", 1, 2048);
  const auto original = test::readBytes(good);
  for (const Case& c : cases) {
    auto bytes = original;
    std::copy(c.bytes.begin(), c.bytes.end(), bytes.begin() + static_cast<std::ptrdiff_t>(c.offset));
    test::writeBytes(dir.file("bad.wav"), bytes);
    prompter.messages.clear();
    EXPECT_EQ(import(dir.file("bad.wav")), ErrFormat) << c.message;
    ASSERT_EQ(prompter.messages.size(), 1u) << c.message;
    EXPECT_EQ(prompter.messages[0].text, c.message);
    EXPECT_EQ(prompter.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(doc.state.ioError, ErrFormat);
  }
  // An earlier failure wins over a later one.
  auto bytes = original;
  bytes[20] = 3;
  bytes[24] = 0;
  test::writeBytes(dir.file("two.wav"), bytes);
  prompter.messages.clear();
  import(dir.file("two.wav"));
  EXPECT_EQ(prompter.messages.at(0).text, "WAVE not PCM format");
}

TEST_F(WavTest, ShortFilesAreReadErrors) {
  const std::string path = writeWavFile("short.wav", 2, 2048);
  auto bytes = test::readBytes(path);
  bytes.resize(bytes.size() - 2);  // the data size promises two full segments
  test::writeBytes(path, bytes);
  doc.recording = std::make_unique<Recording>(test::makeRecording(1, 2));
  const int16_t kept = doc.recording->sound[0][0];
  EXPECT_EQ(import(path), ErrShortRead);
  EXPECT_TRUE(prompter.questions.empty());
  EXPECT_EQ(doc.recording->sound[0][0], kept);

  bytes.resize(30);
  test::writeBytes(path, bytes);
  EXPECT_EQ(import(path), ErrShortRead);
  EXPECT_EQ(import(dir.file("missing.wav")), 2);
}

TEST_F(WavTest, MaintainingAirflowKeepsFlowTagsAndRecords) {
  doc.recording = std::make_unique<Recording>(test::makeRecording(2, 1));
  doc.tagTable = std::make_unique<TagTable>();
  doc.tagTable->create(1, 2);
  doc.tagTable->setPhase(1, Inspiration);
  doc.subject.lastName = "Kept";
  const auto flow = doc.recording->flow;
  const std::string path = writeWavFile("same.wav", 1, 2048);

  prompter.answers = {Answer::Yes};
  ASSERT_EQ(import(path), 0);
  ASSERT_EQ(prompter.questions.size(), 1u);
  EXPECT_EQ(prompter.questions[0], "Maintain airflow from previous recording?");
  EXPECT_EQ(doc.recording->flow, flow);
  EXPECT_EQ(doc.recording->sound[0][5], 5);
  ASSERT_TRUE(doc.tagTable);
  EXPECT_EQ(doc.tagTable->phase(1), Inspiration);
  EXPECT_EQ(doc.subject.lastName.str(), "Kept");

  prompter.answers = {Answer::No};
  ASSERT_EQ(import(path), 0);
  EXPECT_FALSE(doc.tagTable);
  EXPECT_EQ(doc.subject.lastName.str(), "");
  for (int16_t f : doc.recording->flow) ASSERT_EQ(f, 0);

  // Another shape is never asked about.
  doc.recording->flow[0] = 7;
  ASSERT_EQ(import(writeWavFile("other.wav", 2, 2048)), 0);
  EXPECT_EQ(prompter.questions.size(), 2u);
  EXPECT_EQ(doc.recording->flow[0], 0);
}

TEST_F(WavTest, LongerFileDoesNotMatchAFullRecording) {
  // 1801 segments in the file: only 1800 are read, but the file is not the
  // open recording's length, so its flow is not offered for keeping.
  doc.recording = std::make_unique<Recording>(test::makeRecording(MaxSegments, 1));
  doc.recording->flow[0] = 7;
  prompter.answers = {Answer::Yes};
  ASSERT_EQ(import(writeWavFile("long.wav", 1, (MaxSegments + 1) * 1024)), 0);
  EXPECT_TRUE(prompter.questions.empty());
  EXPECT_EQ(doc.recording->segmentCount, MaxSegments);
  EXPECT_EQ(doc.recording->flow[0], 0);

  // The same file cut to 1800 segments is asked about.
  doc.recording->flow[0] = 7;
  ASSERT_EQ(import(writeWavFile("full.wav", 1, MaxSegments * 1024)), 0);
  EXPECT_EQ(prompter.questions.size(), 1u);
  EXPECT_EQ(doc.recording->flow[0], 7);
}

TEST_F(WavTest, FailedExportKeepsThePreviousFile) {
  doc.recording = std::make_unique<Recording>(test::makeRecording(1, 1));
  const std::string path = dir.file("keep.wav");
  test::writeBytes(path, {9, 9});
  for (auto fault : {test::FaultyFileSystem::Fault::Create, test::FaultyFileSystem::Fault::Write,
                     test::FaultyFileSystem::Fault::Close, test::FaultyFileSystem::Fault::Rename}) {
    test::FaultyFileSystem fs;
    fs.fault = fault;
    fs.code = 160;
    EXPECT_EQ(exportWav(doc, path, fs), 160);
    EXPECT_EQ(test::readBytes(path), (std::vector<uint8_t>{9, 9}));
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST_F(WavTest, SaysWhatItLeavesOut) {
  // Half a segment too many: the tail goes, with a word.
  ASSERT_EQ(import(writeWavFile("tail.wav", 2, 2 * 1024 + 512)), 0);
  EXPECT_EQ(doc.recording->segmentCount, 2);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Warning);
  EXPECT_EQ(prompter.messages[0].text,
            dir.file("tail.wav") + " ends part-way through a 0.1 s segment: its last 0.050 s were dropped");

  prompter.messages.clear();
  ASSERT_EQ(import(writeWavFile("long.wav", 1, 1801 * 1024)), 0);
  EXPECT_EQ(doc.recording->segmentCount, 1800);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text, dir.file("long.wav") + " is longer than 180 s: only the first 180 s were kept");

  prompter.messages.clear();
  ASSERT_EQ(import(writeWavFile("whole.wav", 1, 3 * 1024)), 0);
  EXPECT_TRUE(prompter.messages.empty());
}
