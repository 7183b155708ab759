#include <gtest/gtest.h>

#include "formats/Bin.h"
#include "formats/FileErrors.h"
#include "model/Bytes.h"
#include "model/DateText.h"
#include "document/Document.h"
#include "model/Progress.h"
#include "support/TestSupport.h"

using namespace vode;

namespace {

struct BinTest : ::testing::Test {
  test::TempDir dir;
  test::ScriptedPrompter prompter;
  NullProgress progress;
  Document doc;

  void open(int segments, int channels) {
    doc.recording = std::make_unique<Recording>(test::makeRecording(segments, channels));
  }
  std::string exported(const std::string& name = "out.bin") {
    const std::string path = dir.file(name);
    EXPECT_EQ(exportBin(doc, path, prompter), 0);
    return path;
  }
  int import(const std::string& path, Document& into) { return importBin(into, path, prompter, progress); }

  // The bytes of a one-channel, one-segment file up to its text records.
  static std::vector<uint8_t> minimalFile() {
    std::vector<uint8_t> b(2 + 2 + 2 + 2048 + 2 + 64 + 2 + 2, 0);
    putU16(b.data(), 1);
    putU16(b.data() + 2, 1);
    putU16(b.data() + 4, 1);
    putU16(b.data() + 2 + 2 + 2 + 2048 + 2 + 64, 100);
    return b;
  }
  static void addRecord(std::vector<uint8_t>& b, int id, const std::string& text) {
    b.push_back(static_cast<uint8_t>(id));
    b.push_back(static_cast<uint8_t>(id >> 8));
    b.push_back(static_cast<uint8_t>(text.size()));
    b.push_back(static_cast<uint8_t>(text.size() >> 8));
    b.insert(b.end(), text.begin(), text.end());
  }
};

}  // namespace

TEST_F(BinTest, RoundTripRestoresEverythingTheFormatHolds) {
  open(4, 2);
  doc.channelSetup.airflowKind = 1;
  doc.channelSetup.channelNames[0] = "TRA";
  doc.channelSetup.channelNames[1] = "RLbas";
  doc.tagTable = std::make_unique<TagTable>();
  doc.tagTable->create(2, 4);
  doc.tagTable->setPhase(0, Inspiration);
  doc.tagTable->setPhase(1, Expiration);
  doc.tagTable->setPhase(2, Background);
  doc.tagTable->setFlags(0, 1, Clipped | Wheeze);
  doc.tagTable->setFlags(1, 3, Rejected);  // row 1 is not stored
  SubjectRecord& s = doc.subject;
  s.lastName = "Horvat";
  s.firstName = "Ana";
  s.id = "ID7";
  s.sex = 1;
  s.birthDate = daysFromCivil(1980, 2, 29) + 0.75;
  s.weight = 61.25f;
  s.height = 170.0f;
  s.diagnosis = "asthma";
  s.remarks = "line one\rline two";
  const std::string path = exported();

  Document back;
  ASSERT_EQ(import(path, back), 0);
  const Recording& r = *back.recording;
  EXPECT_EQ(r.channelCount, 2);
  EXPECT_EQ(r.segmentCount, 4);
  EXPECT_EQ(r.sound[0], doc.recording->sound[0]);
  EXPECT_EQ(r.sound[1], doc.recording->sound[1]);
  EXPECT_EQ(r.flow, doc.recording->flow);
  EXPECT_EQ(back.channelSetup.airflowKind, 1);
  ASSERT_TRUE(back.tagTable);
  EXPECT_EQ(back.tagTable->phase(0), Inspiration);
  EXPECT_EQ(back.tagTable->phase(1), Expiration);
  EXPECT_EQ(back.tagTable->phase(2), Background);
  EXPECT_EQ(back.tagTable->phase(3), 0);
  EXPECT_EQ(back.tagTable->flags(0, 1), Clipped | Wheeze);
  EXPECT_EQ(back.tagTable->flags(1, 1), Clipped | Wheeze);  // row 0's flags copied
  EXPECT_EQ(back.tagTable->flags(1, 3), 0);
  EXPECT_EQ(back.channelSetup.channelNames[0].str(), "TRA");
  EXPECT_EQ(back.channelSetup.channelNames[1].str(), "RLbas");
  const SubjectRecord& t = back.subject;
  EXPECT_EQ(t.lastName.str(), "Horvat");
  EXPECT_EQ(t.firstName.str(), "Ana");
  EXPECT_EQ(t.id.str(), "ID7");
  EXPECT_EQ(t.sex, 1);
  EXPECT_EQ(t.birthDate, daysFromCivil(1980, 2, 29));  // only the day
  EXPECT_FLOAT_EQ(t.weight, 61.2f);                     // "%0.1f" of 61.25: halves to even
  EXPECT_EQ(t.height, 170.0f);
  EXPECT_EQ(t.diagnosis.str(), "asthma");
  EXPECT_EQ(t.remarks.str(), "line one\rline two");
}

TEST_F(BinTest, FieldsAreLaidOutInOrder) {
  doc.recording = std::make_unique<Recording>(Recording::create(1, 1));
  doc.recording->sound[0][0] = -2;
  doc.recording->flow[31] = 500;
  doc.channelSetup.channelNames[0] = "A";
  const auto b = test::readBytes(exported());
  EXPECT_EQ(getU16(b.data()), 1);
  EXPECT_EQ(getU16(b.data() + 2), 1);
  EXPECT_EQ(getU16(b.data() + 4), 1);  // the channel's number
  EXPECT_EQ(getI16(b.data() + 6), -2);
  std::size_t p = 6 + 2048;
  EXPECT_EQ(getI16(b.data() + p), 0);  // pneumotachograph
  EXPECT_EQ(getI16(b.data() + p + 2 + 62), 500);
  p += 2 + 64;
  EXPECT_EQ(getU16(b.data() + p), 100);
  EXPECT_EQ(getU16(b.data() + p + 2), 0);  // untagged segment, no table
  p += 4;
  const std::vector<int> ids{101, 200, 201, 202, 203, 204, 205, 206, 207, 208};
  for (int id : ids) {
    ASSERT_EQ(getU16(b.data() + p), id);
    const uint16_t n = getU16(b.data() + p + 2);
    const std::string text(b.begin() + static_cast<std::ptrdiff_t>(p + 4), b.begin() + static_cast<std::ptrdiff_t>(p + 4 + n));
    if (id == 101) {
      EXPECT_EQ(text, "A");
    }
    if (id == 203) {
      EXPECT_EQ(text, "M");
    }
    if (id == 205) {
      EXPECT_EQ(text, "50.0");
    }
    if (id == 206) {
      EXPECT_EQ(text, "100.0");
    }
    if (id == 204) {
      EXPECT_EQ(text, formatDate(todayAsDays()));
    }
    p += 4 + n;
  }
  EXPECT_EQ(getI16(b.data() + p), -1);
  EXPECT_EQ(p + 2, b.size());
  EXPECT_FALSE(doc.tagTable);  // exporting does not add a table to the document
}

TEST_F(BinTest, ImpossibleCountsAreRefused) {
  for (auto [channels, segments] : {std::pair{0, 1}, std::pair{8, 1}, std::pair{1, 0}, std::pair{1, 1801}}) {
    auto b = minimalFile();
    putU16(b.data(), static_cast<uint16_t>(channels));
    putU16(b.data() + 2, static_cast<uint16_t>(segments));
    test::writeBytes(dir.file("bad.bin"), b);
    prompter.messages.clear();
    doc.recording = std::make_unique<Recording>(Recording::create(1, 1));
    EXPECT_EQ(import(dir.file("bad.bin"), doc), ErrFormat);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, "BIN file format error");
    EXPECT_FALSE(doc.recording);
  }
}

TEST_F(BinTest, TextRecordsStopAtAnUnknownIdKeepingEarlierOnes) {
  auto b = minimalFile();
  addRecord(b, 200, "Kovac");
  addRecord(b, 150, "??");  // unknown: what follows cannot be trusted
  addRecord(b, 201, "Ivo");
  test::writeBytes(dir.file("odd.bin"), b);
  ASSERT_EQ(import(dir.file("odd.bin"), doc), 0);
  EXPECT_EQ(doc.subject.lastName.str(), "Kovac");
  EXPECT_EQ(doc.subject.firstName.str(), "");
  EXPECT_EQ(doc.channelSetup.channelNames[0].str(), "Channel 1");
}

TEST_F(BinTest, TextRecordsAreCutAndChecked) {
  auto b = minimalFile();
  addRecord(b, 108, "eighth");
  addRecord(b, 200, std::string(40, 'x'));
  addRecord(b, 203, "X");
  addRecord(b, 204, "31/02/1990");
  addRecord(b, 205, "heavy");
  addRecord(b, 206, "182.5");
  b.push_back(0xFF);
  b.push_back(0xFF);
  test::writeBytes(dir.file("texts.bin"), b);
  ASSERT_EQ(import(dir.file("texts.bin"), doc), 0);
  EXPECT_EQ(doc.channelSetup.channelNames[7].str(), "eighth");
  EXPECT_EQ(doc.subject.lastName.str(), std::string(30, 'x'));
  EXPECT_EQ(doc.subject.sex, 0);
  EXPECT_EQ(doc.subject.birthDate, todayAsDays());
  EXPECT_EQ(doc.subject.weight, 50.0f);
  EXPECT_EQ(doc.subject.height, 182.5f);
}

TEST_F(BinTest, OnlyFiniteDecimalNumbersAreTaken) {
  struct Case {
    std::string text;
    float weight;  // 50 is the default: the text was not taken
  };
  const Case cases[] = {{"inf", 50.0f},  {"nan", 50.0f},   {"-INF", 50.0f}, {"1e39", 50.0f},
                        {"1e999", 50.0f}, {"0x10", 50.0f}, {"7,5", 50.0f},   {"+-3", 50.0f},
                        {"", 50.0f},      {"+", 50.0f},     {" 81.5 ", 81.5f}, {"+90", 90.0f},
                        {"-2.5e1", -25.0f}};
  for (const Case& c : cases) {
    auto b = minimalFile();
    addRecord(b, 205, c.text);
    test::writeBytes(dir.file("n.bin"), b);
    ASSERT_EQ(import(dir.file("n.bin"), doc), 0) << c.text;
    EXPECT_EQ(doc.subject.weight, c.weight) << c.text;
  }
}

TEST_F(BinTest, FileMayEndBeforeTheTextRecords) {
  test::writeBytes(dir.file("bare.bin"), minimalFile());
  ASSERT_EQ(import(dir.file("bare.bin"), doc), 0);
  EXPECT_EQ(doc.recording->segmentCount, 1);
  EXPECT_EQ(doc.channelSetup.airflowKind, 0);

  auto b = minimalFile();
  addRecord(b, 200, "Kovac");
  b.resize(b.size() - 2);  // inside a record
  test::writeBytes(dir.file("cut.bin"), b);
  EXPECT_EQ(import(dir.file("cut.bin"), doc), ErrShortRead);

  b = minimalFile();
  b.resize(1000);  // inside the samples
  test::writeBytes(dir.file("cut.bin"), b);
  EXPECT_EQ(import(dir.file("cut.bin"), doc), ErrShortRead);
}

TEST_F(BinTest, RecordingsTheReaderWouldRefuseAreNotExported) {
  open(1, 8);
  const std::string path = dir.file("wide.bin");
  EXPECT_EQ(exportBin(doc, path, prompter), ErrFormat);
  EXPECT_EQ(prompter.messages.size(), 1u);
  EXPECT_FALSE(FileSystem::real().exists(path));

  doc.recording = std::make_unique<Recording>(Recording::create(0, 1));
  EXPECT_EQ(exportBin(doc, path, prompter), ErrFormat);
  EXPECT_EQ(exportBin(Document{}, path, prompter), 0);
  EXPECT_FALSE(FileSystem::real().exists(path));

  open(1, 7);
  const std::string seven = exported("seven.bin");
  Document back;
  EXPECT_EQ(import(seven, back), 0);
  EXPECT_EQ(back.recording->channelCount, 7);
}
