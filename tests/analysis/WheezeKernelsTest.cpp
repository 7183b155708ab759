#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "analysis/WheezeKernels.h"

using namespace vode;

namespace {

float weightSum(const std::vector<float>& K) {
  float side = 0.0f;
  for (size_t k = 1; k < K.size(); ++k) side += K[k];
  return K[0] + 2.0f * side;
}

std::vector<float> randomRow(unsigned seed, int size = 960) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> value(-5.0f, 12.0f);
  std::vector<float> row(size);
  for (float& v : row) v = value(rng);
  return row;
}

}  // namespace

TEST(WheezeKernels, MakeKernelSmallCasesByHand) {
  // n = 1: d = π/2, so the raised cosine is {1, 0.5} and the ring {0, 1},
  // each divided by its total of 2 (d in single precision is not quite π/2).
  const std::vector<float> raised = MakeKernel(1, KernelKind::RaisedCosine);
  const std::vector<float> ring = MakeKernel(1, KernelKind::Ring);
  ASSERT_EQ(raised.size(), 2u);
  ASSERT_EQ(ring.size(), 2u);
  EXPECT_FLOAT_EQ(raised[0], 0.5f);
  EXPECT_FLOAT_EQ(raised[1], 0.25f);
  EXPECT_EQ(ring[0], 0.0f);
  EXPECT_FLOAT_EQ(ring[1], 0.5f);
}

TEST(WheezeKernels, RingAndSideKernelsAreNormalisedAndShaped) {
  const std::vector<float> R = MakeKernel(RingHalf, KernelKind::Ring);
  const std::vector<float> D = MakeKernel(SideHalf, KernelKind::RaisedCosine);
  ASSERT_EQ(R.size(), 19u);
  ASSERT_EQ(D.size(), 13u);
  EXPECT_NEAR(weightSum(R), 1.0f, 1e-6f);
  EXPECT_NEAR(weightSum(D), 1.0f, 1e-6f);
  // The ring leaves out the centre and is largest half-way out (k = 9.5).
  EXPECT_EQ(R[0], 0.0f);
  EXPECT_GT(R[9], R[1]);
  EXPECT_GT(R[10], R[18]);
  EXPECT_FLOAT_EQ(R[9], R[10]);
  // The raised cosine falls from the centre.
  for (int k = 1; k <= SideHalf; ++k) EXPECT_LT(D[k], D[k - 1]);
}

TEST(WheezeKernels, LowPassKernelsFollowTheirFormulas) {
  const PeakKernels kernels = MakePeakKernels();
  EXPECT_EQ(kernels.S[0], 1.0f / 3.0f);
  EXPECT_FLOAT_EQ(kernels.S[1], static_cast<float>(std::sin(M_PI / 3) / M_PI));
  EXPECT_FLOAT_EQ(kernels.S[4], static_cast<float>(std::sin(4 * M_PI / 3) / (4 * M_PI)));
  EXPECT_NEAR(kernels.S[3], 0.0f, 1e-7f);  // sin(π) / 3π
  EXPECT_EQ(kernels.W[0], 0.1f);
  EXPECT_FLOAT_EQ(kernels.W[7], static_cast<float>(std::sin(0.7 * M_PI) / (7 * M_PI)));
  EXPECT_NEAR(kernels.W[10], 0.0f, 1e-7f);  // sin(π) / 10π
}

TEST(WheezeKernels, FilterAtClampsTheCentreAndTheEnds) {
  const std::vector<float> y = {1.0f, 2.0f, 4.0f, 8.0f, 16.0f};
  const std::vector<float> K = {0.5f, 0.25f, 0.125f};
  // Centre 0: below-zero indices read y[0].
  EXPECT_EQ(FilterAt(y.data(), 5, 0, K.data(), 2), 0.5f * 1 + 0.25f * (2 + 1) + 0.125f * (4 + 1));
  // Centre 4: indices past the end read y[4].
  EXPECT_EQ(FilterAt(y.data(), 5, 4, K.data(), 2), 0.5f * 16 + 0.25f * (16 + 8) + 0.125f * (16 + 4));
  // A centre outside the row is first limited to it.
  EXPECT_EQ(FilterAt(y.data(), 5, -7, K.data(), 2), FilterAt(y.data(), 5, 0, K.data(), 2));
  EXPECT_EQ(FilterAt(y.data(), 5, 9, K.data(), 2), FilterAt(y.data(), 5, 4, K.data(), 2));
}

TEST(WheezeKernels, SmoothRowIsBitIdenticalToFilterAt) {
  const PeakKernels kernels = MakePeakKernels();
  for (unsigned seed : {1u, 2u}) {
    const std::vector<float> x = randomRow(seed);
    std::vector<float> y(960);
    SmoothRow(x.data(), 960, y.data(), 960, kernels.S.data());
    for (int i = 0; i < 960; ++i)
      ASSERT_EQ(y[i], FilterAt(x.data(), 960, i, kernels.S.data(), SmoothHalf)) << "bin " << i;
  }
}

TEST(WheezeKernels, SmoothRowOfAPartReadsOnlyWhatItNeeds) {
  const PeakKernels kernels = MakePeakKernels();
  const std::vector<float> full = randomRow(3);
  for (int count : {450, 17, 1}) {
    // Bins past roundUp16(count) - 1 + 47 are poison; no output may see them.
    std::vector<float> x = full;
    const int readable = (count + 15) / 16 * 16 + SmoothHalf;
    for (int b = readable; b < 960; ++b) x[b] = std::numeric_limits<float>::quiet_NaN();
    std::vector<float> y(960, -1.0f);
    SmoothRow(x.data(), 960, y.data(), count, kernels.S.data());
    for (int i = 0; i < count; ++i)
      ASSERT_EQ(y[i], FilterAt(full.data(), 960, i, kernels.S.data(), SmoothHalf)) << count << " bin " << i;
    for (int i = count; i < 960; ++i) ASSERT_EQ(y[i], -1.0f) << "written past the count at " << i;
  }
}

TEST(WheezeKernels, SmoothingAConstantRowGivesAConstantRow) {
  // The basis of "a flat spectrum has no peaks": every bin, the edges
  // included, sees the same sums in the same order.
  const PeakKernels kernels = MakePeakKernels();
  const std::vector<float> x(960, -64.33654f);
  std::vector<float> y(960);
  SmoothRow(x.data(), 960, y.data(), 960, kernels.S.data());
  for (int i = 1; i < 960; ++i) ASSERT_EQ(y[i], y[0]);
}

TEST(WheezeKernels, SmoothRowMatchesFilterAtOnExtremeRows) {
  // Huge values overflow and cancel, tiny ones are subnormal: a vectorised
  // sum that regrouped its terms would show it here first.
  const PeakKernels kernels = MakePeakKernels();
  const float huge = std::numeric_limits<float>::max();
  const float tiny = std::numeric_limits<float>::denorm_min();
  const float silence = -64.33654f;  // the log floor of digital silence
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> pick(0, 8);
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  auto bits = [](float v) {
    uint32_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
  };
  for (int row = 0; row < 40; ++row) {
    std::vector<float> x(960);
    for (float& v : x) {
      switch (pick(rng)) {
        case 0: v = huge * unit(rng); break;
        case 1: v = tiny * static_cast<float>(pick(rng) - 4); break;
        case 2: v = silence; break;
        case 3: v = 1e30f * unit(rng); break;
        case 4: v = -0.0f; break;
        case 5: v = 1e-38f * unit(rng); break;
        default: v = 20.0f * unit(rng); break;
      }
    }
    if (row % 10 == 9) x[row * 23 % 960] = std::numeric_limits<float>::infinity();
    std::vector<float> y(960);
    SmoothRow(x.data(), 960, y.data(), 960, kernels.S.data());
    for (int i = 0; i < 960; ++i) {
      const float expected = FilterAt(x.data(), 960, i, kernels.S.data(), SmoothHalf);
      if (std::isnan(expected)) {
        ASSERT_TRUE(std::isnan(y[i])) << "row " << row << " bin " << i;
      } else {
        ASSERT_EQ(bits(y[i]), bits(expected)) << "row " << row << " bin " << i << ": " << y[i] << " vs " << expected;
      }
    }
  }
}

TEST(WheezeKernels, RingAndSideWeightsToTheLastBit) {
  // Worked out apart from this code: d = π / (n + 1) rounded to single
  // precision, the cosine in double, each weight stored in single precision,
  // the total summed in single precision. The ring's lopsided ends
  // (R[1] != R[18]) come from the rounded d; a d kept in double, a cosine in
  // single precision or a total in double each change some of these.
  const std::vector<float> ring = {
      0.0f,           0x1.75c7fap-10f, 0x1.6ba7aap-8f, 0x1.86ac7ap-7f, 0x1.45509cp-6f, 0x1.d2c33cp-6f, 0x1.2e2d1p-5f,
      0x1.69962ap-5f, 0x1.952ccap-5f,  0x1.ac37bap-5f, 0x1.ac37bap-5f, 0x1.952cccp-5f, 0x1.69962cp-5f, 0x1.2e2d1p-5f,
      0x1.d2c33cp-6f, 0x1.45509ep-6f,  0x1.86ac7ep-7f, 0x1.6ba7aep-8f, 0x1.75c806p-10f};
  const std::vector<float> side = {0x1.3b13bp-4f,  0x1.367fc6p-4f, 0x1.290826p-4f, 0x1.13752ap-4f, 0x1.ee0f9ep-5f,
                                   0x1.aace02p-5f, 0x1.610e24p-5f, 0x1.15193ep-5f, 0x1.96b2bep-6f, 0x1.102f88p-6f,
                                   0x1.3cf43p-7f,  0x1.20b8aap-8f, 0x1.24fa68p-10f};
  EXPECT_EQ(MakeKernel(RingHalf, KernelKind::Ring), ring);
  EXPECT_EQ(MakeKernel(SideHalf, KernelKind::RaisedCosine), side);
  const PeakKernels kernels = MakePeakKernels();
  EXPECT_EQ(kernels.R, ring);
  EXPECT_EQ(kernels.D, side);
}
