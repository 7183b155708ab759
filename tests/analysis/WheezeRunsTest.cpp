#include <gtest/gtest.h>

#include "analysis/WheezeFixtures.h"
#include "analysis/WheezeRuns.h"
#include "model/Document.h"

using namespace vode;

TEST(WheezeRuns, ConsecutiveFlaggedSegmentsMakeOneRunWithItsStrongestScore) {
  Document doc;
  test::fillSpectraDocument(doc, 2, 12, [](int, int, int) { return 1e-9f; });
  doc.wheezeMap = std::make_unique<WheezeMap>();
  doc.wheezeMap->create(2, 12);
  for (int s : {0, 1, 2, 6, 11}) doc.tagTable->addFlags(1, s, Wheeze);
  doc.tagTable->addFlags(1, 4, Rejected);  // other flags do not count
  doc.wheezeMap->scoreRow(1, 1)[80] = 4.5f;
  doc.wheezeMap->scoreRow(1, 2)[90] = 4.5f;   // a tie keeps the first
  doc.wheezeMap->scoreRow(1, 3)[80] = 9.0f;   // outside the run
  doc.wheezeMap->scoreRow(1, 6)[400] = 9.0f;  // outside the searched bins
  doc.wheezeMap->scoreRow(1, 6)[21] = 3.2f;

  const std::vector<WheezeRun> runs = FindWheezeRuns(doc, 1);
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0].firstSegment, 0);
  EXPECT_EQ(runs[0].lastSegment, 2);
  EXPECT_EQ(runs[0].maxScore, 4.5f);
  EXPECT_EQ(runs[0].maxScoreBin, 80);
  EXPECT_EQ(runs[1].firstSegment, 6);
  EXPECT_EQ(runs[1].lastSegment, 6);
  EXPECT_EQ(runs[1].maxScoreBin, 21);
  EXPECT_EQ(runs[2].firstSegment, 11);  // the last segment closes its run
  EXPECT_EQ(runs[2].lastSegment, 11);
  EXPECT_TRUE(FindWheezeRuns(doc, 0).empty());
  EXPECT_TRUE(FindWheezeRuns(doc, 2).empty());

  // Flags stored with a recording but no scores: runs without a score.
  doc.wheezeMap.reset();
  ASSERT_EQ(FindWheezeRuns(doc, 1).size(), 3u);
  EXPECT_EQ(FindWheezeRuns(doc, 1)[0].maxScoreBin, -1);
}
