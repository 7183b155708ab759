#include "analysis/SoundBands.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <stdexcept>

#include "analysis/Fft.h"
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

constexpr int BinHz = SoundRate / RealFft2048::Size;  // 5 Hz

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

void BandBalance::add(const BandBalance& other) {
  breath += other.breath;
  high += other.high;
}

double BandBalance::fallDb() const {
  if (!(breath > 0.0) || !(high > 0.0)) return breath > 0.0 ? std::numeric_limits<double>::infinity() : 0.0;
  return 10.0 * std::log10(breath / high);
}

bool BandBalance::narrow() const { return fallDb() > NarrowBandFallDb; }

BandBalance MeasureBandBalance(const int16_t* samples, int64_t count) {
  constexpr int Size = RealFft2048::Size, MostWindows = 64;
  constexpr int BreathFirst = 300 / BinHz, BreathEnd = 600 / BinHz, HighFirst = 1200 / BinHz, HighEnd = 2000 / BinHz;
  BandBalance balance;
  const int64_t windows = std::min<int64_t>(MostWindows, count / Size);
  if (windows <= 0) return balance;
  std::vector<float> hann(Size), x(Size), re(HighEnd), im(HighEnd);
  for (int i = 0; i < Size; ++i) hann[i] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / Size));
  const RealFft2048 fft;
  RealFft2048::Work work;
  // Evenly spread, the first at the start and the last at the end.
  const int64_t room = count - Size;
  for (int64_t w = 0; w < windows; ++w) {
    const int16_t* from = samples + (windows > 1 ? room * w / (windows - 1) : 0);
    // Each window's mean taken out, so an offset's leakage never passes for sound.
    double mean = 0.0;
    for (int i = 0; i < Size; ++i) mean += from[i];
    mean /= Size;
    for (int i = 0; i < Size; ++i) x[i] = static_cast<float>((from[i] - mean) * hann[i]);
    fft.transform(x.data(), HighEnd, re.data(), im.data(), work);
    auto power = [&](int b) { return static_cast<double>(re[b]) * re[b] + static_cast<double>(im[b]) * im[b]; };
    for (int b = BreathFirst; b < BreathEnd; ++b) balance.breath += power(b);
    for (int b = HighFirst; b < HighEnd; ++b) balance.high += power(b);
  }
  balance.breath /= static_cast<double>(windows) * (BreathEnd - BreathFirst);
  balance.high /= static_cast<double>(windows) * (HighEnd - HighFirst);
  return balance;
}

}  // namespace vode
