#include <gtest/gtest.h>

#include "analysis/CrackleTest.h"
#include "model/Document.h"
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
