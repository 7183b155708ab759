#include "analysis/SoundBands.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

#include "model/Recording.h"

namespace vode {

namespace {

// The bilinear transform of an analogue section with a prewarped corner.
Biquad section(double hz, double q, bool highPass) {
  const double w = 2.0 * std::numbers::pi * hz / SoundRate;
  const double alpha = std::sin(w) / (2.0 * q), c = std::cos(w);
  const double a0 = 1.0 + alpha;
  Biquad s;
  if (highPass) {
    s.b0 = (1.0 + c) / 2.0 / a0;
    s.b1 = -(1.0 + c) / a0;
  } else {
    s.b0 = (1.0 - c) / 2.0 / a0;
    s.b1 = (1.0 - c) / a0;
  }
  s.b2 = s.b0;
  s.a1 = -2.0 * c / a0;
  s.a2 = (1.0 - alpha) / a0;
  return s;
}

// The qualities of a fourth-order Butterworth filter's two sections.
constexpr double ButterworthQ[2] = {0.54119610, 1.30656296};

}  // namespace

Biquad HighPassSection(double hz, double q) { return section(hz, q, true); }
Biquad LowPassSection(double hz, double q) { return section(hz, q, false); }

std::vector<Biquad> ButterworthBand(double lowHz, double highHz) {
  return {HighPassSection(lowHz, ButterworthQ[0]), HighPassSection(lowHz, ButterworthQ[1]),
          LowPassSection(highHz, ButterworthQ[0]), LowPassSection(highHz, ButterworthQ[1])};
}

namespace {

// N sections in one pass, their states in registers.
template <size_t N>
void filterFixed(const int16_t* samples, int64_t count, const Biquad* sections, float* out) {
  double z1[N] = {}, z2[N] = {};
  // The input is taken relative to its first sample, as if it had stayed at
  // that level before: a high-pass filter then does not ring at the start of
  // a channel with an offset.
  const double level = samples[0];
  for (int64_t i = 0; i < count; ++i) {
    double v = samples[i] - level;
    for (size_t k = 0; k < N; ++k) {
      const Biquad& s = sections[k];
      const double y = s.b0 * v + z1[k];
      z1[k] = s.b1 * v - s.a1 * y + z2[k];
      z2[k] = s.b2 * v - s.a2 * y;
      v = y;
    }
    out[i] = static_cast<float>(v);
  }
}

}  // namespace

void FilterSamples(const int16_t* samples, int64_t count, const std::vector<Biquad>& sections, std::vector<float>& out) {
  out.assign(static_cast<size_t>(std::max<int64_t>(count, 0)), 0.0f);
  if (count <= 0) return;
  // Transposed direct form II, every section sample by sample in one loop,
  // so their chains overlap in the pipeline.
  switch (sections.size()) {
    case 1: return filterFixed<1>(samples, count, sections.data(), out.data());
    case 2: return filterFixed<2>(samples, count, sections.data(), out.data());
    case 3: return filterFixed<3>(samples, count, sections.data(), out.data());
    case 4: return filterFixed<4>(samples, count, sections.data(), out.data());
    default: throw std::invalid_argument("FilterSamples takes one to four sections");
  }
}

std::vector<float> BlockPower(const std::vector<float>& filtered, int block) {
  const size_t blocks = block > 0 ? filtered.size() / static_cast<size_t>(block) : 0;
  std::vector<float> power(blocks);
  for (size_t b = 0; b < blocks; ++b) {
    double sum = 0.0;
    const float* p = filtered.data() + b * static_cast<size_t>(block);
    for (int i = 0; i < block; ++i) sum += static_cast<double>(p[i]) * p[i];
    power[b] = static_cast<float>(sum / block);
  }
  return power;
}

}  // namespace vode
