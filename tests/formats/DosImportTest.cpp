#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "formats/DosDat.h"
#include "formats/FileErrors.h"
#include "formats/DosFileBuilder.h"
#include "document/Document.h"
#include "model/Progress.h"
#include "support/TestSupport.h"

using namespace vode;
using vode::test::DosFileBuilder;

namespace {

struct DosImport : ::testing::Test {
  test::TempDir dir;
  test::ScriptedPrompter prompter;
  NullProgress progress;
  Document doc;

  int import(const DosFileBuilder& b) {
    const std::string path = dir.file("in.dat");
    test::writeBytes(path, b.build());
    return importDos(doc, path, prompter, progress);
  }
};

}  // namespace

TEST_F(DosImport, FlowUsesZeroLevelScaleAndInvert) {
  DosFileBuilder b;
  b.addConstantSegments(0, 2148, 2048, 2048);
  ASSERT_EQ(import(b), 0);
  ASSERT_TRUE(doc.recording);
  EXPECT_EQ(doc.recording->flow[0], 1000);  // 100 steps of 10 mL/s
  EXPECT_EQ(doc.recording->flow[31], 1000);

  b.invert = true;
  ASSERT_EQ(import(b), 0);
  EXPECT_EQ(doc.recording->flow[5], -1000);

  b.invert = false;
  b.zeroLevel = 2000;
  b.scale = 8.192;  // 20 mL/s per step
  ASSERT_EQ(import(b), 0);
  EXPECT_EQ(doc.recording->flow[5], 2960);
}

TEST_F(DosImport, RespirationBandIsScaledBySixteen) {
  DosFileBuilder b;
  b.flowFlag = false;
  b.addConstantSegments(0, 2058, 2048, 2048);
  ASSERT_EQ(import(b), 0);
  EXPECT_EQ(doc.recording->flow[0], 160);
}

TEST_F(DosImport, SoundIsCentredAndScaled) {
  DosFileBuilder b;
  b.segments = 2;
  b.addConstantSegments(0, 2048, 0, 4095);
  ASSERT_EQ(import(b), 0);
  const Recording& r = *doc.recording;
  EXPECT_EQ(r.channelCount, 2);
  EXPECT_EQ(r.segmentCount, 2);
  EXPECT_EQ(r.sound[0][0], -32768);
  EXPECT_EQ(r.sound[1][2047], 32752);
  EXPECT_EQ(r.flow[63], 0);
  EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(DosImport, FiveKilohertzFilesAreUpsampled) {
  DosFileBuilder b;
  b.rate = 5120;
  b.last = 3;
  b.segments = 2;
  b.groups = {32, 32, 64, 64};
  // Sound values 2048 + 2k for k = 0..511 in segment 0, then a flat 3048.
  std::vector<uint16_t> ramp(512), flat(512, 3048);
  for (int k = 0; k < 512; ++k) ramp[k] = static_cast<uint16_t>(2048 + 2 * k);
  b.addValues(std::vector<uint16_t>(32, 2048), 32);
  b.addValues(ramp, 64);
  b.addValues(std::vector<uint16_t>(32, 2048), 32);
  b.addValues(flat, 64);
  ASSERT_EQ(import(b), 0);
  EXPECT_TRUE(prompter.saw("5120 Hz file will be upsampled to 10240 Hz"));
  const auto& s = doc.recording->sound[0];
  ASSERT_EQ(s.size(), 2048u);
  // The first decoded sample is its own predecessor: both outputs equal it.
  EXPECT_EQ(s[0], 0);
  EXPECT_EQ(s[1], 0);
  EXPECT_EQ(s[2], 16);  // (0 + 32) / 2
  EXPECT_EQ(s[3], 32);
  EXPECT_EQ(s[1023], 511 * 32);
  // The predecessor carries over into the next segment.
  EXPECT_EQ(s[1024], (511 * 32 + 16000) / 2);
  EXPECT_EQ(s[1025], 16000);
  EXPECT_EQ(s[2047], 16000);
}

TEST_F(DosImport, ChannelsOneToThreeGiveOneSoundChannel) {
  DosFileBuilder b;
  b.first = 1;
  b.last = 3;
  b.nameA = "TRA";
  b.addConstantSegments(4000, 2148, 2049, 0);
  ASSERT_EQ(import(b), 0);
  EXPECT_EQ(doc.recording->channelCount, 1);
  EXPECT_EQ(doc.recording->sound[0][100], 16);
  EXPECT_EQ(doc.recording->flow[3], 1000);
  EXPECT_EQ(doc.channelSetup.channelNames[0].str(), "TRA");
  EXPECT_EQ(doc.channelSetup.channelNames[1].str(), "");
}

TEST_F(DosImport, FileWithoutBreathChannelHasZeroFlow) {
  DosFileBuilder b;
  b.first = 3;
  b.addConstantSegments(0, 0, 2100, 2200);
  ASSERT_EQ(import(b), 0);
  for (int16_t f : doc.recording->flow) ASSERT_EQ(f, 0);
  EXPECT_EQ(doc.recording->sound[1][7], 152 * 16);
  EXPECT_EQ(doc.channelSetup.channelNames[0].str(), "Sound A");
  EXPECT_EQ(doc.channelSetup.channelNames[1].str(), "Sound B");
}

TEST_F(DosImport, SubjectAndStudyTextsAreCarriedOver) {
  DosFileBuilder b;
  b.subjectName = "Babic, Ana";
  b.subjectId = "ID-00042";
  b.diagnosis = "asthma";
  b.studyName = "ABCDEFGHIJKLMNOPQ";       // 17: cut to 14 by the 28-character limit
  b.equipment = std::string(30, 'e');
  b.measurements = std::string(48, 'm');    // cut to 30 by the 129-character limit
  b.addConstantSegments(0, 2048, 2048, 2048);
  ASSERT_EQ(import(b), 0);
  EXPECT_EQ(doc.subject.lastName.str(), "Babic, Ana");
  EXPECT_EQ(doc.subject.firstName.str(), "");
  EXPECT_EQ(doc.subject.id.str(), "ID-00042");
  EXPECT_EQ(doc.subject.diagnosis.str(), "asthma");
  const std::string expected = "\rStudy name = ABCDEFGHIJKLMN\r      equipment = " + std::string(30, 'e') +
                               "\r      measurements = " + std::string(30, 'm');
  EXPECT_EQ(doc.subject.remarks.str(), expected);
  EXPECT_EQ(expected.size(), 129u);

  DosFileBuilder shortTexts;
  shortTexts.studyName = "S";
  shortTexts.equipment = "E";
  shortTexts.measurements = "M";
  shortTexts.addConstantSegments(0, 2048, 2048, 2048);
  ASSERT_EQ(import(shortTexts), 0);
  EXPECT_EQ(doc.subject.remarks.str(), "\rStudy name = S\r      equipment = E\r      measurements = M");
}

TEST_F(DosImport, TaggedRecordPayloadsAreSkipped) {
  DosFileBuilder b;
  b.segmentLists = true;
  b.c1 = 1;
  b.c2 = 2;
  b.c3 = 1;
  auto tag = [](std::initializer_list<uint8_t> bytes) { return std::vector<uint8_t>(bytes); };
  // Tag 1, first form: n = 2, m = 1 entry of 16 bytes.
  std::vector<uint8_t> t1 = tag({1, 0, 2, 0, 0xAA, 0xAA, 1, 0});
  t1.insert(t1.end(), 16, 0xAA);
  // Tag 1, second form: n = 256 + 1, m = 2 entries; kinds 4 (26 bytes) and 3 (14 bytes).
  std::vector<uint8_t> t1b = tag({1, 0, 1, 1, 0xAA, 2, 0, 0, 0, 4, 0, 0, 0, 3, 0});
  t1b.insert(t1b.end(), 26 + 14, 0xAA);
  std::vector<uint8_t> t4 = tag({4, 0, 1, 2, 3, 4, 5, 6, 7, 2, 0});
  t4.insert(t4.end(), 8, 0xAA);
  std::vector<uint8_t> t3 = tag({3, 0});
  t3.insert(t3.end(), 22, 0xAA);
  b.extraTags = {t1, t1b, tag({2, 0, 0xAA}), t3, t4, tag({6, 0, 1, 2, 3, 4, 5, 6, 7, 8}), tag({7, 0, 1, 2}),
                 tag({77, 0})};
  b.addConstantSegments(0, 2148, 2048, 2048);
  ASSERT_EQ(import(b), 0);
  EXPECT_EQ(doc.recording->flow[0], 1000);
}

TEST_F(DosImport, ReferenceRecording) {
  VODE_NEEDS_TESTDATA();
  ASSERT_EQ(importDos(doc, test::testdata("flow1.dat"), prompter, progress), 0);
  const Recording& r = *doc.recording;
  EXPECT_EQ(r.channelCount, 2);
  EXPECT_EQ(r.segmentCount, 80);
  EXPECT_EQ(r.flow.size(), 80u * 32);
  EXPECT_EQ(doc.channelSetup.channelNames[0].str(), "RML");
  EXPECT_EQ(doc.channelSetup.channelNames[1].str(), "LLsup");
  EXPECT_EQ(doc.subject.lastName.str(), "Babic");
  EXPECT_EQ(doc.subject.id.str(), "SYN-0900");
  int16_t peak = 0;
  for (int16_t f : r.flow) peak = std::max<int16_t>(peak, static_cast<int16_t>(std::abs(f)));
  EXPECT_GT(peak, 100);
  for (int16_t f : r.flow) ASSERT_EQ(f % 10, 0);  // 10 mL/s steps
}

// Every refusal ends with 201 and no recording.
TEST_F(DosImport, ImpossibleFilesAreRefused) {
  struct Case {
    const char* what;
    void (*change)(DosFileBuilder&);
  };
  const Case cases[] = {
      {"magic", [](DosFileBuilder& b) { b.magic = 0x12345678; }},
      {"version", [](DosFileBuilder& b) { b.version = 2; }},
      {"group 0", [](DosFileBuilder& b) { b.groups[2] = 0; }},
      {"negative group", [](DosFileBuilder& b) { b.groups[1] = -32; }},
      {"group overrunning a segment", [](DosFileBuilder& b) { b.groups[3] = 48; }},
      {"breath group overrunning", [](DosFileBuilder& b) { b.groups[1] = 64; }},
      {"no segments", [](DosFileBuilder& b) { b.segments = 0; }},
      {"too many segments", [](DosFileBuilder& b) { b.segments = 1801; }},
      {"last channel 2", [](DosFileBuilder& b) { b.last = 2; }},
      {"last channel 5", [](DosFileBuilder& b) { b.last = 5; }},
      {"first channel 0", [](DosFileBuilder& b) { b.first = 0; }},
      {"first above last", [](DosFileBuilder& b) { b.first = 4; b.last = 3; }},
      {"stream ends early", [](DosFileBuilder& b) { b.stream.resize(b.stream.size() - 3); }},
      {"empty stream", [](DosFileBuilder& b) { b.stream.clear(); }},
      {"far more segments than the stream holds", [](DosFileBuilder& b) { b.segments = 1800; }},
      {"data offset past the end", [](DosFileBuilder& b) { b.dataOffset = 1 << 20; }},
      {"negative list count", [](DosFileBuilder& b) { b.c3 = -1; }},
      {"scale not a number", [](DosFileBuilder& b) { b.scale = std::numeric_limits<double>::quiet_NaN(); }},
      {"infinite scale", [](DosFileBuilder& b) { b.scale = HUGE_VAL; }},
      {"scale overflowing 16 bits", [](DosFileBuilder& b) { b.scale = 1e6; }},
  };
  for (const Case& c : cases) {
    DosFileBuilder b;
    b.addConstantSegments(0, 2148, 2048, 2048);
    c.change(b);
    EXPECT_EQ(import(b), ErrFormat) << c.what;
    EXPECT_FALSE(doc.recording) << c.what;
    EXPECT_EQ(doc.state.ioError, ErrFormat) << c.what;
  }
}

// Groups of width 0 take three words each, the least any group takes: a file
// made only of them must not be taken for one too short to hold its segments.
TEST_F(DosImport, TightestGroupsStillLoad) {
  DosFileBuilder b;
  b.segments = 2;
  for (int group = 0; group < 2 * 17; ++group) b.stream.insert(b.stream.end(), {0x8000, 0, 0});
  ASSERT_EQ(import(b), 0);
  EXPECT_EQ(doc.recording->segmentCount, 2);
  b.stream.pop_back();
  EXPECT_EQ(import(b), ErrFormat);
}

TEST_F(DosImport, RateIsCheckedBeforeTheRest) {
  DosFileBuilder b;
  b.rate = 8000;
  b.addConstantSegments(0, 2048, 2048, 2048);
  EXPECT_EQ(import(b), ErrFormat);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text, "Unable to load 8000 Hz file");
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Error);

  // A 5120 Hz file with a group too long for its 512 values: the rate
  // message comes first, then the refusal.
  prompter.messages.clear();
  DosFileBuilder up;
  up.rate = 5120;
  up.groups = {32, 32, 1024, 1024};
  EXPECT_EQ(import(up), ErrFormat);
  EXPECT_TRUE(prompter.saw("5120 Hz file will be upsampled to 10240 Hz"));
}

TEST_F(DosImport, ShortHeaderAndMissingFile) {
  DosFileBuilder b;
  b.addConstantSegments(0, 2048, 2048, 2048);
  auto bytes = b.build();
  bytes.resize(300);  // inside the fixed blocks
  test::writeBytes(dir.file("short.dat"), bytes);
  EXPECT_EQ(importDos(doc, dir.file("short.dat"), prompter, progress), ErrShortRead);
  EXPECT_EQ(importDos(doc, dir.file("missing.dat"), prompter, progress), 2);
}
