#include <gtest/gtest.h>

#include "analysis/WheezeFixtures.h"
#include "analysis/WheezeRuns.h"
#include "document/Document.h"

using namespace vode;

namespace {

class WheezeRunsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::fillSpectraDocument(doc, 2, 12, [](int, int, int) { return 1e-9f; });
    doc.wheezeMap = std::make_unique<WheezeMap>();
    doc.wheezeMap->create(2, 12);
  }
  float& score(int c, int s, int b) { return doc.wheezeMap->scoreRow(c, s)[b]; }
  Document doc;
};

}  // namespace

TEST_F(WheezeRunsTest, ConsecutiveFlaggedSegmentsMakeOneRun) {
  for (int s : {0, 1, 2, 6, 11}) doc.tagTable->addFlags(1, s, Wheeze);
  doc.tagTable->addFlags(1, 4, Rejected);  // other flags do not count
  const std::vector<WheezeRun> runs = FindWheezeRuns(doc, doc, 1, 1200);
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0].channel, 1);
  EXPECT_EQ(runs[0].firstSegment, 0);
  EXPECT_EQ(runs[0].lastSegment, 2);
  EXPECT_EQ(runs[1].firstSegment, 6);
  EXPECT_EQ(runs[1].lastSegment, 6);
  EXPECT_EQ(runs[2].firstSegment, 11);  // the last segment closes its run
  EXPECT_EQ(runs[2].lastSegment, 11);
  EXPECT_TRUE(FindWheezeRuns(doc, doc, 0, 1200).empty());
  EXPECT_TRUE(FindWheezeRuns(doc, doc, 2, 1200).empty());

  // Flags stored with a recording but no scores: runs without a score.
  doc.wheezeMap.reset();
  ASSERT_EQ(FindWheezeRuns(doc, doc, 1, 1200).size(), 3u);
  EXPECT_EQ(FindWheezeRuns(doc, doc, 1, 1200)[0].maxScoreBin, -1);
}

TEST_F(WheezeRunsTest, StrongestValueIsTheOneTheImageTests) {
  for (int s = 3; s <= 5; ++s) doc.tagTable->addFlags(0, s, Wheeze);
  score(0, 4, 90) = 4.5f;
  score(0, 5, 80) = 4.5f;   // a tie keeps the earlier segment
  score(0, 2, 80) = 9.0f;   // outside the run
  score(0, 3, 300) = 9.0f;  // above the 1200 Hz image
  score(0, 3, 200) = 2.0f;
  score(0, 3, 201) = 2.0f;

  WheezeRun run = FindWheezeRuns(doc, doc, 0, 1200).at(0);
  EXPECT_EQ(run.maxScore, 4.5f);
  EXPECT_EQ(run.maxScoreBin, 90);

  // At 2400 Hz a row holds two bins and their scores add; bin 300 is a row.
  run = FindWheezeRuns(doc, doc, 0, 2400).at(0);
  EXPECT_EQ(run.maxScore, 9.0f);
  EXPECT_EQ(run.maxScoreBin, 300);
  score(0, 3, 300) = 0.0f;
  run = FindWheezeRuns(doc, doc, 0, 2400).at(0);
  EXPECT_EQ(run.maxScore, 4.5f);
  score(0, 3, 201) = 3.0f;
  run = FindWheezeRuns(doc, doc, 0, 2400).at(0);
  EXPECT_EQ(run.maxScore, 5.0f);
  EXPECT_EQ(run.maxScoreBin, 200);

  // At 4800 Hz only every fourth bin is a row: 90 is not, 80 and 200 are.
  run = FindWheezeRuns(doc, doc, 0, 4800).at(0);
  EXPECT_EQ(run.maxScore, 4.5f);
  EXPECT_EQ(run.maxScoreBin, 80);
}
