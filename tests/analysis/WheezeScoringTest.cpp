#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <vector>

#include "analysis/WheezeFixtures.h"
#include "analysis/WheezeScoring.h"
#include "document/Document.h"

using namespace vode;

namespace {

const PeakKernels& kernels() {
  static const PeakKernels k = MakePeakKernels();
  return k;
}

// A triangle of the given height centred on bin `centre`, over a flat row.
std::vector<float> triangleRow(int centre, float height, float base = 0.0f) {
  std::vector<float> y(960, base);
  for (int b = 0; b < 960; ++b) y[b] = std::max(base, base + height - std::abs(b - centre));
  return y;
}

std::vector<float> scoresOf(const std::vector<float>& y, int low = 20, int high = 350) {
  std::vector<float> score(960, 0.0f);
  EXPECT_EQ(ScorePeaks(y.data(), 960, low, high, kernels(), score.data()), -1);
  return score;
}

const ProgressTick noTick = [](int) {};

// A map of one channel whose rows are given by hand.
WheezeMap mapOfRows(const std::vector<std::vector<float>>& rows) {
  WheezeMap map;
  map.create(1, static_cast<int>(rows.size()));
  for (size_t s = 0; s < rows.size(); ++s) std::copy(rows[s].begin(), rows[s].end(), map.scoreRow(0, s));
  return map;
}

std::vector<float> rowWith(std::initializer_list<std::pair<int, float>> values) {
  std::vector<float> row(960, 0.0f);
  for (auto [bin, v] : values) row[bin] = v;
  return row;
}

}  // namespace

TEST(WheezeLogPower, NaturalLogPlus23WithAFloorForSilence) {
  EXPECT_EQ(LogPower(1.0f), 23.0f);
  EXPECT_FLOAT_EQ(LogPower(1e-10f), static_cast<float>(std::log(static_cast<double>(1e-10f)) + 23.0));
  const float floor = LogPower(0.0f);
  EXPECT_TRUE(std::isfinite(floor));
  EXPECT_FLOAT_EQ(floor, static_cast<float>(std::log(static_cast<double>(FLT_MIN)) + 23.0));
  EXPECT_EQ(LogPower(-1.0f), floor);
  EXPECT_TRUE(std::isinf(LogPower(std::numeric_limits<float>::infinity())));
}

TEST(WheezePeakScoring, FlatRowHasNoScores) {
  const std::vector<float> score = scoresOf(std::vector<float>(960, 4.2f));
  EXPECT_TRUE(std::all_of(score.begin(), score.end(), [](float v) { return v == 0.0f; }));
}

TEST(WheezePeakScoring, PeakTestIsStrict) {
  // A single raised bin is a peak ...
  std::vector<float> single = triangleRow(100, 6.0f);
  EXPECT_GT(scoresOf(single)[100], 3.0f);
  // ... two equal neighbouring maxima are not.
  std::vector<float> twin = triangleRow(100, 6.0f);
  twin[101] = twin[100];
  const std::vector<float> score = scoresOf(twin);
  EXPECT_EQ(score[100], 0.0f);
  EXPECT_EQ(score[101], 0.0f);
  // Equal values five bins away also spoil it; six bins away do not.
  std::vector<float> far = triangleRow(100, 6.0f);
  far[105] = far[100];
  EXPECT_EQ(scoresOf(far)[100], 0.0f);
  far = triangleRow(100, 6.0f);
  far[106] = far[100];
  EXPECT_GT(scoresOf(far)[100], 0.0f);
}

TEST(WheezePeakScoring, OnlyBinsOfTheSearchRangeAreScored) {
  std::vector<float> y(960, 0.0f);
  for (int centre : {19, 60, 351}) {
    for (int b = centre - 8; b <= centre + 8; ++b) y[b] = 8.0f - std::abs(b - centre);
  }
  const std::vector<float> score = scoresOf(y);
  EXPECT_EQ(score[19], 0.0f);
  EXPECT_GT(score[60], 0.0f);
  EXPECT_EQ(score[351], 0.0f);
}

TEST(WheezePeakScoring, ProminenceThenTonalityInOrder) {
  // A small, narrow bump: prominent enough (> 1) but not tonal (z <= 2.5), so
  // the score is the prominence alone.
  std::vector<float> y(960, 0.0f);
  y[200] = 1.6f;
  y[199] = y[201] = 0.8f;
  const std::vector<float>& R = kernels().R;
  float ring = 0.0f;
  for (int k = 1; k <= RingHalf; ++k) ring += R[k] * (y[200 + k] + y[200 - k]);
  EXPECT_EQ(scoresOf(y)[200], y[200] - ring);

  // A bump too small for the prominence test scores nothing.
  std::vector<float> small(960, 0.0f);
  small[200] = 1.0f;
  EXPECT_EQ(scoresOf(small)[200], 0.0f);
}

TEST(WheezePeakScoring, TonalityAloneAddsToTheUnsetScore) {
  // A broad hump: too round to stand out of its ring (prominence <= 1), yet
  // far above the bands 25 bins either side. The tonality term then adds to
  // the score the bin already had, 0 after creation.
  std::vector<float> y(960, 0.0f);
  for (int b = 160; b <= 240; ++b) y[b] = 12.0f * (1.0f - (b - 200) * (b - 200) / 1600.0f);
  const PeakKernels& k = kernels();
  float ring = 0.0f;
  for (int j = 1; j <= RingHalf; ++j) ring += k.R[j] * (y[200 + j] + y[200 - j]);
  const float up = FilterAt(y.data(), 960, 225, k.D.data(), SideHalf);
  const float down = FilterAt(y.data(), 960, 175, k.D.data(), SideHalf);
  const float z = FilterAt(y.data(), 960, 200, k.W.data(), BroadHalf) - (up + down) / 2.0f;
  ASSERT_LE(y[200] - ring, 1.0f);
  ASSERT_GT(z, 2.5f);
  EXPECT_EQ(scoresOf(y)[200], z - 1.0f);
  // A score already there (from an earlier pass over the row) is added to.
  std::vector<float> score(960, 0.0f);
  score[200] = 0.75f;
  ASSERT_EQ(ScorePeaks(y.data(), 960, 20, 350, k, score.data()), -1);
  EXPECT_EQ(score[200], 0.75f + z - 1.0f);
}

TEST(WheezePeakScoring, PeakAtBin20ReadsTheLowerSideFilterClampedAtBin0) {
  // A ramp at the bottom of the row makes a wrong clamp visible: the lower
  // side filter is centred on bin 20 - 25, limited to 0, and reads y[k] above
  // and y[0] below it.
  std::vector<float> y = triangleRow(20, 10.0f);
  for (int b = 0; b <= 10; ++b) y[b] = std::max(y[b], 0.3f * b);
  const std::vector<float>& D = kernels().D;
  const std::vector<float>& R = kernels().R;
  const auto& W = kernels().W;
  auto clamped = [&](int i) { return y[std::clamp(i, 0, 959)]; };

  float ring = 0.0f;
  for (int k = 1; k <= RingHalf; ++k) ring += R[k] * (y[20 + k] + y[20 - k]);
  float down = D[0] * y[0];
  for (int k = 1; k <= SideHalf; ++k) down += D[k] * (y[k] + y[0]);
  float up = D[0] * y[45];
  for (int k = 1; k <= SideHalf; ++k) up += D[k] * (y[45 + k] + y[45 - k]);
  float broad = W[0] * y[20];
  for (int k = 1; k <= BroadHalf; ++k) broad += W[k] * (clamped(20 + k) + clamped(20 - k));
  const float prominence = y[20] - ring;
  const float z = broad - (up + down) / 2.0f;
  ASSERT_GT(prominence, 1.0f);
  ASSERT_GT(z, 2.5f);
  EXPECT_FLOAT_EQ(scoresOf(y)[20], prominence + z - 1.0f);
}

TEST(WheezePeakScoring, ASearchRangePastTheRowStopsAtItsEnd) {
  // A row of 100 bins with the default range 20..350: nothing past bin 99 is
  // read or scored, even where the memory beyond holds a fine peak.
  std::vector<float> y = triangleRow(60, 6.0f);
  std::vector<float> beyond = triangleRow(260, 9.0f);
  std::copy(beyond.begin() + 100, beyond.end(), y.begin() + 100);
  std::vector<float> score(960, 0.0f);
  ASSERT_EQ(ScorePeaks(y.data(), 100, 20, 350, kernels(), score.data()), -1);
  EXPECT_GT(score[60], 0.0f);
  for (int b = 100; b < 960; ++b) ASSERT_EQ(score[b], 0.0f) << "bin " << b;

  // The whole channel pass on a map narrower than the spectra keeps to it.
  Document doc;
  test::fillSpectraDocument(doc, 1, 3, [](int, int, int b) { return test::floorWithTone(b, 260, 1e4f); });
  WheezeMap narrow;
  ASSERT_TRUE(narrow.create(1, 3, 200));
  ASSERT_FALSE(ScoreChannel(*doc.spectra, narrow, 0, noTick).failed());
  for (float v : narrow.scoreData) ASSERT_EQ(v, 0.0f);
}

TEST(WheezePeakScoring, NonFiniteValueStopsAndSaysWhere) {
  std::vector<float> y = triangleRow(100, 6.0f);
  y[300] = std::numeric_limits<float>::infinity();  // beyond the broad filter of bin 100
  std::vector<float> score(960, 0.0f);
  EXPECT_EQ(ScorePeaks(y.data(), 960, 20, 350, kernels(), score.data()), 300);
  EXPECT_GT(score[100], 0.0f);  // scored before the failure

  const ScoringFailure failure{12, 150, -1.5f, std::numeric_limits<float>::infinity()};
  EXPECT_EQ(ScoringFailureText(failure), "S12, F150, FFT-1.500000e+00, yinf");
}

TEST(WheezeChannelScoring, InfinitePowerEndsTheChannelsScoringOnly) {
  Document doc;
  test::fillSpectraDocument(doc, 1, 6, [](int, int s, int b) {
    if (s == 3 && b == 100) return std::numeric_limits<float>::infinity();
    return test::floorWithTone(b, 80, 1e4f);
  });
  WheezeMap map;
  map.create(1, 6);
  int steps = 0;
  const ScoringFailure failure = ScoreChannel(*doc.spectra, map, 0, [&](int n) { steps += n; });
  ASSERT_TRUE(failure.failed());
  EXPECT_EQ(failure.segment, 3);
  // At the latest the first bin whose smoothing reads it; earlier when a peak's
  // filters reach it.
  EXPECT_GE(failure.bin, 20);
  EXPECT_LE(failure.bin, 100 - SmoothHalf);
  EXPECT_EQ(steps, 21 * 6);                  // the gauge still reaches the end
  EXPECT_GT(map.score(0, 2, 80), 3.1f);
  EXPECT_EQ(map.score(0, 4, 80), 0.0f);  // not scored after the failure
}

TEST(WheezeLinking, StrongNeighbourRaisesAWeakScoreAndNoSupportLowersIt) {
  WheezeMap map = mapOfRows({
      rowWith({{100, 3.0f}}),              // strong, 2 bins away from the weak score
      rowWith({{102, 2.0f}, {300, 2.0f}}), // two weak scores
      rowWith({}),
  });
  LinkChannel(map, 0, noTick);
  // (3.0 - 2.2) × weight(2) = 0.8 before, nothing after: 2.0 + 0.8 / 2.
  EXPECT_FLOAT_EQ(map.score(0, 1, 102), 2.4f);
  EXPECT_FLOAT_EQ(map.score(0, 1, 300), 0.5f);
}

TEST(WheezeLinking, SupportIsWeightedByDistanceAndNeedsMoreThan2Point5) {
  WheezeMap map = mapOfRows({
      rowWith({{105, 3.2f}, {200, 2.5f}, {308, 9.0f}}),
      rowWith({{100, 1.5f}, {200, 1.5f}, {300, 1.5f}}),
      rowWith({{97, 2.7f}}),
  });
  LinkChannel(map, 0, noTick);
  // Before: (3.2 - 2.2) × 0.6 at distance 5; after: (2.7 - 2.2) × 1 at 3.
  EXPECT_FLOAT_EQ(map.score(0, 1, 100), 1.5f + (0.6f + 0.5f) / 2.0f);
  EXPECT_FLOAT_EQ(map.score(0, 1, 200), 0.0f);  // 2.5 is not strong
  EXPECT_FLOAT_EQ(map.score(0, 1, 300), 0.0f);  // 8 bins away is too far
}

TEST(WheezeLinking, OnlyWeakScoresChangeAndEdgeRowsStay) {
  WheezeMap map = mapOfRows({
      rowWith({{50, 2.0f}}),
      rowWith({{50, 1.0f}, {60, 3.5f}, {70, 0.5f}, {6, 2.0f}, {953, 2.0f}, {7, 2.0f}, {952, 2.0f}}),
      rowWith({{50, 2.0f}}),
  });
  LinkChannel(map, 0, noTick);
  EXPECT_EQ(map.score(0, 0, 50), 2.0f);  // first row untouched
  EXPECT_EQ(map.score(0, 2, 50), 2.0f);  // last row untouched
  EXPECT_EQ(map.score(0, 1, 50), 1.0f);  // 1.0 is not weak
  EXPECT_EQ(map.score(0, 1, 60), 3.5f);  // 3.5 is not weak
  EXPECT_EQ(map.score(0, 1, 70), 0.5f);
  EXPECT_EQ(map.score(0, 1, 6), 2.0f);   // bins 7 .. 952 only
  EXPECT_EQ(map.score(0, 1, 953), 2.0f);
  EXPECT_FLOAT_EQ(map.score(0, 1, 7), 0.5f);
  EXPECT_FLOAT_EQ(map.score(0, 1, 952), 0.5f);
}

TEST(WheezeLinking, NeighbourRowsAreReadAsTheyWereBeforeLinking) {
  WheezeMap map = mapOfRows({
      rowWith({{100, 4.0f}}),
      rowWith({{100, 2.4f}}),  // becomes 2.4 + 1.8 / 2 = 3.3 > 2.5 ...
      rowWith({{100, 2.0f}}),  // ... but row 2 must see the 2.4
      rowWith({{100, 2.0f}}),  // and row 3 the 2.0 of row 2, not its result
      rowWith({{100, 2.6f}}),
  });
  int steps = 0;
  LinkChannel(map, 0, [&](int n) { steps += n; });
  EXPECT_FLOAT_EQ(map.score(0, 1, 100), 3.3f);
  EXPECT_FLOAT_EQ(map.score(0, 2, 100), 0.5f);
  EXPECT_FLOAT_EQ(map.score(0, 3, 100), 2.0f + (2.6f - 2.2f) / 2.0f);
  EXPECT_EQ(steps, 3 + 2);
}
