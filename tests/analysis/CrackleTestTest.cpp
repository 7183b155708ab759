#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "analysis/CrackleTest.h"
#include "analysis/SegmentSpectra.h"
#include "analysis/Spectra.h"
#include "document/Document.h"
#include "model/Progress.h"
#include "support/TestSupport.h"

using namespace vode;

TEST(CrackleTest, RefusesWithoutDataOrWithOneChannel) {
  Document doc;
  test::ScriptedPrompter prompter;
  EXPECT_EQ(TestCrackle(doc, prompter), 3);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Error);
  EXPECT_EQ(prompter.messages[0].text, "No data");

  doc.recording = std::make_unique<Recording>(test::makeRecording(3, 1));
  const std::vector<int16_t> before = doc.recording->sound[0];
  EXPECT_EQ(TestCrackle(doc, prompter), 3);
  EXPECT_EQ(prompter.messages.back().kind, MessageKind::Error);
  EXPECT_EQ(prompter.messages.back().text, "Data has only one channel");
  EXPECT_EQ(doc.recording->sound[0], before);
}

TEST(CrackleTest, CopiesChannelOneIntoChannelTwoOnly) {
  Document doc;
  doc.recording = std::make_unique<Recording>(test::makeRecording(3, 3, 5));
  const std::vector<int16_t> first = doc.recording->sound[0];
  const std::vector<int16_t> third = doc.recording->sound[2];
  ASSERT_NE(doc.recording->sound[1], first);
  test::ScriptedPrompter prompter;
  EXPECT_EQ(TestCrackle(doc, prompter), 0);
  EXPECT_EQ(doc.recording->sound[1], first);
  EXPECT_EQ(doc.recording->sound[0], first);
  EXPECT_EQ(doc.recording->sound[2], third);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].kind, MessageKind::Information);
  EXPECT_EQ(prompter.messages[0].text, "ST data created");
  EXPECT_FALSE(doc.state.modified);
}

TEST(CrackleTest, ASampleCountBeyondTheArraysIsNotFollowed) {
  Document doc;
  doc.recording = std::make_unique<Recording>(test::makeRecording(2, 2));
  doc.recording->sound[1].resize(100);
  doc.recording->soundSampleCount = 1 << 20;
  test::ScriptedPrompter prompter;
  EXPECT_EQ(TestCrackle(doc, prompter), 0);
  ASSERT_EQ(doc.recording->sound[1].size(), 100u);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(doc.recording->sound[1][i], doc.recording->sound[0][i]);
}

TEST(CrackleTest, SpectraStayUntilTheNextAnalysisWhichGivesChannelTwoTheSpectraOfChannelOne) {
  Document doc;
  doc.recording = std::make_unique<Recording>(test::makeRecording(4, 2, 9));
  NullProgress progress;
  doc.spectra = std::make_unique<SegmentSpectra>();
  doc.spectra->create(4, 2);
  CalculatePower(doc, doc, progress, 1);
  const std::vector<float> before = doc.spectra->powerData;
  auto sameRows = [&](int s) {
    return std::equal(doc.spectra->power(0, s), doc.spectra->power(0, s) + BinCount, doc.spectra->power(1, s));
  };
  ASSERT_FALSE(sameRows(1));

  test::ScriptedPrompter prompter;
  ASSERT_EQ(TestCrackle(doc, prompter), 0);
  EXPECT_EQ(doc.spectra->powerData, before);  // nothing recomputed

  CalculatePower(doc, doc, progress, 1);
  for (int s = 0; s < 4; ++s) EXPECT_TRUE(sameRows(s)) << "segment " << s;
}
