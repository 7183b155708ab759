// The Butterworth band the sample-based detectors listen through.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <stdexcept>
#include <vector>

#include "AnalysisFixtures.h"
#include "analysis/SoundBands.h"
#include "model/Recording.h"
#include "model/Synthetic.h"

using namespace vode;

namespace {

// The band's power gain in dB for a steady tone, after the filter settled.
double gainDb(double hz, double lowHz, double highHz) {
  std::vector<int16_t> tone(SoundRate);
  for (size_t i = 0; i < tone.size(); ++i)
    tone[i] = static_cast<int16_t>(std::lround(10000.0 * std::sin(2.0 * std::numbers::pi * hz * i / SoundRate)));
  std::vector<float> out;
  FilterSamples(tone.data(), static_cast<int64_t>(tone.size()), ButterworthBand(lowHz, highHz), out);
  const std::vector<float> power = BlockPower(out, 1024);
  return 10.0 * std::log10(power.back() / 5e7);  // 5e7: the tone's own mean power
}

}  // namespace

TEST(SoundBands, PassesTheBandHalvesAtItsEdgesAndFallsFourOrdersOutside) {
  EXPECT_NEAR(gainDb(1100.0, 600.0, 2000.0), 0.0, 0.3);
  EXPECT_NEAR(gainDb(600.0, 600.0, 2000.0), -3.0, 0.4);
  EXPECT_NEAR(gainDb(2000.0, 600.0, 2000.0), -3.0, 0.4);
  EXPECT_LT(gainDb(150.0, 600.0, 2000.0), -45.0);  // two octaves below: 24 dB an octave
  EXPECT_LT(gainDb(4000.0, 600.0, 2000.0), -20.0);
  EXPECT_EQ(BlockPower(std::vector<float>(25, 1.0f), 12).size(), 2u);  // a partial block is left out
  std::vector<float> out;
  const int16_t one = 1;
  EXPECT_THROW(FilterSamples(&one, 1, std::vector<Biquad>(5), out), std::invalid_argument);
}

TEST(SoundBands, BandBalanceTellsAChestPieceThatPassesNothingAboveOneKilohertz) {
  SynthRandom random(5);
  std::vector<int16_t> white(10 * SoundRate);
  for (int16_t& v : white) v = static_cast<int16_t>(std::lround(2000.0 * random.normal()));
  const BandBalance flat = MeasureBandBalance(white.data(), static_cast<int64_t>(white.size()));
  EXPECT_NEAR(flat.fallDb(), 0.0, 1.0);
  EXPECT_FALSE(flat.narrow());

  const std::vector<int16_t> dull = test::narrowed(white);
  BandBalance both = MeasureBandBalance(dull.data(), static_cast<int64_t>(dull.size()));
  EXPECT_GT(both.fallDb(), NarrowBandFallDb + 3.0);
  EXPECT_TRUE(both.narrow());
  // Summed with a wide channel as loud, the wide one decides.
  both.add(flat);
  EXPECT_FALSE(both.narrow());

  const std::vector<int16_t> silence(SoundRate, 7);
  EXPECT_EQ(MeasureBandBalance(silence.data(), SoundRate).fallDb(), 0.0);
  EXPECT_EQ(MeasureBandBalance(white.data(), 2047).fallDb(), 0.0);  // shorter than one window
}
