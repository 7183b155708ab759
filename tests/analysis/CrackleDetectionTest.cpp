// Crackles found in breath noise: where, which kind, what is not one, and the
// flags and counts of a recording.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "AnalysisFixtures.h"
#include "analysis/CrackleDetection.h"
#include "model/Progress.h"
#include "model/Recording.h"
#include "model/Synthetic.h"
#include "model/TagTable.h"

using namespace vode;

namespace {

constexpr double Pi = std::numbers::pi;

// Breath-like noise of about 300 counts rms, falling above a few hundred Hz.
std::vector<double> breathNoise(double seconds, uint64_t seed) {
  SynthRandom random(seed);
  std::vector<double> x(static_cast<size_t>(seconds * SoundRate));
  double low = 0.0;
  for (double& v : x) {
    low += 0.15 * (600.0 * random.normal() - low);
    v = low;
  }
  return x;
}

// A fine crackle: a sharp first deflection ringing down from 1500 to 500 Hz
// within a few ms. A coarse one: the same sharp start, then a slow 120 Hz ring.
void addCrackle(std::vector<double>& x, double at, bool coarse, double amplitude = 4000.0) {
  const double endHz = coarse ? 120.0 : 500.0, startHz = 1500.0, tau = coarse ? 0.006 : 0.0015;
  for (int i = 0; i < static_cast<int>(0.02 * SoundRate); ++i) {
    const double t = static_cast<double>(i) / SoundRate;
    const double phase = 2.0 * Pi * (endHz * t + (startHz - endHz) * 0.0003 * (1.0 - std::exp(-t / 0.0003)));
    x[static_cast<size_t>(at * SoundRate) + i] += amplitude * std::exp(-t / tau) * std::sin(phase);
  }
}

std::vector<int16_t> counts(const std::vector<double>& x) {
  std::vector<int16_t> out;
  for (double v : x) out.push_back(static_cast<int16_t>(std::clamp(std::lround(v), -32768L, 32767L)));
  return out;
}

std::vector<Crackle> find(const std::vector<double>& x, const CrackleParameters& p = {}) {
  const std::vector<int16_t> samples = counts(x);
  return FindCrackles(samples.data(), static_cast<int64_t>(samples.size()), p);
}

}  // namespace

TEST(CrackleDetection, FindsCracklesOfABreathWithTheirTimesAndKinds) {
  std::vector<double> x = breathNoise(6.0, 1);
  addCrackle(x, 1.030, false);
  addCrackle(x, 1.150, false);
  addCrackle(x, 1.420, true);
  addCrackle(x, 4.030, true);
  addCrackle(x, 4.330, true);
  const std::vector<Crackle> found = find(x);
  ASSERT_EQ(found.size(), 5u);
  const double at[] = {1.03, 1.15, 1.42, 4.03, 4.33};
  for (size_t i = 0; i < found.size(); ++i) {
    EXPECT_NEAR(found[i].time, at[i], 0.0025) << i;
    EXPECT_EQ(found[i].segment, static_cast<int>(at[i] * 10.0 + 1e-9)) << i;
    EXPECT_EQ(found[i].kind, i < 2 ? CrackleKind::Fine : CrackleKind::Coarse) << i;
    EXPECT_GT(found[i].levelDb, CrackleParameters{}.peakDb);
  }
  EXPECT_STREQ(CrackleKindName(CrackleKind::Coarse), "coarse");
}

TEST(CrackleDetection, LeavesLoneClicksLongBurstsFaintPopsAndPlainBreathAlone) {
  std::vector<double> x = breathNoise(8.0, 2);
  EXPECT_TRUE(find(x).empty());
  addCrackle(x, 2.0, false);  // a lone click, 3 s from anything
  addCrackle(x, 5.0, false, 300.0);  // faint pops: under the peak level
  addCrackle(x, 5.2, false, 300.0);
  // A 40 ms burst of 1 kHz (a squeak of the chest piece) beside a crackle.
  for (int i = 0; i < static_cast<int>(0.04 * SoundRate); ++i)
    x[static_cast<size_t>(6.5 * SoundRate) + i] += 4000.0 * std::sin(2.0 * Pi * 1000.0 * i / SoundRate);
  addCrackle(x, 6.8, false);
  EXPECT_TRUE(find(x).empty());
  // Two crackles 0.6 s apart pair only when the pairing reaches that far.
  addCrackle(x, 2.6, false);
  EXPECT_TRUE(find(x).empty());
  CrackleParameters wide;
  ASSERT_TRUE(wide.set("pair", 0.7));
  EXPECT_EQ(find(x, wide).size(), 2u);
}

TEST(CrackleDetection, AChestPieceThatPassesLittleAboveOneKilohertzHasItsOwnPeakLevel) {
  std::vector<double> x = breathNoise(6.0, 5);
  addCrackle(x, 2.03, false);
  addCrackle(x, 2.21, false);
  const std::vector<int16_t> wide = counts(x), narrow = test::narrowed(wide);
  CrackleParameters p;
  ASSERT_TRUE(p.set("narrow-peak", 60));
  EXPECT_EQ(FindCrackles(wide.data(), static_cast<int64_t>(wide.size()), p).size(), 2u);
  EXPECT_TRUE(FindCrackles(narrow.data(), static_cast<int64_t>(narrow.size()), p).empty());
  CrackleParameters q;
  ASSERT_TRUE(q.set("peak", 60));
  EXPECT_TRUE(FindCrackles(wide.data(), static_cast<int64_t>(wide.size()), q).empty());
  EXPECT_EQ(FindCrackles(narrow.data(), static_cast<int64_t>(narrow.size()), q).size(), 2u);
}

TEST(CrackleDetection, FlagsAndCountsTheSegmentsOfEachChannelAlikeOnAnyThreadCount) {
  Recording rec = Recording::create(60, 3);
  std::vector<double> a = breathNoise(6.0, 3), b = breathNoise(6.0, 4);
  addCrackle(a, 2.01, false);
  addCrackle(a, 2.05, false);
  addCrackle(a, 2.33, true);
  addCrackle(b, 4.51, false);
  addCrackle(b, 4.80, false);
  rec.sound[0] = counts(a);
  rec.sound[2] = counts(b);  // channel 2 (index 1) stays silent

  TagTable one, two;
  one.create(3, 60);
  two.create(3, 60);
  two.setFlags(2, 48, Wheeze);
  NullProgress progress;
  const CrackleResult r1 = DetectCrackles(rec, one, progress, 1);
  const CrackleResult r2 = DetectCrackles(rec, two, progress, 2);
  ASSERT_EQ(r1.crackles.size(), 5u);
  EXPECT_EQ(r1.counts, r2.counts);
  EXPECT_EQ(r1.count(0, 20), 2);
  EXPECT_EQ(r1.count(0, 23), 1);
  EXPECT_EQ(r1.count(2, 45), 1);
  EXPECT_EQ(r1.count(1, 20), 0);
  EXPECT_EQ(r1.count(5, 20), 0);  // outside the recording
  EXPECT_EQ(r1.crackles.back().channel, 2);
  EXPECT_EQ(one.flags(0, 20), CrFlag);
  EXPECT_EQ(one.flags(0, 21), 0);
  EXPECT_EQ(one.flags(2, 48), CrFlag);
  EXPECT_EQ(two.flags(2, 48), CrFlag | Wheeze);  // flags are only added
  EXPECT_FALSE(one.clean(0, 23));

  // A table without the channel's row is left alone.
  TagTable narrow;
  narrow.create(1, 60);
  EXPECT_EQ(DetectCrackles(rec, narrow, progress).crackles.size(), 5u);
  EXPECT_EQ(narrow.flags(0, 20), CrFlag);
}

TEST(CrackleParameters, SetsKnownNamesWithinTheirRanges) {
  CrackleParameters p;
  EXPECT_TRUE(p.set("peak", 22));
  EXPECT_FLOAT_EQ(p.peakDb, 22.0f);
  EXPECT_TRUE(p.set("longest", 15));
  EXPECT_FALSE(p.set("longest", 25));  // a crackle is under 20 ms
  EXPECT_FALSE(p.set("peak", 1));
  EXPECT_FALSE(p.set("width", 3));
}
