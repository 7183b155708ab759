#include "analysis/Fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <complex>
#include <random>
#include <vector>

#include "analysis/Spectra.h"

namespace vode {
namespace {

std::vector<std::complex<double>> directDft(const std::vector<float>& x, int bins) {
  const int n = static_cast<int>(x.size());
  std::vector<std::complex<double>> out(bins);
  for (int b = 0; b < bins; ++b) {
    std::complex<double> sum = 0.0;
    for (int k = 0; k < n; ++k) {
      // Exact angle reduction keeps the reference itself accurate.
      const double a = -2.0 * M_PI * static_cast<double>((static_cast<long long>(b) * k) % n) / n;
      sum += static_cast<double>(x[k]) * std::complex<double>(std::cos(a), std::sin(a));
    }
    out[b] = sum;
  }
  return out;
}

struct Spectrum {
  std::vector<float> re, im;
};

Spectrum transform(const std::vector<float>& x, int bins) {
  RealFft2048 fft;
  RealFft2048::Work work;
  Spectrum s{std::vector<float>(bins), std::vector<float>(bins)};
  fft.transform(x.data(), bins, s.re.data(), s.im.data(), work);
  return s;
}

TEST(RealFft2048, AgreesWithADirectTransformOnRandomInput) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  std::vector<float> x(2048);
  for (float& v : x) v = u(rng);
  const int bins = 1024;
  const Spectrum s = transform(x, bins);
  const auto ref = directDft(x, bins);
  // Errors of a float transform scale with the signal's overall size
  // (sqrt(2048) for unit noise), not with each bin.
  double worst = 0.0;
  for (int b = 0; b < bins; ++b) worst = std::max(worst, std::abs(std::complex<double>(s.re[b], s.im[b]) - ref[b]));
  EXPECT_LT(worst, 1e-6 * std::sqrt(2048.0));
}

TEST(RealFft2048, PureToneHasItsPowerInOneBin) {
  std::vector<float> x(2048);
  for (int k = 0; k < 2048; ++k) x[k] = static_cast<float>(std::cos(2.0 * M_PI * 100.0 * k / 2048.0));
  const Spectrum s = transform(x, 960);
  int peak = 0;
  for (int b = 0; b < 960; ++b)
    if (std::hypot(s.re[b], s.im[b]) > std::hypot(s.re[peak], s.im[peak])) peak = b;
  EXPECT_EQ(peak, 100);
  EXPECT_NEAR(std::hypot(s.re[100], s.im[100]), 1024.0, 1e-2);
  for (int b = 0; b < 960; ++b) {
    if (b == 100) continue;
    EXPECT_LT(std::hypot(s.re[b], s.im[b]), 1e-3) << "bin " << b;
  }
}

TEST(RealFft2048, SineAndOddBinsUnpackWithTheRightSign) {
  // A sine at an odd bin exercises the odd-sample half of the unpacking.
  std::vector<float> x(2048);
  for (int k = 0; k < 2048; ++k) x[k] = static_cast<float>(std::sin(2.0 * M_PI * 333.0 * k / 2048.0));
  const Spectrum s = transform(x, 960);
  EXPECT_NEAR(s.re[333], 0.0, 1e-2);
  EXPECT_NEAR(s.im[333], -1024.0, 1e-2);
}

TEST(RealFft2048, WindowedConstantLeaksOnlyIntoBinsZeroAndOne) {
  const std::vector<float> w = analysisWindow();
  std::vector<float> x(2048);
  for (int k = 0; k < 2048; ++k) x[k] = 1000.0f * w[k] * CountsToVolts;
  const Spectrum s = transform(x, 960);
  std::vector<double> power(960);
  for (int b = 0; b < 960; ++b) power[b] = double(s.re[b]) * s.re[b] + double(s.im[b]) * s.im[b];
  EXPECT_GT(power[1], 0.2 * power[0]);  // a Hann window: bin 1 holds a quarter of bin 0
  for (int b = 2; b < 960; ++b) EXPECT_LT(power[b], 1e-9 * power[0]) << "bin " << b;
}

TEST(AnalysisWindow, IsAHannWindowSampledBetweenThePoints) {
  const std::vector<float> w = analysisWindow();
  ASSERT_EQ(w.size(), 2048u);
  const float h = static_cast<float>(2.0 * M_PI / 2048.0);
  for (int k : {0, 1, 511, 1023, 1024, 2047}) {
    EXPECT_EQ(w[k], static_cast<float>(0.5 - 0.5 * std::cos(double(h) * (k + 0.5)))) << k;
    EXPECT_GT(w[k], 0.0f);
    // h rounded to single precision makes it only nearly symmetric.
    EXPECT_NEAR(w[k], w[2047 - k], 1e-6) << k;
  }
  EXPECT_LT(w[0], 1e-5f);
  EXPECT_GT(w[1023], 0.99999f);
}

}  // namespace
}  // namespace vode

namespace vode {
namespace {

// Both builds of the transform, and the samples-to-power path against the
// transform it is made of: the same bits, not merely close values.
TEST(RealFft2048, BuildsAndPowerPathGiveTheSameBits) {
  const RealFft2048 wide(true), baseline(false);
  RealFft2048::Work work;
  const std::vector<float> w = analysisWindow();
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> u(-32768, 32767);
  std::vector<int16_t> samples(2048);
  std::vector<float> x(2048), re(960), im(960), p1(960), p2(960), direct(960);
  for (int round = 0; round < 20; ++round) {
    for (int16_t& v : samples) v = static_cast<int16_t>(u(rng) >> (round % 12));
    for (int k = 0; k < 2048; ++k) x[k] = static_cast<float>(samples[k]) * w[k] * CountsToVolts;
    baseline.transform(x.data(), 960, re.data(), im.data(), work);
    for (int b = 0; b < 960; ++b) direct[b] = (re[b] * re[b] + im[b] * im[b]) * PowerScale;
    baseline.power(samples.data(), w.data(), CountsToVolts, PowerScale, 960, p1.data(), work);
    wide.power(samples.data(), w.data(), CountsToVolts, PowerScale, 960, p2.data(), work);
    ASSERT_EQ(std::memcmp(p1.data(), direct.data(), sizeof(float) * 960), 0) << round;
    ASSERT_EQ(std::memcmp(p2.data(), direct.data(), sizeof(float) * 960), 0) << round;
  }
  if (!wide.wide()) GTEST_SKIP() << "no AVX2 here: only the baseline build was checked";
}

}  // namespace
}  // namespace vode
