// Power spectra of every segment and the sonogram images painted from them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "model/Progress.h"

namespace vode {

class Document;
struct Palette;

// Volts per count: 32768 counts are 5 V.
constexpr float CountsToVolts = 0.0001525879f;
// About 1 / 2048²; no window-power correction, no one-sided doubling.
constexpr float PowerScale = 2.384186e-7f;

// w[k] = 0.5 - 0.5·cos(h·(k + 0.5)), h = 2π/2048 rounded to single precision:
// a Hann window sampled between the points, so no weight is 0.
std::vector<float> analysisWindow();

// Fills doc.spectra's power for every channel and segment from the recording.
// threads: 0 uses every core; the result is the same for any count.
void CalculatePower(Document& doc, ProgressSink& progress, int threads = 0);

// Paints every channel's sonogram as palette indices for the frequency range
// of the preferences (1200, 2400 or 4800 Hz) and the dB reference; the palette
// is kept with the images.
void CalculateImage(Document& doc, const Palette& palette, ProgressSink& progress, int threads = 0);

// A dB value as a sonogram level: truncated toward zero, limited to 0..63.
uint8_t sonogramLevel(float dB);

// sonogramLevel(PowerTodB(p, reference)) by comparison with the smallest
// power of every level, found once per reference with the same arithmetic.
class DbLevels {
 public:
  explicit DbLevels(float dBReference);
  uint8_t level(float p) const {
    int l = 0;
    for (int step = 32; step > 0; step /= 2)
      if (l + step <= 63 && p >= minPower_[l + step]) l += step;
    return static_cast<uint8_t>(l);
  }

 private:
  std::array<float, 64> minPower_{};  // NaN for a level no power reaches
};

}  // namespace vode
