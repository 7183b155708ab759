// Power spectra of every segment and the sonogram images painted from them.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "model/Progress.h"

namespace vode {

struct AnalysisResults;
struct RecordingBundle;
struct Palette;

// Volts per count: 32768 counts are 5 V.
constexpr float CountsToVolts = 0.0001525879f;
// About 1 / 2048²; no window-power correction, no one-sided doubling.
constexpr float PowerScale = 2.384186e-7f;

// w[k] = 0.5 - 0.5·cos(h·(k + 0.5)), h = 2π/2048 rounded to single precision:
// a Hann window sampled between the points, so no weight is 0.
std::vector<float> analysisWindow();

// Fills results.spectra's power for every channel and segment from the recording.
// threads: 0 uses every core; the result is the same for any count.
void CalculatePower(RecordingBundle& doc, AnalysisResults& results, ProgressSink& progress, int threads = 0);

// Paints every channel's sonogram as palette indices for the frequency range
// of the preferences (1200, 2400 or 4800 Hz) and the dB reference; the palette
// is kept with the images.
void CalculateImage(RecordingBundle& doc, AnalysisResults& results, const Palette& palette, ProgressSink& progress, int threads = 0);

// A dB value as a sonogram level: truncated toward zero, limited to 0..63.
uint8_t sonogramLevel(float dB);

// sonogramLevel(PowerTodB(p, reference)) without a logarithm per pixel: the
// smallest power of every level is found once per reference with the same
// arithmetic, and a table indexed by the top 13 bits of the power (sign,
// exponent and 4 mantissa bits, buckets of 0.19 dB) gives the level at the
// bottom of each bucket, so one comparison with the next level's start
// finishes the lookup. The result equals the direct conversion for every
// power that is not NaN.
class DbLevels {
 public:
  explicit DbLevels(float dBReference);
  uint8_t level(float p) const {
    if (!bucketsExact_) return search(p);
    uint32_t bits;
    std::memcpy(&bits, &p, sizeof bits);
    const uint8_t l = bucketLevel_[bits >> 19];
    return static_cast<uint8_t>(l + (p >= minPower_[l + 1]));
  }

 private:
  uint8_t search(float p) const;
  // minPower_[l]: smallest power of level l; NaN for a level no power
  // reaches, and for the level after 63.
  std::array<float, 65> minPower_{};
  std::array<uint8_t, 8192> bucketLevel_{};
  bool bucketsExact_ = true;
};

}  // namespace vode
