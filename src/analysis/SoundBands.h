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

// How much of the sound above 1 kHz a channel's chest piece passes: its mean
// power per 5 Hz bin in the breath-sound band (300-600 Hz) and from 1200 to
// 2000 Hz, over up to 64 Hann windows of 2048 samples spread evenly over it.
// Stethoscopes differ here by 40 dB, which moves where breath sound and
// crackles show.
struct BandBalance {
  double breath = 0.0;
  double high = 0.0;
  void add(const BandBalance& other);
  // How far the upper band lies under the breath-sound band, in dB; 0 when
  // the channel is silent or shorter than one window.
  double fallDb() const;
  // The upper band more than NarrowBandFallDb under the breath-sound band.
  bool narrow() const;
};
BandBalance MeasureBandBalance(const int16_t* samples, int64_t count);

// A chest piece that filters off nearly everything above 1 kHz: on the
// development recordings its upper band lay 35-54 dB under the breath-sound
// band, a microphone's or a wider chest piece's 0-32 dB (4 kHz ones too).
constexpr double NarrowBandFallDb = 34.0;

}  // namespace vode
