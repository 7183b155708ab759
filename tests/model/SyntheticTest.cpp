#include <gtest/gtest.h>

#include <cmath>

#include "formats/BlockFile.h"
#include "document/Document.h"
#include "model/Synthetic.h"

using namespace vode;

namespace {

double segmentMeanFlow(const Recording& r, int s) {
  double sum = 0;
  for (int i = 0; i < SegmentFlowSamples; ++i) sum += r.flow[s * SegmentFlowSamples + i];
  return sum / SegmentFlowSamples;
}

double segmentRms(const Recording& r, int c, int s) {
  double sum = 0;
  for (int i = 0; i < SegmentSamples; ++i) {
    const double v = r.sound[c][s * SegmentSamples + i];
    sum += v * v;
  }
  return std::sqrt(sum / SegmentSamples);
}

}  // namespace

TEST(Synthetic, SameSeedSameFileOtherSeedOtherFile) {
  SynthOptions options;
  options.seconds = 5;
  Document a, b, c;
  makeSyntheticRecording(a, options);
  makeSyntheticRecording(b, options);
  options.seed = 2;
  makeSyntheticRecording(c, options);
  const auto image = recordingFileImage(a, 0, a.recording->segmentCount - 1);
  EXPECT_EQ(recordingFileImage(b, 0, b.recording->segmentCount - 1), image);
  EXPECT_NE(recordingFileImage(c, 0, c.recording->segmentCount - 1), image);
}

TEST(Synthetic, GeneratorIsOurOwn) {
  // Pinned values: a change of the generator changes every synthetic file.
  SynthRandom random(1);
  EXPECT_EQ(random.next(), 0xB3F2AF6D0FC710C5ull);
  SynthRandom other(1);
  double sum = 0, squares = 0;
  for (int i = 0; i < 20000; ++i) {
    const double x = other.normal();
    sum += x;
    squares += x * x;
  }
  EXPECT_NEAR(sum / 20000, 0.0, 0.03);
  EXPECT_NEAR(squares / 20000, 1.0, 0.05);
}

TEST(Synthetic, SubjectChannelsAndShape) {
  SynthOptions options;
  options.seed = 9;
  options.channels = 8;
  options.seconds = 0.5;
  Document doc;
  makeSyntheticRecording(doc, options);
  ASSERT_TRUE(doc.recording);
  EXPECT_EQ(doc.recording->channelCount, 8);
  EXPECT_EQ(doc.recording->segmentCount, 5);
  EXPECT_EQ(doc.channelSetup.channelNames[0].str(), "TRA");
  EXPECT_EQ(doc.channelSetup.channelNames[7].str(), "RLbas");
  EXPECT_EQ(doc.channelSetup.airflowKind, 0);
  EXPECT_GE(doc.subject.weight, 55.0f);
  EXPECT_LE(doc.subject.weight, 95.0f);
  EXPECT_FALSE(doc.subject.lastName.empty());
  EXPECT_FALSE(doc.tagTable);

  options.channels = 1;
  makeSyntheticRecording(doc, options);
  EXPECT_EQ(doc.channelSetup.channelNames[0].str(), "TRA");
  EXPECT_TRUE(doc.channelSetup.channelNames[1].empty());
  EXPECT_TRUE(doc.channelSetup.channelNames[7].empty());
}

TEST(Synthetic, BreathsFallInsideTheTidalTargetWindow) {
  for (uint64_t seed : {1u, 2u, 3u}) {
    SynthOptions options;
    options.seed = seed;
    options.channels = 2;
    options.seconds = 30;
    Document doc;
    makeSyntheticRecording(doc, options);
    const Recording& r = *doc.recording;
    const SynthTarget target = tidalTarget(doc.subject.weight);
    const double background = 2.0 * doc.subject.weight;  // mL/s, the default per-kg threshold

    int breathSegments = 0, inside = 0, starts = 0;
    double inspLoud = 0, pauseQuiet = 0, inspLung = 0, expLung = 0;
    int inspCount = 0, pauseCount = 0, expCount = 0;
    bool inspiring = false;
    for (int s = 0; s < r.segmentCount; ++s) {
      const double mean = segmentMeanFlow(r, s);
      if (std::abs(mean) > background) {
        ++breathSegments;
        if (std::abs(std::abs(mean) - target.flow) <= target.tolerance) ++inside;
      }
      if (mean > target.flow - target.tolerance) {
        inspLoud += segmentRms(r, 0, s);
        inspLung += segmentRms(r, 1, s);
        ++inspCount;
        if (!inspiring) ++starts;
        inspiring = true;
      } else if (mean < -(target.flow - target.tolerance)) {
        expLung += segmentRms(r, 1, s);
        ++expCount;
        inspiring = false;
      } else if (std::abs(mean) < 20) {
        pauseQuiet += segmentRms(r, 0, s);
        ++pauseCount;
      }
    }
    EXPECT_GT(inside, breathSegments * 7 / 10) << seed;
    // 12 to 20 breaths a minute: 6 to 10 in 30 s, give or take the edges.
    EXPECT_GE(starts, 5) << seed;
    EXPECT_LE(starts, 11) << seed;
    ASSERT_GT(pauseCount, 0);
    EXPECT_GT(inspLoud / inspCount, 10 * pauseQuiet / pauseCount) << seed;
    EXPECT_GT(inspLung / inspCount, 1.5 * expLung / expCount) << seed;
  }
}

TEST(Synthetic, RespirationBandIsSmooth) {
  SynthOptions options;
  options.resp = true;
  options.seconds = 20;
  options.channels = 1;
  Document doc;
  makeSyntheticRecording(doc, options);
  EXPECT_EQ(doc.channelSetup.airflowKind, 1);
  const auto& band = doc.recording->flow;
  const auto [lo, hi] = std::minmax_element(band.begin(), band.end());
  EXPECT_GT(*hi - *lo, 600);
  int largestStep = 0;
  for (std::size_t i = 1; i < band.size(); ++i) largestStep = std::max(largestStep, std::abs(band[i] - band[i - 1]));
  EXPECT_LT(largestStep, 40);
}

TEST(Synthetic, TidalTargetRoundsHalvesToEven) {
  // 50 kg: q = 0.375 L/s, round(37.5) = 38 → 380 mL/s; tolerance round(75).
  EXPECT_EQ(tidalTarget(50.0f).flow, 380);
  EXPECT_EQ(tidalTarget(50.0f).tolerance, 75);
  EXPECT_EQ(tidalTarget(80.0f).flow, 600);
  EXPECT_EQ(tidalTarget(80.0f).tolerance, 120);
}
