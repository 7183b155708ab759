#include <gtest/gtest.h>

#include <memory>

#include "analysis/WheezeFixtures.h"
#include "analysis/WheezeImage.h"
#include "document/Document.h"
#include "model/Progress.h"

using namespace vode;

namespace {

// A document with a two-channel, four-segment sonogram (every pixel 7) and an
// all-zero wheeze map.
class WheezeImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::fillSpectraDocument(doc, 2, 4, [](int, int, int) { return 1e-9f; });
    for (int c = 0; c < 2; ++c) doc.spectra->sonogram[c].pixels.assign(4 * ImageRows, 7);
    doc.wheezeMap = std::make_unique<WheezeMap>();
    doc.wheezeMap->create(2, 4);
  }
  float& score(int c, int s, int b) { return doc.wheezeMap->scoreRow(c, s)[b]; }
  uint8_t pixel(int c, int s, int r) const { return doc.wheezeMap->image[c].at(s, r); }
  int marks(int c) const {
    int n = 0;
    for (uint8_t p : doc.wheezeMap->image[c].pixels) n += p == WheezeMarkIndex;
    return n;
  }

  Document doc;
  NullProgress progress;
};

}  // namespace

TEST_F(WheezeImageTest, AScoreOfExactly3Point1IsNotMarked) {
  score(0, 1, 100) = 3.1f;     // row 239 - 100 = 139 at 1200 Hz
  score(0, 2, 100) = 3.1001f;
  ASSERT_EQ(CalculateWheezeImage(doc, doc, 1200, progress), 0);
  EXPECT_EQ(marks(0), 3);
  EXPECT_EQ(pixel(0, 2, 138), WheezeMarkIndex);
  EXPECT_EQ(pixel(0, 2, 139), WheezeMarkIndex);
  EXPECT_EQ(pixel(0, 2, 140), WheezeMarkIndex);
  EXPECT_EQ(pixel(0, 1, 139), 7);
  EXPECT_EQ(doc.tagTable->flags(0, 1), 0);
  EXPECT_EQ(doc.tagTable->flags(0, 2), Wheeze);
  EXPECT_EQ(doc.tagTable->flags(1, 2), 0);  // the other channel has no score
}

TEST_F(WheezeImageTest, The2400HzRangeAddsTwoBinsAndTheOthersTestOneBin) {
  score(1, 0, 200) = 1.6f;
  score(1, 0, 201) = 1.6f;
  ASSERT_EQ(CalculateWheezeImage(doc, doc, 1200, progress), 0);
  EXPECT_EQ(marks(1), 0);
  EXPECT_EQ(doc.tagTable->flags(1, 0), 0);

  ASSERT_EQ(CalculateWheezeImage(doc, doc, 2400, progress), 0);
  EXPECT_EQ(marks(1), 3);
  EXPECT_EQ(pixel(1, 0, 139), WheezeMarkIndex);  // b = 2 × (239 − 139) = 200
  EXPECT_EQ(doc.tagTable->flags(1, 0), Wheeze);
}

TEST_F(WheezeImageTest, The4800HzRangeReadsEveryFourthBin) {
  score(0, 3, 400) = 5.0f;  // row 239 − 100
  score(0, 3, 401) = 5.0f;  // not the first bin of a row
  ASSERT_EQ(CalculateWheezeImage(doc, doc, 4800, progress), 0);
  EXPECT_EQ(marks(0), 3);
  EXPECT_EQ(pixel(0, 3, 139), WheezeMarkIndex);
}

TEST_F(WheezeImageTest, MarksAreThreeRowsHighAndStopAtTheImageEdge) {
  score(0, 0, 239) = 4.0f;  // row 0: nothing above it
  score(0, 1, 1) = 4.0f;    // row 238: the mark reaches row 239
  score(0, 2, 0) = 9.0f;    // bin 0 is no row of the image
  ASSERT_EQ(CalculateWheezeImage(doc, doc, 1200, progress), 0);
  EXPECT_EQ(pixel(0, 0, 0), WheezeMarkIndex);
  EXPECT_EQ(pixel(0, 0, 1), WheezeMarkIndex);
  EXPECT_EQ(pixel(0, 1, 237), WheezeMarkIndex);
  EXPECT_EQ(pixel(0, 1, 239), WheezeMarkIndex);
  EXPECT_EQ(pixel(0, 1, 240), 7);
  EXPECT_EQ(marks(0), 5);
  EXPECT_EQ(doc.tagTable->flags(0, 2), 0);
}

TEST_F(WheezeImageTest, FlagsAreAddedAndNeverCleared) {
  doc.tagTable->setFlags(0, 0, Wheeze | Rejected);
  doc.tagTable->setFlags(0, 1, Clipped);
  score(0, 1, 50) = 6.0f;
  ASSERT_EQ(CalculateWheezeImage(doc, doc, 1200, progress), 0);
  EXPECT_EQ(doc.tagTable->flags(0, 0), Wheeze | Rejected);
  EXPECT_EQ(doc.tagTable->flags(0, 1), Clipped | Wheeze);
}

TEST_F(WheezeImageTest, ImageIsACopyOfTheSonogramAndRebuildsFromScores) {
  doc.spectra->sonogram[1].at(2, 10) = 42;
  score(1, 2, 229) = 4.0f;  // row 10 at 1200 Hz
  ASSERT_EQ(CalculateWheezeImage(doc, doc, 1200, progress), 0);
  EXPECT_EQ(pixel(1, 2, 10), WheezeMarkIndex);
  EXPECT_EQ(pixel(1, 3, 10), 7);
  // A new sonogram (another range) is picked up by the next rebuild; the
  // previous marks do not stay behind.
  doc.spectra->sonogram[1].pixels.assign(4 * ImageRows, 9);
  ASSERT_EQ(CalculateWheezeImage(doc, doc, 4800, progress), 0);
  EXPECT_EQ(pixel(1, 2, 10), 9);
  EXPECT_EQ(marks(1), 0);
  // The preference version follows the frequency choice.
  doc.preferences.frequency = 0;
  ASSERT_EQ(CalculateWheezeImage(doc, doc, progress), 0);
  EXPECT_EQ(pixel(1, 2, 10), WheezeMarkIndex);
}

TEST(WheezeImage, NothingToPaintWithoutScores) {
  Document doc;
  NullProgress progress;
  EXPECT_EQ(CalculateWheezeImage(doc, doc, 1200, progress), 3);
}
