// Band-limited views of a sound channel for the detectors that work on the
// samples themselves: Butterworth sections made by the bilinear transform,
// and the mean power of a band over short blocks.
#pragma once

#include <cstdint>
#include <vector>

namespace vode {

// One second-order section, y = (b0 x + b1 x1 + b2 x2 − a1 y1 − a2 y2), run
// in double so a long channel's rounding never builds up.
struct Biquad {
  double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
};

// Second-order high-pass and low-pass sections at hz for a 10240 Hz channel
// with quality q (1/√2 alone is a second-order Butterworth filter).
Biquad HighPassSection(double hz, double q);
Biquad LowPassSection(double hz, double q);

// A fourth-order Butterworth band from lowHz to highHz: two high-pass and two
// low-pass sections of qualities 0.5412 and 1.3066.
std::vector<Biquad> ButterworthBand(double lowHz, double highHz);

// Runs one to four sections over count samples, one after another, starting from
// rest at the level of the first sample (so a constant offset never rings
// through a high-pass section).
void FilterSamples(const int16_t* samples, int64_t count, const std::vector<Biquad>& sections, std::vector<float>& out);

// The mean power of filtered samples over consecutive blocks of `block`
// samples (a last partial block is left out).
std::vector<float> BlockPower(const std::vector<float>& filtered, int block);

}  // namespace vode
